// The process's entry into the core: the platform flag, the fault guard and the run modes.
#include "host/command_line.h"
#include "host/host.h"
#include "platform/messages.h"
#include "settings/settings.h"

HostState host = initialHostState;

namespace {

constexpr std::int32_t rejected = -1;

std::int32_t runMode(const char* tail) {
    const SwitchReading reading = readCommandSwitch(tail, host.isWin95Family);
    if (!reading.recognised)
        return rejected;
    switch (reading.mode) {
    case RunMode::configure:
        return runSettings(reading.ownedByForeground ? foregroundWindow() : nullptr);
    case RunMode::preview:
        return runPreview(reading.rest);
    case RunMode::fullScreen:
        return runSaverWindow(nullptr);
    case RunMode::passwordChange:
        return runChangePassword(reading.rest);
    }
    return rejected;
}

void clearSaverRunning() {
    setSaverRunning(0);
}

WindowHandle handleFrom(const char* text) {
    return reinterpret_cast<WindowHandle>(static_cast<std::uintptr_t>(parseDecimal(text)));
}

}  // namespace

const char* commandTail() {
    return skipProgramName(commandLine(), nextCharacter);
}

std::int32_t hostMain(ModuleHandle instance, const char* tail) {
    host.moduleInstance = instance;
    std::uint32_t platformId = 0;
    host.isWin95Family = queryPlatformId(&platformId) && platformId == VER_PLATFORM_WIN32_WINDOWS;
    return runGuarded(runMode, tail, clearSaverRunning);
}

std::int32_t runSettings(WindowHandle owner) {
    return static_cast<std::int32_t>(runDialog(host.moduleInstance, ID_SETTINGS_DIALOG, owner, settingsDialogProc));
}

std::int32_t runPreview(const char* rest) {
    const WindowHandle parent = handleFrom(rest);
    if (parent == nullptr || !isWindow(parent))
        return rejected;
    return runSaverWindow(parent);
}

std::int32_t runChangePassword(const char* rest) {
    WindowHandle window = handleFrom(rest);
    if (window == nullptr || !isWindow(window))
        window = foregroundWindow();
    changePassword(window);
    return 0;
}
