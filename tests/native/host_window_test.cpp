#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/messages.h"
#include "scene/scene.h"
#include "tests/native/fake_platform.h"

namespace {

using Calls = std::vector<std::string>;

const std::string readSettings[] = {"readProfileInt(VARNO, Sound, 0, VARNO.INI)",
                                    "readProfileInt(VARNO, Logo, 1, VARNO.INI)",
                                    "readProfileInt(VARNO, Pics, 1, VARNO.INI)"};
const std::string closeRequest = "postMessage(0x5a5a, 0x10, 0, 0)";

std::string byDefault(std::uint32_t message) {
    return "defaultProcedure(" + hex(message) + ")";
}

// One row of a handler table: the state, the message, and what must happen.
struct Row {
    const char* what;
    std::uint32_t preview, closeConfirmed, checkInProgress, win95;
    std::uint32_t message;
    WParam wParam;
    Calls calls;
    MessageResult result;
};

void runRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        resetFake();
        fake.windows[fakeSaverWindow] = {0, 0, 64, 48};
        fake.screenPixels.width = 64;
        host.isPreview = row.preview;
        host.closeConfirmed = row.closeConfirmed;
        host.checkInProgress = row.checkInProgress;
        host.isWin95Family = row.win95;
        host.mouseAnchor = fake.cursor;
        const MessageResult result =
            hostWindowProcedure(fakeSaverWindow, row.message, row.wParam, 0x1234);
        SCOPED_TRACE(row.what);
        EXPECT_EQ(fake.calls, row.calls);
        EXPECT_EQ(result, row.result);
    }
}

// The message passes the host's procedure, the scene and the host's default handling,
// in that order, and ends at the platform default.
TEST(HandlerOrder, EachMessageMeetsTheThreeHandlersInTurn) {
    runRows({
        {"create, full screen", 0, 0, 0, 0, WM_CREATE, 0,
         {"loadedModule(IMM32.DLL)", "cursorPosition()", "hideCursor()", readSettings[0],
          readSettings[1], readSettings[2], "startTimer(1, 5)", byDefault(WM_CREATE)},
         0},
        {"create, preview: the cursor stays", 1, 0, 0, 0, WM_CREATE, 0,
         {"loadedModule(IMM32.DLL)", "cursorPosition()", readSettings[0], readSettings[1],
          readSettings[2], "startTimer(1, 5)", byDefault(WM_CREATE)},
         0},
        {"timer: the host yields, then the scene draws", 0, 0, 0, 0, WM_TIMER, 1,
         {"yieldProcessor()", "windowSurface()", "releaseWindowSurface()", byDefault(WM_TIMER)}, 0},
        {"destroy: quit is posted before the scene stops its timer", 0, 0, 0, 0, WM_DESTROY, 0,
         {"postQuitMessage(0)", byDefault(WM_DESTROY)}, 0},
        {"key: the default handling asks to close", 0, 0, 0, 0, WM_KEYDOWN, 'A',
         {closeRequest, byDefault(WM_KEYDOWN)}, 0},
    });
}

TEST(HostWindowProcedure, FollowsItsTable) {
    runRows({
        {"settext is refused", 0, 0, 0, 0, WM_SETTEXT, 0, {}, 0},
        {"settext in the preview too", 1, 0, 0, 0, WM_SETTEXT, 0, {}, 0},
        {"paint hides the cursor", 0, 0, 0, 0, WM_PAINT, 0, {"hideCursor()", byDefault(WM_PAINT)}, 0},
        {"paint in the preview", 1, 0, 0, 0, WM_PAINT, 0, {byDefault(WM_PAINT)}, 0},
        {"paint once closing", 0, 1, 0, 0, WM_PAINT, 0, {byDefault(WM_PAINT)}, 0},
        {"help in the preview goes to a missing parent", 1, 0, 0, 0, WM_HELP, 0, {}, 1},
        {"context menu full screen passes on", 0, 0, 0, 0, WM_CONTEXTMENU, 0,
         {byDefault(WM_CONTEXTMENU)}, 0},
        {"key once closing", 0, 1, 0, 0, WM_KEYDOWN, 0, {byDefault(WM_KEYDOWN)}, 0},
        {"button once closing", 0, 1, 0, 0, WM_LBUTTONDOWN, 0, {byDefault(WM_LBUTTONDOWN)}, 0},
        {"move once closing", 0, 1, 0, 0, WM_MOUSEMOVE, 0, {byDefault(WM_MOUSEMOVE)}, 0},
        {"next window swallowed", 0, 0, 0, 0, WM_SYSCOMMAND, SC_NEXTWINDOW, {}, 0},
        {"previous window swallowed", 0, 0, 0, 0, WM_SYSCOMMAND, SC_PREVWINDOW, {}, 0},
        {"screen save swallowed", 0, 0, 0, 0, WM_SYSCOMMAND, SC_SCREENSAVE, {}, 0},
        {"screen save compared unmasked", 0, 0, 0, 0, WM_SYSCOMMAND, SC_SCREENSAVE | 2,
         {byDefault(WM_SYSCOMMAND)}, 0},
        {"close command is never swallowed", 0, 0, 0, 0, WM_SYSCOMMAND, SC_CLOSE,
         {byDefault(WM_SYSCOMMAND)}, 0},
        {"screen save in the preview passes on", 1, 0, 0, 0, WM_SYSCOMMAND, SC_SCREENSAVE,
         {byDefault(WM_SYSCOMMAND)}, 0},
        {"timer once closing draws nothing", 0, 1, 0, 0, WM_TIMER, 1, {}, 0},
    });
}

TEST(HandlerOrder, DestroyPostsQuitBeforeTheSceneStopsItsTimer) {
    resetFake();
    scene.timerId = 1;
    hostWindowProcedure(fakeSaverWindow, WM_DESTROY, 0, 0);
    EXPECT_EQ(fake.calls, (Calls{"postQuitMessage(0)", "stopTimer(1)", byDefault(WM_DESTROY)}));
}

TEST(HostWindowProcedure, RelaysHelpFromThePreviewToItsParent) {
    for (std::uint32_t message : {WM_HELP, WM_CONTEXTMENU}) {
        resetFake();
        host.isPreview = 1;
        fake.parentOf = fakeHandle(0x77);
        fake.windows[fake.parentOf] = {0, 0, 10, 10};
        EXPECT_EQ(hostWindowProcedure(fakeSaverWindow, message, 0x5a5a, 0x1234), 1);
        EXPECT_EQ(fake.calls, Calls{"postMessage(0x77, " + hex(message) + ", 0x77, 0x1234)"});
    }
}

TEST(HostDefaultHandling, FollowsItsTable) {
    runRows({
        {"preview ignores keys", 1, 0, 0, 1, WM_KEYDOWN, 0, {byDefault(WM_KEYDOWN)}, 0},
        {"preview ignores buttons", 1, 0, 0, 0, WM_RBUTTONDOWN, 0, {byDefault(WM_RBUTTONDOWN)}, 0},
        {"preview ignores deactivation", 1, 0, 0, 0, WM_ACTIVATEAPP, 0, {byDefault(WM_ACTIVATEAPP)}, 0},
        {"preview ignores the cursor", 1, 0, 0, 0, WM_SETCURSOR, 0, {byDefault(WM_SETCURSOR)}, 0},
        {"preview closes at once", 1, 0, 0, 1, WM_CLOSE, 0,
         {byDefault(WM_CLOSE), "postQuitMessage(0)", byDefault(WM_DESTROY)}, 0},
        {"NT closes without a check", 0, 0, 0, 0, WM_CLOSE, 0,
         {byDefault(WM_CLOSE), "postQuitMessage(0)", byDefault(WM_DESTROY)}, 0},
        {"95 without a verifier closes", 0, 0, 0, 1, WM_CLOSE, 0,
         {byDefault(WM_CLOSE), "postQuitMessage(0)", byDefault(WM_DESTROY)}, 0},
        {"95 during a check refuses and re-anchors", 0, 0, 1, 1, WM_CLOSE, 0, {"cursorPosition()"}, 0},
        {"verify request on 95 without a verifier", 0, 0, 0, 1, verifyRequestMessage, 0, {}, 1},
        {"verify request during a check", 0, 0, 1, 1, verifyRequestMessage, 0, {}, 1},
        {"verify request on NT", 0, 0, 0, 0, verifyRequestMessage, 0, {byDefault(WM_APP)}, 0},
        {"key during a check", 0, 0, 1, 1, WM_KEYDOWN, 0, {byDefault(WM_KEYDOWN)}, 0},
        {"show during a check", 0, 0, 1, 1, WM_SHOWWINDOW, 1, {byDefault(WM_SHOWWINDOW)}, 0},
        {"shown hides the cursor", 0, 0, 0, 0, WM_SHOWWINDOW, 1,
         {"hideCursor()", byDefault(WM_SHOWWINDOW)}, 0},
        {"hidden does not", 0, 0, 0, 0, WM_SHOWWINDOW, 0, {byDefault(WM_SHOWWINDOW)}, 0},
        {"deactivation closes", 0, 0, 0, 0, WM_ACTIVATEAPP, 0,
         {closeRequest, byDefault(WM_ACTIVATEAPP)}, 0},
        {"activation does not", 0, 0, 0, 0, WM_ACTIVATEAPP, 1, {byDefault(WM_ACTIVATEAPP)}, 0},
        {"cursor is hidden, no default", 0, 0, 0, 0, WM_SETCURSOR, 0, {"hideCursor()"}, 1},
        {"system key closes", 0, 0, 0, 0, WM_SYSKEYDOWN, 0, {closeRequest, byDefault(WM_SYSKEYDOWN)}, 0},
        {"left button closes", 0, 0, 0, 0, WM_LBUTTONDOWN, 0,
         {closeRequest, byDefault(WM_LBUTTONDOWN)}, 0},
        {"right button closes", 0, 0, 0, 0, WM_RBUTTONDOWN, 0,
         {closeRequest, byDefault(WM_RBUTTONDOWN)}, 0},
        {"middle button closes", 0, 0, 0, 0, WM_MBUTTONDOWN, 0,
         {closeRequest, byDefault(WM_MBUTTONDOWN)}, 0},
        {"a move at the anchor", 0, 0, 0, 0, WM_MOUSEMOVE, 0,
         {"cursorPosition()", byDefault(WM_MOUSEMOVE)}, 0},
        {"anything else", 0, 0, 0, 0, 0x0400, 0, {byDefault(0x0400)}, 0},
    });
}

// The anchor sits at (100, 100) as WM_CREATE left it with the fake's cursor.
class Movement : public ::testing::Test {
protected:
    void SetUp() override {
        resetFake();
        host.mouseAnchor = {100, 100};
    }
    bool moveTo(std::int32_t x, std::int32_t y) {
        fake.cursor = {x, y};
        fake.posted.clear();
        hostDefaultHandling(fakeSaverWindow, WM_MOUSEMOVE, 0, 0);
        return !fake.posted.empty();
    }
};

TEST_F(Movement, OnePixelStepsCloseOnTheFifth) {
    for (int step = 1; step <= 4; ++step)
        EXPECT_FALSE(moveTo(100 + step, 100)) << step;
    EXPECT_TRUE(moveTo(105, 100));
    EXPECT_EQ(host.mouseAnchor.x, 105);
}

TEST_F(Movement, SumsBothAxes) {
    EXPECT_FALSE(moveTo(102, 102));
    EXPECT_FALSE(moveTo(98, 98));
    EXPECT_TRUE(moveTo(103, 98));
    EXPECT_EQ(host.mouseAnchor.x, 103);
    EXPECT_EQ(host.mouseAnchor.y, 98);
}

TEST_F(Movement, BackAndForthNeverCloses) {
    for (int i = 0; i < 100; ++i) {
        EXPECT_FALSE(moveTo(101, 100));
        EXPECT_FALSE(moveTo(100, 100));
    }
    EXPECT_EQ(host.mouseAnchor.x, 100);
}

TEST_F(Movement, IsIgnoredInThePreviewAndDuringACheck) {
    host.isPreview = 1;
    EXPECT_FALSE(moveTo(200, 200));
    host.isPreview = 0;
    host.checkInProgress = 1;
    EXPECT_FALSE(moveTo(200, 200));
    EXPECT_EQ(host.mouseAnchor.x, 100);
}

class SaverWindow : public ::testing::Test {
protected:
    void SetUp() override { resetFake(); }
};

TEST_F(SaverWindow, FullScreenCoversTheScreenAboveAllAndComesForward) {
    fake.screen = {800, 600};
    fake.queue.push_back({fakeSaverWindow, WM_KEYDOWN, 'A', 0});
    EXPECT_EQ(runSaverWindow(nullptr), 0);
    const Calls expectedStart = {
        "findWindow(WindowsScreenSaverClass, Screen Saver)",
        "registerSaverClass(WindowsScreenSaverClass, 0x2b, icon 100)",
        "createWindow(0x8, WindowsScreenSaverClass, Screen Saver, 0x96000000, 0,0 800x600, parent 0)"};
    ASSERT_GE(fake.calls.size(), 3u);
    EXPECT_EQ(Calls(fake.calls.begin(), fake.calls.begin() + 3), expectedStart);
    EXPECT_NE(std::find(fake.calls.begin(), fake.calls.end(), "setForegroundWindow(0x5a5a)"),
              fake.calls.end());
    EXPECT_EQ(fake.calls.back(), byDefault(WM_DESTROY));
    EXPECT_EQ(host.saverWindow, fakeSaverWindow);
}

TEST_F(SaverWindow, ASecondFullScreenStartDefersToTheRunningOne) {
    fake.platformId = 1;
    host.isWin95Family = 1;
    fake.runningSaver = fakeHandle(0x42);
    fake.windows[fake.runningSaver] = {0, 0, 1, 1};
    EXPECT_EQ(runSaverWindow(nullptr), 0);
    EXPECT_EQ(fake.calls, (Calls{"findWindow(WindowsScreenSaverClass, Screen Saver)",
                                 "setForegroundWindow(0x42)"}));
}

TEST_F(SaverWindow, AStaleFoundHandleIsNotARunningSaver) {
    fake.runningSaver = fakeHandle(0x42);  // found, but no longer a window
    fake.classRegisters = false;
    EXPECT_EQ(runSaverWindow(nullptr), 0);
    EXPECT_EQ(fake.calls.back(), "registerSaverClass(WindowsScreenSaverClass, 0x2b, icon 100)");
}

TEST_F(SaverWindow, PreviewTakesTheParentsClientSizeAndNeverLooksForOthers) {
    const WindowHandle parent = fakeHandle(0x300);
    fake.windows[parent] = {0, 0, 152, 112};
    fake.queue.push_back({fakeSaverWindow, WM_KEYDOWN, 'A', 0});
    fake.queue.push_back({fakeSaverWindow, WM_ACTIVATEAPP, 0, 0});
    fake.queue.push_back({fakeSaverWindow, WM_CLOSE, 0, 0});
    EXPECT_EQ(runSaverWindow(parent), 0);
    EXPECT_EQ(fake.calls[0], "registerSaverClass(WindowsScreenSaverClass, 0x2b, icon 100)");
    EXPECT_EQ(fake.calls[1],
              "createWindow(0, WindowsScreenSaverClass, Preview, 0x52000000, 0,0 152x112, parent 0x300)");
    for (const std::string& call : fake.calls) {
        EXPECT_EQ(call.find("setForegroundWindow"), std::string::npos);
        EXPECT_NE(call, closeRequest);
    }
}

TEST_F(SaverWindow, WithoutAWindowTheLoopIsSkipped) {
    fake.windowCreates = false;
    EXPECT_EQ(runSaverWindow(nullptr), 0);
    EXPECT_EQ(std::find(fake.calls.begin(), fake.calls.end(), "runMessageLoop()"), fake.calls.end());
}

TEST_F(SaverWindow, TheInputMethodIsDetachedAndRestored) {
    fake.alreadyLoaded = {"IMM32.DLL"};
    fake.libraries["IMM32.DLL"] = {"ImmAssociateContext"};
    hostWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
    EXPECT_EQ(host.savedImeContext, 0x77u);
    fake.calls.clear();
    hostWindowProcedure(fakeSaverWindow, WM_DESTROY, 0, 0);
    EXPECT_EQ(fake.calls[0], "ImmAssociateContext(0x77)");
}

TEST_F(SaverWindow, AnInputMethodWithoutItsEntryIsLeftAlone) {
    fake.alreadyLoaded = {"IMM32.DLL"};
    hostWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
    hostWindowProcedure(fakeSaverWindow, WM_DESTROY, 0, 0);
    for (const std::string& call : fake.calls)
        EXPECT_NE(call.rfind("ImmAssociateContext(", 0), 0u) << call;
}

}  // namespace
