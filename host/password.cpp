// The password check on close and the password change, Windows 95 family only.
#include "host/host.h"
#include "platform/messages.h"

namespace {

constexpr const char* desktopKey = "Control Panel\\Desktop";
constexpr const char* passwordValue = "ScreenSaveUsePassword";
constexpr const char* verifierLibrary = "PASSWORD.CPL";
constexpr const char* verifierName = "VerifyScreenSavePwd";
constexpr const char* changeLibrary = "MPR.DLL";
constexpr const char* changeName = "PwdChangePasswordA";
constexpr const char* changeProvider = "SCRSAVE";

// Milliseconds from start to now, across the counter's wrap.
std::uint32_t tickDifference(std::uint32_t start, std::uint32_t now) {
    return now - start;
}

}  // namespace

void loadVerifier() {
    if (!host.isWin95Family)
        return;
    if (host.verifierModule != nullptr)
        unloadVerifier();
    const RegistryKey key = openUserKey(desktopKey);
    if (key == nullptr)
        return;
    std::uint32_t usePassword = 0;
    if (queryValue32(key, passwordValue, &usePassword) && usePassword != 0) {
        host.verifierModule = loadLibrary(verifierLibrary);
        if (host.verifierModule != nullptr) {
            host.verifierEntry = procAddress(host.verifierModule, verifierName);
            if (host.verifierEntry != nullptr)
                setSaverRunning(1);
            else
                unloadVerifier();
        }
    }
    closeKey(key);
}

void unloadVerifier() {
    if (!host.isWin95Family || host.verifierModule == nullptr)
        return;
    freeLibrary(host.verifierModule);
    host.verifierModule = nullptr;
    if (host.verifierEntry != nullptr) {
        host.verifierEntry = nullptr;
        setSaverRunning(0);
    }
}

void setSaverRunning(std::uint32_t on) {
    if (host.isWin95Family)
        setScreenSaverRunning(on);
}

std::intptr_t verifyClose(WindowHandle window) {
    if (host.checkInProgress)
        return 0;  // a close requested from inside the verifier's own loop
    if (host.verifierEntry == nullptr) {
        host.closeConfirmed = 1;
        return 1;
    }
    const std::uint32_t now = tickCount();
    if (host.lastCheckEnd != noCheckYet && tickDifference(host.lastCheckEnd, now) < checkRepeatInterval)
        return 0;

    host.checkInProgress = 1;
    // Frames that fell due before the check need not be drawn under the verifier's
    // dialog: up to two waiting timer messages go, each call taking at most one.
    removeTimerMessage(window);
    removeTimerMessage(window);
    const std::intptr_t verdict = sendMessage(window, verifyRequestMessage, 0, 0);
    host.closeConfirmed = verdict;
    host.checkInProgress = 0;
    if (verdict == 0)
        hideCursor();
    host.lastCheckEnd = tickCount();
    return host.closeConfirmed;
}

void changePassword(WindowHandle window) {
    const ModuleHandle library = loadLibrary(changeLibrary);
    if (library == nullptr)
        return;
    const ProcAddress entry = procAddress(library, changeName);
    if (entry != nullptr)
        callPasswordChange(entry, changeProvider, window);
    freeLibrary(library);
}
