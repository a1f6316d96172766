// The saver host: process entry, run modes, the saver window and its two
// message handlers, and the password check on the Windows 95 family.
#pragma once

#include <cstdint>

#include "assets/resource_ids.h"
#include "platform/platform.h"

enum class RunMode { configure, preview, fullScreen, passwordChange };

constexpr int maxMonitors = 16;

struct HostState {
    ModuleHandle moduleInstance;
    std::uint32_t isWin95Family;
    WindowHandle saverWindow;
    std::uint32_t isPreview;
    Point mouseAnchor;
    ModuleHandle imeModule;
    ProcAddress imeAssociateEntry;
    InputContext savedImeContext;
    ModuleHandle verifierModule;
    ProcAddress verifierEntry;
    std::intptr_t closeConfirmed;
    std::uint32_t checkInProgress;
    std::uint32_t lastCheckEnd;
    std::uint32_t coverClassRegistered;
    std::int32_t coverCount;
    WindowHandle covers[maxMonitors];  // the black windows over the other monitors
    PowerNotice displayNotice;         // the display's power state is told to the saver window
    const Guid* displaySetting;        // the setting it is told as
    ModuleHandle sessionLibrary;       // holds the session's notices to the saver window
    std::uint32_t clockStops;          // the reasons the scene's clock stands still
};

constexpr std::uint32_t noCheckYet = 0xFFFFFFFFu;
constexpr HostState initialHostState = {nullptr, 0, nullptr,    0, {0, 0}, nullptr, nullptr, nullptr, nullptr, nullptr,
                                        0,       0, noCheckYet, 0, 0,      {},      nullptr, nullptr, nullptr, 0};

extern HostState host;

// Why the scene's clock stands still: nobody can see the saver.
enum : std::uint32_t { displayOff = 1, sessionAway = 2 };
// The console display's state (0 off, 1 on, 2 dimmed), and the monitor's power (0 off, 1
// on), which Vista and 7 tell instead.
constexpr Guid consoleDisplayState = {0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};
constexpr Guid monitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xE6, 0xE5, 0xA1, 0x7E, 0xBD, 0x1A, 0xEA}};

constexpr std::int32_t mouseThreshold = 4;
constexpr std::uint32_t checkRepeatInterval = 200;  // milliseconds
constexpr const char* saverClassName = "WindowsScreenSaverClass";
constexpr const char* fullScreenTitle = "Screen Saver";
constexpr const char* previewTitle = "Preview";
// The black windows over the monitors other than the primary, full screen only.
constexpr const char* coverClassName = "VARNOMonitorCover";
// How often a preview asks whether its parent window still exists.
constexpr std::uint32_t parentCheckPeriod = 250;  // milliseconds

// Run modes; the entry, hostMain, is declared with the platform seam.
std::int32_t runSettings(WindowHandle owner);
std::int32_t runPreview(const char* rest);
std::int32_t runChangePassword(const char* rest);

// Saver window.
std::int32_t runSaverWindow(WindowHandle parent);
MessageResult hostWindowProcedure(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);
MessageResult hostDefaultHandling(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);
void checkPreviewParent();
MessageResult coverWindowProcedure(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);

// Password check and change.
void loadVerifier();
void unloadVerifier();
void setSaverRunning(std::uint32_t on);
std::intptr_t verifyClose(WindowHandle window);
void changePassword(WindowHandle window);
