#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host.h"
#include "host/messages.h"
#include "tests/native/fake_platform.h"

namespace {

using Calls = std::vector<std::string>;

class Password : public ::testing::Test {
protected:
    void SetUp() override {
        resetFake();
        host.isWin95Family = 1;
        fake.windows[fakeSaverWindow] = {0, 0, 64, 48};
    }
    void offerVerifier(std::uint32_t value = 1) {
        fake.passwordValuePresent = true;
        fake.passwordValue = value;
        fake.libraries["PASSWORD.CPL"] = {"VerifyScreenSavePwd"};
    }
    // A close request as the saver window receives it.
    MessageResult close() { return hostWindowProcedure(fakeSaverWindow, WM_CLOSE, 0, 0); }
    int verifierCalls() {
        int count = 0;
        for (const std::string& call : fake.calls)
            count += call == "VerifyScreenSavePwd()";
        return count;
    }
};

TEST_F(Password, TheVerifierLoadsOnlyWhenAPasswordIsWanted) {
    const struct {
        const char* what;
        bool win95, keyOpens, valuePresent;
        std::uint32_t value;
        bool library, entry;
        Calls calls;
    } cases[] = {
        {"NT touches nothing", false, true, true, 1, true, true, {}},
        {"no key", true, false, true, 1, true, true, {"openUserKey(Control Panel\\Desktop)"}},
        {"no value", true, true, false, 1, true, true,
         {"openUserKey(Control Panel\\Desktop)", "queryValue32(ScreenSaveUsePassword)", "closeKey()"}},
        {"value 0", true, true, true, 0, true, true,
         {"openUserKey(Control Panel\\Desktop)", "queryValue32(ScreenSaveUsePassword)", "closeKey()"}},
        {"no library", true, true, true, 1, false, true,
         {"openUserKey(Control Panel\\Desktop)", "queryValue32(ScreenSaveUsePassword)",
          "loadLibrary(PASSWORD.CPL)", "closeKey()"}},
        {"no entry: freed, the flag untouched", true, true, true, 1, true, false,
         {"openUserKey(Control Panel\\Desktop)", "queryValue32(ScreenSaveUsePassword)",
          "loadLibrary(PASSWORD.CPL)", "procAddress(PASSWORD.CPL, VerifyScreenSavePwd)",
          "freeLibrary(PASSWORD.CPL)", "closeKey()"}},
        {"verifier found: the system is told", true, true, true, 0x100, true, true,
         {"openUserKey(Control Panel\\Desktop)", "queryValue32(ScreenSaveUsePassword)",
          "loadLibrary(PASSWORD.CPL)", "procAddress(PASSWORD.CPL, VerifyScreenSavePwd)",
          "setScreenSaverRunning(1)", "closeKey()"}},
    };
    for (const auto& c : cases) {
        SetUp();
        host.isWin95Family = c.win95;
        fake.desktopKeyOpens = c.keyOpens;
        fake.passwordValuePresent = c.valuePresent;
        fake.passwordValue = c.value;
        if (c.library)
            fake.libraries["PASSWORD.CPL"] = c.entry ? std::vector<std::string>{"VerifyScreenSavePwd"}
                                                     : std::vector<std::string>{};
        loadVerifier();
        EXPECT_EQ(fake.calls, c.calls) << c.what;
    }
}

TEST_F(Password, UnloadingFreesTheLibraryBeforeClearingTheFlag) {
    offerVerifier();
    loadVerifier();
    fake.calls.clear();
    unloadVerifier();
    EXPECT_EQ(fake.calls, (Calls{"freeLibrary(PASSWORD.CPL)", "setScreenSaverRunning(0)"}));
    EXPECT_EQ(host.verifierModule, nullptr);
    EXPECT_EQ(host.verifierEntry, nullptr);
    fake.calls.clear();
    unloadVerifier();
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(Password, WithoutAVerifierTheFirstCloseIsAllowed) {
    close();
    EXPECT_EQ(host.closeConfirmed, 1);
    EXPECT_EQ(fake.calls.front(), "defaultProcedure(0x10)");
}

TEST_F(Password, ARefusedCheckKeepsTheWindowAndReanchors) {
    offerVerifier();
    loadVerifier();
    fake.verifier = [](WindowHandle) -> std::intptr_t { return 0; };
    fake.posted.push_back({fakeSaverWindow, WM_TIMER, 1, 0});
    fake.posted.push_back({fakeSaverWindow, WM_KEYDOWN, 'A', 0});
    fake.posted.push_back({fakeSaverWindow, WM_TIMER, 1, 0});
    fake.posted.push_back({fakeSaverWindow, WM_TIMER, 1, 0});
    fake.cursor = {300, 200};
    fake.calls.clear();
    EXPECT_EQ(close(), 0);
    EXPECT_EQ(fake.calls, (Calls{"removeTimerMessage()", "removeTimerMessage()",
                                 "sendMessage(0x8000)", "VerifyScreenSavePwd()", "hideCursor()",
                                 "cursorPosition()"}));
    EXPECT_EQ(fake.posted.size(), 2u);  // two timer messages taken, the key and one timer left
    EXPECT_EQ(fake.posted.front().message, WM_KEYDOWN);
    EXPECT_EQ(host.closeConfirmed, 0);
    EXPECT_EQ(host.checkInProgress, 0u);
    EXPECT_EQ(host.mouseAnchor.x, 300);
    EXPECT_EQ(host.lastCheckEnd, fake.milliseconds);
}

TEST_F(Password, ChecksWaitTwoHundredMillisecondsAfterTheLastOne) {
    offerVerifier();
    loadVerifier();
    fake.verifier = [](WindowHandle) -> std::intptr_t { return 0; };
    const struct {
        std::uint32_t end, next;
        bool checks;
    } cases[] = {
        {1000, 1000, false}, {1000, 1199, false}, {1000, 1200, true}, {1000, 5000, true},
        {0xFFFFFFF0u, 0xFFFFFFF0u + 199, false},  // 199 ms across the wrap
        {0xFFFFFFF0u, 0xFFFFFFF0u + 200, true},
        {0xFFFFFFFEu, 0xFFFFFFFEu, false},        // one below "no check yet"
    };
    for (const auto& c : cases) {
        host.lastCheckEnd = c.end;
        fake.milliseconds = c.next;
        fake.calls.clear();
        EXPECT_EQ(close(), 0);
        EXPECT_EQ(verifierCalls(), c.checks ? 1 : 0) << c.end << " then " << c.next;
    }
}

TEST_F(Password, TheFirstCheckAlwaysRuns) {
    offerVerifier();
    loadVerifier();
    fake.milliseconds = 0xFFFFFFFFu;  // the tick count equals the "none yet" mark
    EXPECT_EQ(host.lastCheckEnd, noCheckYet);
    close();
    EXPECT_EQ(verifierCalls(), 1);
}

TEST_F(Password, ANestedCloseDuringTheCheckIsRefusedWithoutAskingAgain) {
    offerVerifier();
    loadVerifier();
    std::vector<MessageResult> nested;
    fake.verifier = [&](WindowHandle window) -> std::intptr_t {
        // The verifier's own dialog loop dispatches the saver's messages meanwhile.
        nested.push_back(hostWindowProcedure(window, WM_CLOSE, 0, 0));
        nested.push_back(hostWindowProcedure(window, WM_KEYDOWN, 'A', 0));
        nested.push_back(hostWindowProcedure(window, WM_ACTIVATEAPP, 0, 0));
        return 7;
    };
    fake.calls.clear();
    close();
    EXPECT_EQ(verifierCalls(), 1);
    EXPECT_EQ(nested[0], 0);
    EXPECT_TRUE(fake.posted.empty());  // nothing asked to close again
    EXPECT_EQ(host.closeConfirmed, 7);  // the verdict itself is kept
    EXPECT_EQ(fake.calls.back(), "defaultProcedure(0x2)");  // and the window went
}

TEST_F(Password, OnceAllowedNoFrameIsDrawn) {
    offerVerifier();
    loadVerifier();
    fake.verifier = [](WindowHandle) -> std::intptr_t { return 1; };
    host.closeConfirmed = 1;
    fake.calls.clear();
    EXPECT_EQ(hostWindowProcedure(fakeSaverWindow, WM_TIMER, 1, 0), 0);
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(Password, TheRequestIsAnsweredByTheVerifierOrWithOne) {
    EXPECT_EQ(hostWindowProcedure(fakeSaverWindow, verifyRequestMessage, 0, 0), 1);
    offerVerifier();
    loadVerifier();
    fake.verifier = [](WindowHandle) -> std::intptr_t { return 0; };
    EXPECT_EQ(hostWindowProcedure(fakeSaverWindow, verifyRequestMessage, 0, 0), 0);
}

TEST_F(Password, AFullScreenRunClearsTheFlagAtTheEnd) {
    offerVerifier();
    fake.platformId = 1;
    fake.verifier = [](WindowHandle) -> std::intptr_t { return 1; };
    fake.queue.push_back({fakeSaverWindow, WM_KEYDOWN, 'A', 0});
    EXPECT_EQ(runSaverWindow(nullptr), 0);
    EXPECT_EQ(verifierCalls(), 1);
    const Calls tail(fake.calls.end() - 2, fake.calls.end());
    EXPECT_EQ(tail, (Calls{"freeLibrary(PASSWORD.CPL)", "setScreenSaverRunning(0)"}));
}

TEST_F(Password, ChangeLoadsTheLibraryForOneCall) {
    changePassword(fakeHandle(0x44));
    EXPECT_EQ(fake.calls, Calls{"loadLibrary(MPR.DLL)"});
    fake.calls.clear();
    fake.libraries["MPR.DLL"] = {};
    changePassword(fakeHandle(0x44));
    EXPECT_EQ(fake.calls, (Calls{"loadLibrary(MPR.DLL)", "procAddress(MPR.DLL, PwdChangePasswordA)",
                                 "freeLibrary(MPR.DLL)"}));
}

TEST(TickDifference, WrapsModulo32Bits) {
    EXPECT_EQ(tickDifference(10, 15), 5u);
    EXPECT_EQ(tickDifference(0xFFFFFFFFu, 4), 5u);
    EXPECT_EQ(tickDifference(5, 4), 0xFFFFFFFFu);
}

}  // namespace
