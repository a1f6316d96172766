// The end-to-end tests' hands and eyes inside Wine: a small Windows program whose
// subcommands create windows, look windows up, send them messages and read back
// what only Win32 can tell (styles, the cursor, the foreground). Every subcommand
// prints one line on stdout and ends with 0 on success, 1 on failure, 2 on misuse.
#define _WIN32_WINNT 0x0601
#define WINVER 0x0601
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "probe_program.h"

namespace {

constexpr UINT pollPeriod = 50;  // milliseconds between looks while waiting

void printLine(const char* format, va_list arguments) {
    std::vprintf(format, arguments);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// One line of result: reply for success (status 0), fail for failure (status 1).
int reply(const char* format, ...) __attribute__((format(printf, 1, 2)));
int reply(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    printLine(format, arguments);
    va_end(arguments);
    return 0;
}

int fail(const char* format, ...) __attribute__((format(printf, 1, 2)));
int fail(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    printLine(format, arguments);
    va_end(arguments);
    return 1;
}

// Runs the thread's messages for up to the given time, or until the condition holds.
template <typename Condition>
bool pumpUntil(DWORD milliseconds, Condition done) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return done();
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done())
            return true;
        if (GetTickCount() - start >= milliseconds)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, pollPeriod, QS_ALLINPUT);
    }
}

const char* stopFile;  // parent: destroy the window once this file exists

// The driver's windows report the help requests that reach them, as a preview's host
// would receive them from the preview.
LRESULT CALLBACK plainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_HELP:
    case WM_CONTEXTMENU:
        reply("received message=0x%04X wparam=%llu lparam=%lld", message,
              static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
        return 0;
    case WM_TIMER:
        if (stopFile && GetFileAttributesA(stopFile) != INVALID_FILE_ATTRIBUTES)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND createPlainWindow(const char* title, DWORD style, int width, int height) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = plainProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "VarnoTestDriver";
    RegisterClassA(&windowClass);
    RECT frame = {0, 0, width, height};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return CreateWindowExA(0, windowClass.lpszClassName, title, style | WS_VISIBLE, 40, 30,
                           frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                           windowClass.hInstance, nullptr);
}

// parent W H [STOPFILE]: an overlapped window with a W x H client area, as the display
// settings would offer for a preview. Prints its handle, then a line for each help
// request it receives, and lives until STOPFILE exists.
int parent(int argc, char** argv) {
    if (argc < 2)
        return 2;
    stopFile = argc > 2 ? argv[2] : nullptr;
    const HWND window = createPlainWindow("Preview host", WS_OVERLAPPEDWINDOW,
                                          std::atoi(argv[0]), std::atoi(argv[1]));
    if (!window)
        return fail("parent: CreateWindowExA failed (%lu)", GetLastError());
    SetTimer(window, 1, pollPeriod, nullptr);
    reply("%llu", decimal(window));
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

// find CLASS TITLE [SECONDS [PARENT]]: waits for the window to be shown and describes
// it (still hidden at the deadline: described as it is). A child is
// looked up among PARENT's children, and its place is given in PARENT's client area;
// screen= is where its client area begins on the screen.
int find(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const DWORD seconds = argc > 2 ? std::atoi(argv[2]) : 0;
    const HWND owner = argc > 3 ? handle(argv[3]) : nullptr;
    HWND window = nullptr;
    pumpUntil(seconds * 1000, [&] {
        window = FindWindowExA(owner, nullptr, argv[0], argv[1]);
        return window != nullptr && IsWindowVisible(window);  // creation has shown it
    });
    if (!window)
        return fail("find: no window of class \"%s\" titled \"%s\"", argv[0], argv[1]);
    RECT place, client;
    GetWindowRect(window, &place);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    return reply("window=%llu place=%ld,%ld,%ld,%ld client=%ldx%ld style=0x%08lX "
                 "exstyle=0x%08lX parent=%llu topmost=%d visible=%d foreground=%d "
                 "screen=%ld,%ld",
                 decimal(window), place.left, place.top, place.right - place.left,
                 place.bottom - place.top, client.right, client.bottom,
                 static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                 static_cast<unsigned long>(exStyle), decimal(GetParent(window)),
                 (exStyle & WS_EX_TOPMOST) != 0, IsWindowVisible(window) != 0,
                 GetForegroundWindow() == window, origin.x, origin.y);
}

// wait-gone HANDLE SECONDS
int waitGone(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const HWND window = handle(argv[0]);
    if (pumpUntil(std::atoi(argv[1]) * 1000, [&] { return !IsWindow(window); }))
        return reply("gone");
    return fail("wait-gone: window %s still exists", argv[0]);
}

// is-window HANDLE: prints 1 or 0.
int isWindow(int argc, char** argv) {
    if (argc < 1)
        return 2;
    return reply("%d", IsWindow(handle(argv[0])) != 0);
}

// send|post HANDLE MESSAGE WPARAM LPARAM: prints the result.
int send(int argc, char** argv) {
    if (argc < 4)
        return 2;
    const LRESULT result = SendMessageA(handle(argv[0]), number(argv[1]), number(argv[2]),
                                        static_cast<LPARAM>(number(argv[3])));
    return reply("%lld", static_cast<long long>(result));
}

int post(int argc, char** argv) {
    if (argc < 4)
        return 2;
    if (!PostMessageA(handle(argv[0]), number(argv[1]), number(argv[2]),
                      static_cast<LPARAM>(number(argv[3]))))
        return fail("post: PostMessageA failed (%lu)", GetLastError());
    return reply("posted");
}

// help HANDLE: sends WM_HELP with a help record, as F1 in the window would; prints the result.
int help(int argc, char** argv) {
    if (argc < 1)
        return 2;
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.hItemHandle = handle(argv[0]);
    const LRESULT result = SendMessageA(handle(argv[0]), WM_HELP, 0,
                                        reinterpret_cast<LPARAM>(&info));
    return reply("%lld", static_cast<long long>(result));
}

// title HANDLE [NEWTITLE]: sends WM_SETTEXT first when a new title is given, printing
// its result, then prints the title the window reports.
int title(int argc, char** argv) {
    if (argc < 1)
        return 2;
    const HWND window = handle(argv[0]);
    if (argc > 1) {
        const LRESULT result = SendMessageA(window, WM_SETTEXT, 0,
                                            reinterpret_cast<LPARAM>(argv[1]));
        std::printf("settext=%lld ", static_cast<long long>(result));
    }
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return reply("title=%s", text);
}

// cursor: whether the pointer is shown, and where it is.
int cursor(int, char**) {
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetCursorInfo(&info))
        return fail("cursor: GetCursorInfo failed (%lu)", GetLastError());
    POINT position = {};
    GetCursorPos(&position);
    return reply("showing=%d cursor=%llu x=%ld y=%ld", (info.flags & CURSOR_SHOWING) != 0,
                 static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(info.hCursor)),
                 position.x, position.y);
}

// foreground SECONDS: another application's window takes the foreground and keeps
// its messages running for SECONDS.
int foreground(int argc, char** argv) {
    if (argc < 1)
        return 2;
    const HWND window = createPlainWindow("Other application", WS_OVERLAPPEDWINDOW, 200, 100);
    if (!window)
        return fail("foreground: CreateWindowExA failed (%lu)", GetLastError());
    SetForegroundWindow(window);
    const bool taken = pumpUntil(5000, [&] { return GetForegroundWindow() == window; });
    reply("foreground=%d", taken);
    pumpUntil(std::atoi(argv[0]) * 1000, [] { return false; });
    DestroyWindow(window);
    return taken ? 0 : 1;
}

// exit-code COMMANDLINE: runs a program and prints its whole 32-bit exit code.
int exitCode(int argc, char** argv) {
    if (argc < 1)
        return 2;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, argv[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
        return fail("exit-code: CreateProcessA failed (%lu)", GetLastError());
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return reply("exit=0x%08lX", static_cast<unsigned long>(code));
}

constexpr Command commands[] = {
    {"parent", parent, "parent W H [STOPFILE]"},
    {"find", find, "find CLASS TITLE [SECONDS [PARENT]]"},
    {"wait-gone", waitGone, "wait-gone HANDLE SECONDS"},
    {"is-window", isWindow, "is-window HANDLE"},
    {"send", send, "send HANDLE MESSAGE WPARAM LPARAM"},
    {"post", post, "post HANDLE MESSAGE WPARAM LPARAM"},
    {"help", help, "help HANDLE"},
    {"title", title, "title HANDLE [NEWTITLE]"},
    {"cursor", cursor, "cursor"},
    {"foreground", foreground, "foreground SECONDS"},
    {"exit-code", exitCode, "exit-code COMMANDLINE"},
};

}  // namespace

int main(int argc, char** argv) {
    return runCommand("driver", commands, argc, argv);
}
