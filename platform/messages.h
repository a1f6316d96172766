// The Win32 numbers that the platform-free code uses, each under the system's own name:
// window messages, system commands, styles and flags. Only the platform-free code
// includes this; the platform layer has <windows.h>, which defines the same names as macros.
#pragma once

#include <cstdint>

constexpr std::uint32_t WM_CREATE = 0x0001;
constexpr std::uint32_t WM_DESTROY = 0x0002;
constexpr std::uint32_t WM_SIZE = 0x0005;
constexpr std::uint32_t WM_SETTEXT = 0x000C;
constexpr std::uint32_t WM_PAINT = 0x000F;
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_ERASEBKGND = 0x0014;
constexpr std::uint32_t WM_SHOWWINDOW = 0x0018;
constexpr std::uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr std::uint32_t WM_SETCURSOR = 0x0020;
constexpr std::uint32_t WM_MOUSEACTIVATE = 0x0021;
constexpr std::uint32_t WM_HELP = 0x0053;
constexpr std::uint32_t WM_CONTEXTMENU = 0x007B;
constexpr std::uint32_t WM_DISPLAYCHANGE = 0x007E;
constexpr std::uint32_t WM_KEYDOWN = 0x0100;
constexpr std::uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr std::uint32_t WM_INITDIALOG = 0x0110;
constexpr std::uint32_t WM_COMMAND = 0x0111;
constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
constexpr std::uint32_t WM_TIMER = 0x0113;
constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr std::uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr std::uint32_t WM_POWERBROADCAST = 0x0218;
constexpr std::uint32_t WM_WTSSESSION_CHANGE = 0x02B1;
constexpr std::uint32_t WM_APP = 0x8000;
// The saver's private message to its own window: run the password verifier.
constexpr std::uint32_t verifyRequestMessage = WM_APP;

constexpr std::uintptr_t SC_NEXTWINDOW = 0xF040;
constexpr std::uintptr_t SC_PREVWINDOW = 0xF050;
constexpr std::uintptr_t SC_SCREENSAVE = 0xF140;

// WM_POWERBROADCAST's event for a registered power setting, and the session's events.
constexpr std::uintptr_t PBT_POWERSETTINGCHANGE = 0x8013;
constexpr std::uintptr_t WTS_CONSOLE_CONNECT = 1;
constexpr std::uintptr_t WTS_CONSOLE_DISCONNECT = 2;
constexpr std::uintptr_t WTS_REMOTE_CONNECT = 3;
constexpr std::uintptr_t WTS_REMOTE_DISCONNECT = 4;

constexpr std::intptr_t MA_NOACTIVATE = 3;
constexpr std::uint32_t MB_ICONWARNING = 0x30;
constexpr int IDCANCEL = 2;  // a dialog's command for Escape and the title bar's close box
constexpr std::uint32_t BST_CHECKED = 1;
constexpr std::uint32_t VER_PLATFORM_WIN32_WINDOWS = 1;  // the Windows 95 family

constexpr std::uint32_t CS_VREDRAW = 0x0001;
constexpr std::uint32_t CS_HREDRAW = 0x0002;
constexpr std::uint32_t CS_DBLCLKS = 0x0008;
constexpr std::uint32_t CS_OWNDC = 0x0020;

constexpr std::uint32_t WS_POPUP = 0x80000000;
constexpr std::uint32_t WS_CHILD = 0x40000000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t WS_CLIPSIBLINGS = 0x04000000;
constexpr std::uint32_t WS_CLIPCHILDREN = 0x02000000;
constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008;
constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080;

constexpr std::uint32_t SND_ASYNC = 0x0001;
constexpr std::uint32_t SND_NOWAIT = 0x2000;
constexpr std::uint32_t SND_RESOURCE = 0x00040004;

constexpr int lowWord(std::uintptr_t value) {
    return static_cast<int>(value & 0xFFFF);
}
