// Looks into the settings dialog of another process, as the settings tests need it: the
// dialog's owner, place, check boxes, focus and default button, and the points on the
// screen where a user would click. Every subcommand prints one line of name=value pairs
// and ends with 0 on success, 1 on failure, 2 on misuse.
#define _WIN32_WINNT 0x0601
#define WINVER 0x0601
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "../probe_program.h"

namespace {

constexpr const char* dialogTitle = "Hi There !";
constexpr int okButton = 1000;
constexpr int cancelButton = 1001;
constexpr int logoBox = 1003;
constexpr int picturesBox = 1004;
constexpr int soundBox = 1005;
constexpr DWORD pollPeriod = 50;  // milliseconds
constexpr UINT sendTimeout = 10000;

int reply(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));
int reply(int code, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    return code;
}

// A message to another process's window that cannot hang the probe.
LRESULT sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, sendTimeout, &result);
    return static_cast<LRESULT>(result);
}

// Waits up to the given time for a shown top-level window with the dialog's title.
HWND waitForDialog(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        const HWND dialog = FindWindowA(nullptr, dialogTitle);
        if (dialog && IsWindowVisible(dialog))
            return dialog;
        if (GetTickCount() - start >= milliseconds)
            return nullptr;
        Sleep(pollPeriod);
    }
}

// "def" for a push button that shows the default frame, "push" for a plain one.
const char* buttonKind(HWND dialog, int id) {
    const LONG style = GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE);
    return (style & 0x0F) == BS_DEFPUSHBUTTON ? "def" : "push";
}

int checkState(HWND dialog, int id) {
    return static_cast<int>(sendTo(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0));
}

// dialog SECONDS: waits for the settings dialog and describes it: its handle, owner
// (GW_OWNER) and parent, its window rectangle on the screen (place=x,y,w,h) and where
// its client area begins there (client=x,y), the three check states, the control with
// the keyboard focus, the dialog's default identifier (DM_GETDEFID; 0 when it has
// none), which push buttons show the default frame, and whether it is the foreground
// window.
int dialog(int argc, char** argv) {
    if (argc < 1)
        return 2;
    const HWND dialog = waitForDialog(std::atoi(argv[0]) * 1000);
    if (!dialog)
        return reply(1, "dialog: no window titled \"%s\"", dialogTitle);
    RECT place;
    GetWindowRect(dialog, &place);
    POINT client = {0, 0};
    ClientToScreen(dialog, &client);
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread);
    const LRESULT defaultId = sendTo(dialog, DM_GETDEFID, 0, 0);
    return reply(0,
                 "dialog=%llu owner=%llu parent=%llu place=%ld,%ld,%ld,%ld client=%ld,%ld "
                 "logo=%d pics=%d sound=%d focus=%d defid=%d ok=%s cancel=%s foreground=%d",
                 decimal(dialog), decimal(GetWindow(dialog, GW_OWNER)),
                 decimal(reinterpret_cast<HWND>(GetWindowLongPtrA(dialog, GWLP_HWNDPARENT))),
                 place.left, place.top, place.right - place.left, place.bottom - place.top,
                 client.x, client.y,
                 checkState(dialog, logoBox), checkState(dialog, picturesBox),
                 checkState(dialog, soundBox),
                 thread.hwndFocus ? GetDlgCtrlID(thread.hwndFocus) : 0,
                 HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : 0,
                 buttonKind(dialog, okButton), buttonKind(dialog, cancelButton),
                 GetForegroundWindow() == dialog);
}

// click DIALOG ID: presses a button or toggles a check box with BM_CLICK. The message is
// posted, so that a button that ends the dialog does not leave the probe waiting.
int click(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const HWND control = GetDlgItem(handle(argv[0]), std::atoi(argv[1]));
    if (!control || !PostMessageA(control, BM_CLICK, 0, 0))
        return reply(1, "click: no control %s", argv[1]);
    return reply(0, "clicked=%s", argv[1]);
}

// point DIALOG ID: the screen point at the middle of a control, where a user clicks.
int point(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const HWND control = GetDlgItem(handle(argv[0]), std::atoi(argv[1]));
    RECT rect;
    if (!control || !GetWindowRect(control, &rect))
        return reply(1, "point: no control %s", argv[1]);
    return reply(0, "x=%ld y=%ld", (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// close-box WINDOW: a screen point on the title bar's close box, found by asking the
// window itself (WM_NCHITTEST) along the middle of its caption.
int closeBox(int argc, char** argv) {
    if (argc < 1)
        return 2;
    const HWND window = handle(argv[0]);
    RECT frame, client;
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    POINT clientOrigin = {0, 0};
    ClientToScreen(window, &clientOrigin);
    const LONG y = (frame.top + clientOrigin.y) / 2;
    for (LONG x = frame.right - 1; x > frame.left; --x) {
        if (sendTo(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE)
            return reply(0, "x=%ld y=%ld", x - 3, y);  // a little inside the box
    }
    return reply(1, "close-box: none on the caption of %s", argv[0]);
}

// foreground WINDOW: brings the window to the foreground and waits until it is there.
int foreground(int argc, char** argv) {
    if (argc < 1)
        return 2;
    const HWND window = handle(argv[0]);
    const DWORD start = GetTickCount();
    while (GetForegroundWindow() != window && GetTickCount() - start < 10000) {
        SetForegroundWindow(window);
        Sleep(pollPeriod);
    }
    const bool there = GetForegroundWindow() == window;
    return reply(there ? 0 : 1, "foreground=%d", there);
}

// origin WINDOW: where the window's client area begins on the screen.
int origin(int argc, char** argv) {
    if (argc < 1)
        return 2;
    POINT origin = {0, 0};
    if (!ClientToScreen(handle(argv[0]), &origin))
        return reply(1, "origin: no window %s", argv[0]);
    return reply(0, "origin=%ld,%ld", origin.x, origin.y);
}

constexpr Command commands[] = {
    {"dialog", dialog, "dialog SECONDS"},
    {"click", click, "click DIALOG ID"},
    {"point", point, "point DIALOG ID"},
    {"close-box", closeBox, "close-box WINDOW"},
    {"foreground", foreground, "foreground WINDOW"},
    {"origin", origin, "origin WINDOW"},
};

}  // namespace

int main(int argc, char** argv) {
    return runCommand("dialog_probe", commands, argc, argv);
}
