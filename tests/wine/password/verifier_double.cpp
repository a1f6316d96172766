// A stand-in for the system's screen-saver password verifier, built as PASSWORD.CPL for
// the end-to-end tests of the password check. It keeps everything it does in two files
// in its own folder, where the test puts it beside a copy of the saver:
//
//   verifier.txt  the script, written by the test: line N is what call N does,
//                   VERDICT [hold] [close] [frames=N]
//                 VERDICT is returned; "hold" keeps the exchange open until a file named
//                 "release" appears in the folder (the double deletes it); "close" sends
//                 WM_CLOSE to the saver window while asking; "frames=N" keeps asking
//                 until N timer messages of the saver window have been dispatched. A
//                 missing file or line means "0": refuse at once.
//   verifier.log  one line per event, each with GetTickCount's value:
//                   enter call=N tick=T window=H cursor=C   (C: the pointer it shows)
//                   close call=N tick=T result=R            (the answer to its WM_CLOSE)
//                   input call=N tick=T message=M x=X y=Y   (input it dispatched)
//                   leave call=N tick=T verdict=V timers=K  (K: timer messages dispatched)
//
// While it asks it runs a message loop of its own, as a real password dialog does, so
// that the saver's handlers are entered again from inside the check. It passes
// "VerifyScreenSavePwd asks" to OutputDebugStringA first of all, and "VerifyScreenSavePwd
// returns V" last: in a relay trace these lines mark where the check's inside begins
// and where the verdict goes back to the saver.
//
// Built with VERIFIER_WITHOUT_ENTRY it exports the same function under another name: a
// verifier library without the entry.
#define _WIN32_WINNT 0x0601
#define WINVER 0x0601
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD holdLimit = 60000;  // milliseconds; a test that forgets to release fails

HMODULE self;
int calls;

struct Script {
    long verdict = 0;
    bool hold = false;
    bool close = false;
    unsigned frames = 0;
};

// The path of NAME in the folder this library was loaded from.
void besideSelf(const char* name, char* path) {
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/')
        --length;
    std::snprintf(path + length, MAX_PATH - length, "%s", name);
}

void note(const char* format, ...) __attribute__((format(printf, 1, 2)));
void note(const char* format, ...) {
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    int length = std::vsnprintf(line, sizeof line - 1, format, arguments);
    va_end(arguments);
    if (length < 0 || length > static_cast<int>(sizeof line) - 2)
        length = sizeof line - 2;
    line[length++] = '\n';
    char path[MAX_PATH];
    besideSelf("verifier.log", path);
    const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line, length, &written, nullptr);
    CloseHandle(file);
}

Script scriptFor(int call) {
    Script script;
    char path[MAX_PATH];
    besideSelf("verifier.txt", path);
    FILE* file = std::fopen(path, "r");
    if (!file)
        return script;
    char line[256];
    for (int number = 1; std::fgets(line, sizeof line, file); ++number) {
        if (number != call)
            continue;
        script.verdict = std::strtol(line, nullptr, 10);
        script.hold = std::strstr(line, "hold") != nullptr;
        script.close = std::strstr(line, "close") != nullptr;
        if (const char* frames = std::strstr(line, "frames="))
            script.frames = static_cast<unsigned>(std::strtoul(frames + 7, nullptr, 10));
        break;
    }
    std::fclose(file);
    return script;
}

bool released() {
    char path[MAX_PATH];
    besideSelf("release", path);
    return DeleteFileA(path) != 0;
}

bool isInput(UINT message) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return true;
    default:
        return false;
    }
}

// The exchange with the user: a message loop that dispatches everything, the saver
// window's timer and input included, until the script is satisfied. Returns the
// number of the saver window's timer messages it dispatched.
unsigned ask(HWND window, const Script& script) {
    const DWORD start = GetTickCount();
    unsigned timers = 0;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));  // as a modal loop does
                return timers;
            }
            if (message.hwnd == window && message.message == WM_TIMER)
                ++timers;
            if (message.hwnd == window && isInput(message.message))
                note("input call=%d tick=%lu message=0x%04X x=%ld y=%ld", calls, GetTickCount(),
                     message.message, message.pt.x, message.pt.y);
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const bool satisfied = (!script.hold || released()) && timers >= script.frames;
        if (satisfied || GetTickCount() - start >= holdLimit)
            return timers;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

#ifdef VERIFIER_WITHOUT_ENTRY
#define VerifyScreenSavePwd SomethingElse
#endif

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    OutputDebugStringA("VerifyScreenSavePwd asks");
    const int call = ++calls;
    const Script script = scriptFor(call);
    // A dialog shows the pointer while it asks; the saver must hide it again.
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    note("enter call=%d tick=%lu window=%llu cursor=%llu", call, GetTickCount(),
         static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)),
         static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(GetCursor())));
    if (script.close) {
        const LRESULT result = SendMessageA(window, WM_CLOSE, 0, 0);
        note("close call=%d tick=%lu result=%lld", call, GetTickCount(),
             static_cast<long long>(result));
    }
    const unsigned timers = ask(window, script);
    note("leave call=%d tick=%lu verdict=%ld timers=%u", call, GetTickCount(), script.verdict,
         timers);
    char marker[64];
    std::snprintf(marker, sizeof marker, "VerifyScreenSavePwd returns %ld", script.verdict);
    OutputDebugStringA(marker);
    return static_cast<BOOL>(script.verdict);
}
