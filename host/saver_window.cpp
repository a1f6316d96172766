// The saver window in its two forms, the monitor covers, and the host's two message handlers.
#include "host/host.h"
#include "platform/messages.h"
#include "scene/scene.h"

namespace {

constexpr std::uint32_t classStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;

struct WindowForm {
    std::uint32_t exStyle;
    std::uint32_t style;
    const char* title;
};
constexpr WindowForm previewForm = {0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, previewTitle};
constexpr WindowForm fullScreenForm = {WS_EX_TOPMOST, WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                       fullScreenTitle};
// A tool window stays off the taskbar; owned by the saver window, so the system
// destroys the covers with it.
constexpr WindowForm coverForm = {WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, ""};

std::int32_t distance(Point a, Point b) {
    const std::int32_t dx = a.x - b.x;
    const std::int32_t dy = a.y - b.y;
    return (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy);
}

// The keys, buttons and movements that end the saver.
bool isUserInput(std::uint32_t message) {
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

void requestClose(WindowHandle window) {
    postMessage(window, WM_CLOSE, 0, 0);
}

// Small movements add up against the same anchor; only a close request moves it.
void testMovement(WindowHandle window) {
    const Point position = cursorPosition();
    if (distance(position, host.mouseAnchor) > mouseThreshold) {
        requestClose(window);
        host.mouseAnchor = position;
    }
}

void detachInputMethod(WindowHandle window) {
    host.imeModule = loadedModule("IMM32.DLL");
    if (host.imeModule == nullptr)
        return;
    host.imeAssociateEntry = procAddress(host.imeModule, "ImmAssociateContext");
    if (host.imeAssociateEntry != nullptr)
        host.savedImeContext = callImeAssociateContext(host.imeAssociateEntry, window, nullptr);
}

void restoreInputMethod(WindowHandle window) {
    if (host.imeModule != nullptr && host.imeAssociateEntry != nullptr && host.savedImeContext != nullptr)
        callImeAssociateContext(host.imeAssociateEntry, window, host.savedImeContext);
}

// Every monitor but the primary goes black for as long as the saver window lives.
void coverOtherMonitors() {
    const WindowClassRecord coverClass = {coverClassName, 0, 0, host.moduleInstance, coverWindowProcedure};
    Monitor monitors[maxMonitors];
    const int count = listMonitors(monitors, maxMonitors);
    for (int i = 0; i < count; ++i) {
        if (monitors[i].primary)
            continue;
        if (!host.coverClassRegistered && !(host.coverClassRegistered = registerWindowClass(&coverClass)))
            return;
        const WindowHandle cover = createWindow(coverForm.exStyle, coverClassName, coverForm.title, coverForm.style,
                                                monitors[i].area, host.saverWindow, host.moduleInstance);
        if (cover != nullptr)
            host.covers[host.coverCount++] = cover;
    }
}

// A new resolution or another set of monitors: the saver window takes the primary
// monitor again (its scene starts again on the new size) and the covers are made anew.
void coverNewScreen() {
    const Size screen = screenSize();
    placeTopmost(host.saverWindow, {0, 0, screen.width, screen.height});
    while (host.coverCount > 0)
        destroyWindow(host.covers[--host.coverCount]);
    coverOtherMonitors();
}

// The display's state and the session's connections, where the system tells them; Vista
// and 7 refuse the console display's state and tell the monitor's power. The 95 family has
// no sessions, and no library is looked for there.
void watchDisplayAndSession(WindowHandle window) {
    const Guid* const settings[] = {&consoleDisplayState, &monitorPowerOn};
    for (const Guid* setting : settings) {
        host.displaySetting = setting;  // the system may tell the state while the request is made
        if ((host.displayNotice = registerPowerNotice(window, setting)) != nullptr)
            break;
        host.displaySetting = nullptr;
    }
    if (!host.isWin95Family)
        host.sessionLibrary = registerSessionNotice(window);
}

void unwatchDisplayAndSession(WindowHandle window) {
    if (host.displayNotice != nullptr)
        unregisterPowerNotice(host.displayNotice);
    if (host.sessionLibrary != nullptr)
        unregisterSessionNotice(host.sessionLibrary, window);
    host.displayNotice = nullptr;
    host.displaySetting = nullptr;
    host.sessionLibrary = nullptr;
}

// The scene's clock stands still while any reason holds and runs again when none does.
void holdClock(WindowHandle window, std::uint32_t reason, bool holds) {
    const std::uint32_t before = host.clockStops;
    host.clockStops = holds ? before | reason : before & ~reason;
    if (before == 0 && host.clockStops != 0)
        stopSceneClock(window);
    else if (before != 0 && host.clockStops == 0)
        startSceneClock(window);
}

std::uint32_t littleEndian32(const std::uint8_t* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// lParam points to the system's POWERBROADCAST_SETTING: the setting's GUID, the length of
// its value, the value. Only the setting asked for, with a whole 32-bit value, is read.
void noteDisplayState(WindowHandle window, LParam lParam) {
    const auto* record = reinterpret_cast<const std::uint8_t*>(lParam);
    if (record == nullptr || host.displaySetting == nullptr)
        return;
    const auto* asked = reinterpret_cast<const std::uint8_t*>(host.displaySetting);
    for (unsigned i = 0; i < sizeof(Guid); ++i)
        if (record[i] != asked[i])
            return;
    if (littleEndian32(record + sizeof(Guid)) >= 4)
        holdClock(window, displayOff, littleEndian32(record + sizeof(Guid) + 4) == 0);
}

// Disconnected, from the console or a remote desktop; a lock or anything else is no reason.
void noteSessionChange(WindowHandle window, WParam event) {
    if (event == WTS_CONSOLE_DISCONNECT || event == WTS_REMOTE_DISCONNECT)
        holdClock(window, sessionAway, true);
    else if (event == WTS_CONSOLE_CONNECT || event == WTS_REMOTE_CONNECT)
        holdClock(window, sessionAway, false);
}

void relayToParent(WindowHandle window, std::uint32_t message, LParam lParam) {
    const WindowHandle parent = parentWindow(window);
    if (parent != nullptr && isWindow(parent))
        postMessage(parent, message, reinterpret_cast<WParam>(parent), lParam);
}

}  // namespace

std::int32_t runSaverWindow(WindowHandle parent) {
    const WindowClassRecord windowClass = {saverClassName, classStyle, ID_CLASS_ICON, host.moduleInstance,
                                           hostWindowProcedure};
    WindowForm form;
    Rect placement = {0, 0, 0, 0};
    if (parent != nullptr) {
        const Rect parentClient = clientRect(parent);
        placement.right = parentClient.right;
        placement.bottom = parentClient.bottom;
        form = previewForm;
        host.isPreview = 1;
    } else {
        const Size screen = screenSize();
        placement.right = screen.width;
        placement.bottom = screen.height;
        form = fullScreenForm;
        const WindowHandle running = findWindow(saverClassName, fullScreenTitle);
        if (running != nullptr && isWindow(running)) {
            setForegroundWindow(running);
            return 0;
        }
        loadVerifier();
    }

    std::int32_t exitCode = 0;
    if (registerWindowClass(&windowClass))
        host.saverWindow =
            createWindow(form.exStyle, saverClassName, form.title, form.style, placement, parent, host.moduleInstance);
    if (host.saverWindow != nullptr) {
        if (parent == nullptr) {
            coverOtherMonitors();
            setForegroundWindow(host.saverWindow);
        } else {
            startThreadTimer(parentCheckPeriod, checkPreviewParent);
        }
        exitCode = runMessageLoop();
    }
    unloadVerifier();
    return exitCode;
}

MessageResult hostWindowProcedure(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
    switch (message) {
    case WM_CREATE:
        detachInputMethod(window);
        host.mouseAnchor = cursorPosition();
        if (!host.isPreview)
            hideCursor();
        watchDisplayAndSession(window);
        break;
    case WM_DESTROY:
        restoreInputMethod(window);
        unwatchDisplayAndSession(window);
        postQuitMessage(0);
        break;
    case WM_SETTEXT:
        return 0;  // the title never changes
    case WM_PAINT:
        if (host.closeConfirmed)
            return defaultProcedure(window, message, wParam, lParam);
        if (!host.isPreview)
            hideCursor();
        break;
    case WM_HELP:
    case WM_CONTEXTMENU:
        if (host.isPreview) {
            relayToParent(window, message, lParam);
            return 1;
        }
        break;
    case WM_SYSCOMMAND:
        if (!host.isPreview && (wParam == SC_NEXTWINDOW || wParam == SC_PREVWINDOW || wParam == SC_SCREENSAVE))
            return 0;
        break;
    case WM_TIMER:
        if (host.clockStops)
            stopSceneClock(window);  // a tick queued before the stop, or of a clock the scene started since
        if (host.closeConfirmed || host.clockStops)
            return 0;  // no frame once a close has been allowed, nor while nobody can see it
        yieldProcessor();
        break;
    case WM_POWERBROADCAST:
        if (wParam == PBT_POWERSETTINGCHANGE)
            noteDisplayState(window, lParam);
        break;
    case WM_WTSSESSION_CHANGE:
        noteSessionChange(window, wParam);
        break;
    case WM_DISPLAYCHANGE:
        if (!host.isPreview)
            coverNewScreen();
        break;
    default:
        if (isUserInput(message) && host.closeConfirmed)
            return defaultProcedure(window, message, wParam, lParam);
        break;
    }
    MessageResult answer = 0;
    if (sceneWindowProcedure(window, message, wParam, lParam, &answer))
        return answer;
    return hostDefaultHandling(window, message, wParam, lParam);
}

// A host that is ended outright takes the preview's window with it, timer and all, and
// sends it nothing; so a timer of the thread asks after the parent.
void checkPreviewParent() {
    const WindowHandle parent = parentWindow(host.saverWindow);
    if (parent != nullptr && isWindow(parent))
        return;
    if (isWindow(host.saverWindow))
        destroyWindow(host.saverWindow);  // its WM_DESTROY ends the loop
    else
        postQuitMessage(0);
}

MessageResult hostDefaultHandling(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
    if (host.isPreview || host.closeConfirmed)
        return defaultProcedure(window, message, wParam, lParam);

    if (message == WM_CLOSE) {
        if (!host.isWin95Family)
            return defaultProcedure(window, message, wParam, lParam);
        if (verifyClose(window))
            return defaultProcedure(window, message, wParam, lParam);
        host.mouseAnchor = cursorPosition();
        return 0;
    }
    if (message == verifyRequestMessage) {
        if (!host.isWin95Family)
            return defaultProcedure(window, message, wParam, lParam);
        return host.verifierEntry ? callVerifier(host.verifierEntry, window) : 1;
    }
    if (host.checkInProgress)
        return defaultProcedure(window, message, wParam, lParam);

    switch (message) {
    case WM_SHOWWINDOW:
        if (wParam != 0)
            hideCursor();
        break;
    case WM_ACTIVATEAPP:
        if (wParam == 0)
            requestClose(window);
        break;
    case WM_SETCURSOR:
        hideCursor();
        return 1;
    case WM_MOUSEMOVE:
        testMovement(window);
        break;
    default:
        if (isUserInput(message))  // a key or a button
            requestClose(window);
        break;
    }
    return defaultProcedure(window, message, wParam, lParam);
}

MessageResult coverWindowProcedure(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
    if (isUserInput(message)) {
        // Input over a cover is input over the saver window, under the same rules.
        postMessage(host.saverWindow, message, wParam, lParam);
        return 0;
    }
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // a click leaves the keyboard with the saver window
    case WM_SETCURSOR:
        hideCursor();
        return 1;
    default:
        return defaultProcedure(window, message, wParam, lParam);
    }
}
