// The Wine tests' hands and eyes: a Windows program whose subcommands make windows,
// look at other programs' windows and run the real scene through GDI. Each prints one
// line and ends with 0 on success, 1 on failure, 2 on misuse.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host.h"
#include "scene/scene.h"

namespace {

HWND handle(const char* text) { return reinterpret_cast<HWND>(std::strtoull(text, nullptr, 0)); }

WNDPROC staticProcedure;

// The parent prints the help requests that reach it: "relayed MESSAGE WPARAM".
LRESULT CALLBACK parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP || message == WM_CONTEXTMENU)
        std::printf("relayed 0x%04x %llu\n", message, static_cast<unsigned long long>(wParam)), std::fflush(stdout);
    return CallWindowProcA(staticProcedure, window, message, wParam, lParam);
}

// parent W H [STOPFILE]: an overlapped window with a W x H client area in the foreground,
// as the display settings would host a preview; prints its handle and lives until
// STOPFILE exists, then destroys its window, or ends at once (TerminateProcess, as a
// crashing host would) when the file is not empty.
int parent(int argc, char** argv) {
    RECT frame = {0, 0, std::atoi(argv[1]), std::atoi(argv[2])};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    const HWND window = CreateWindowExA(0, "STATIC", argv[0], WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, frame.right - frame.left, frame.bottom - frame.top,
                                        nullptr, nullptr, nullptr, nullptr);
    if (!window)
        return 1;
    staticProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(parentProcedure)));
    SetForegroundWindow(window);
    std::printf("%llu\n", reinterpret_cast<ULONG_PTR>(window));
    std::fflush(stdout);
    SetTimer(nullptr, 0, 50, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        WIN32_FILE_ATTRIBUTE_DATA stop;
        if (message.message == WM_TIMER && argc == 4 && GetFileAttributesExA(argv[3], GetFileExInfoStandard, &stop))
            return stop.nFileSizeLow ? TerminateProcess(GetCurrentProcess(), 3) : !DestroyWindow(window);
        DispatchMessageA(&message);
    }
    return 0;
}

// find CLASS TITLE SECONDS [PARENT]: waits until such a window (a child of PARENT) is
// shown and describes it.
int find(int argc, char** argv) {
    HWND window = nullptr;
    for (int tries = std::atoi(argv[3]) * 20; tries >= 0; --tries, Sleep(50))
        if ((window = FindWindowExA(argc == 5 ? handle(argv[4]) : nullptr, nullptr, argv[1], argv[2])) && IsWindowVisible(window))
            break;
    if (!window)
        return std::puts("none"), 1;
    RECT place, client;
    GetWindowRect(window, &place);
    GetClientRect(window, &client);
    std::printf(
        "window=%llu place=%ld,%ld,%ld,%ld client=%ldx%ld style=0x%08lX exstyle=0x%08lX "
        "foreground=%d owner=%llu\n",
        reinterpret_cast<ULONG_PTR>(window), place.left, place.top, place.right, place.bottom, client.right, client.bottom, GetWindowLongA(window, GWL_STYLE),
        GetWindowLongA(window, GWL_EXSTYLE), GetForegroundWindow() == window, reinterpret_cast<ULONG_PTR>(GetWindow(window, GW_OWNER)));
    return 0;
}

// cursor WINDOW: shares the input state of WINDOW's thread, sets the arrow there and
// sends WINDOW what the system sends on a pointer move; prints the cursor then, 0 if hidden.
int cursor(int, char** argv) {
    const HWND window = handle(argv[1]);
    if (!AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(window, nullptr), TRUE))
        return std::puts("not attached"), 1;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return std::printf("cursor=%llu\n", reinterpret_cast<unsigned long long>(GetCursor())), 0;
}

// mode W H: switches the display to W x H; prints what the system answered (0: done).
int mode(int, char** argv) {
    DEVMODEA wanted = {};
    wanted.dmSize = sizeof wanted, wanted.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    wanted.dmPelsWidth = std::atoi(argv[1]), wanted.dmPelsHeight = std::atoi(argv[2]);
    const LONG answer = ChangeDisplaySettingsA(&wanted, 0);
    return std::printf("mode=%ld\n", answer), answer != DISP_CHANGE_SUCCESSFUL;
}

// window CLASS TITLE: a shown top-level window of that class and title until ended.
int window(int, char** argv) {
    const WNDCLASSA windowClass = {0, DefWindowProcA, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, argv[1]};
    if (!RegisterClassA(&windowClass) || !CreateWindowExA(0, argv[1], argv[2], WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr))
        return 1;
    std::puts("shown"), std::fflush(stdout);
    for (MSG message; GetMessageA(&message, nullptr, 0, 0) > 0;)
        DispatchMessageA(&message);
    return 0;
}

// checks DIALOG ID...: the check state of each control; click DIALOG ID...: clicks each;
// text DIALOG ID: the control's text, line breaks as "|".
int checks(int argc, char** argv) {
    if (std::strcmp(argv[0], "text") == 0) {
        char text[1024] = "";
        GetDlgItemTextA(handle(argv[1]), std::atoi(argv[2]), text, sizeof text);
        for (char* c = text; *c; ++c)
            *c = *c == '\n' ? '|' : *c;
        return std::puts(text), 0;
    }
    const UINT message = std::strcmp(argv[0], "click") == 0 ? BM_CLICK : BM_GETCHECK;
    for (int i = 2; i < argc; ++i)
        std::printf("%s%ld", i > 2 ? " " : "", static_cast<long>(SendDlgItemMessageA(handle(argv[1]), std::atoi(argv[i]), message, 0, 0)));
    std::puts("");
    return 0;
}

// notice WINDOW power VALUE | session EVENT: plays the system's part, which Wine does not.
// The console display's state goes as Windows sends it, in a record in the window's own
// process; the session's event is posted with the session's number. Prints whether it went.
int notice(int, char** argv) {
    const HWND window = handle(argv[1]);
    const DWORD value = std::strtoul(argv[3], nullptr, 0);
    DWORD process = 0, session = 0;
    GetWindowThreadProcessId(window, &process);
    if (std::strcmp(argv[2], "session") == 0)
        return std::printf("sent=%d\n", ProcessIdToSessionId(process, &session) && PostMessageA(window, 0x02B1, value, session)), 0;
    const struct {
        Guid setting;
        DWORD length, value;
    } record = {consoleDisplayState, sizeof value, value};
    const HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process);
    void* remote = target ? VirtualAllocEx(target, nullptr, sizeof record, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    DWORD_PTR answer = 0;
    const bool sent = remote && WriteProcessMemory(target, remote, &record, sizeof record, nullptr) &&
                      SendMessageTimeoutA(window, WM_POWERBROADCAST, 0x8013, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &answer);
    return std::printf("sent=%d\n", sent), 0;
}

// scene W H SEED DIR TICK...: the real host and scene full screen on a W x H display,
// with the clock's seed SEED; ticks are sent one by one, and the client's pixels after
// each TICK are written to DIR/tick_N.ppm. The seam functions wrapped below do it.
int sceneWidth, sceneHeight, sceneTicks;
char** sceneArguments;
std::uint32_t sceneSeed;

int runScene(int argc, char** argv) {
    sceneWidth = std::atoi(argv[1]);
    sceneHeight = std::atoi(argv[2]);
    sceneSeed = std::strtoul(argv[3], nullptr, 10);
    sceneArguments = argv + 4;
    sceneTicks = argc - 5;
    return hostMain(ownModule(), "/s");
}

bool writeFrame(HWND window, const char* path) {
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", sceneWidth, sceneHeight);
    const HDC screen = GetDC(window);
    for (int y = 0; y < sceneHeight; ++y)
        for (int x = 0; x < sceneWidth; ++x) {
            const COLORREF colour = GetPixel(screen, x, y);
            std::fputc(GetRValue(colour), file), std::fputc(GetGValue(colour), file), std::fputc(GetBValue(colour), file);
        }
    ReleaseDC(window, screen);
    return std::fclose(file) == 0;
}

// Each subcommand with the least and the most arguments it takes.
struct Command {
    const char* name;
    int least, most;
    int (*run)(int argc, char** argv);
} const commands[] = {{"parent", 2, 3, parent},  {"find", 3, 4, find},     {"cursor", 1, 1, cursor}, {"window", 2, 2, window},   {"mode", 2, 2, mode},
                      {"checks", 2, 99, checks}, {"click", 2, 99, checks}, {"text", 2, 2, checks},   {"scene", 5, 99, runScene}, {"notice", 3, 3, notice}};

}  // namespace

// The scene's run: no clock but the seed, no timer but the ticks sent below.
extern "C" std::uint64_t __wrap_systemFileTime() { return fileTimeOf1970 + sceneSeed * fileTimeUnitsPerSecond; }

extern "C" std::uintptr_t __wrap_startTimer(WindowHandle, std::uintptr_t id, std::uint32_t) { return id; }

extern "C" std::int32_t __real_runMessageLoop();
extern "C" std::int32_t __wrap_runMessageLoop() {
    const HWND window = reinterpret_cast<HWND>(host.saverWindow);
    MSG message;
    while (scene.firstErase)  // shown and erased once before the first tick
        if (GetMessageA(&message, nullptr, 0, 0) > 0)
            DispatchMessageA(&message);
    int result = 0;
    for (int tick = 1, next = 0; next < sceneTicks; ++tick) {
        SendMessageA(window, WM_TIMER, frameTimerId, 0);
        if (tick != std::atoi(sceneArguments[1 + next]))
            continue;
        char path[MAX_PATH];
        std::snprintf(path, sizeof path, "%s/tick_%d.ppm", sceneArguments[0], tick);
        result |= !writeFrame(window, path);
        ++next;
    }
    DestroyWindow(window);
    return __real_runMessageLoop() | result;
}

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // plain \n line ends for the scripts
    for (const Command& command : commands)
        if (argc >= 2 && std::strcmp(argv[1], command.name) == 0 && command.least <= argc - 2 && argc - 2 <= command.most)
            return command.run(argc - 1, argv + 1);
    std::fputs("usage: driver parent|find|cursor|window|mode|checks|click|text|scene|notice ...\n", stderr);
    return 2;
}
