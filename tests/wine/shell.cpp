// A stand-in for the desktop's shell in the 32-bit prefix, where Wine's own explorer does
// not run under qemu: the taskbar window ("Shell_TrayWnd") of a process of the desktop's
// user, which the setup looks for. It runs until its wineserver ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const WNDCLASSA windowClass{0, DefWindowProcA, 0, 0, instance, nullptr, nullptr, nullptr, nullptr, "Shell_TrayWnd"};
    if (!RegisterClassA(&windowClass) || !CreateWindowExA(0, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr))
        return 1;
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "ready\n", 6, &written, nullptr);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}
