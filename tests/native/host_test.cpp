// The host: the command line from the process's entry to its exit, both message tables row
// by row, the order of the three handlers, the movement test, the input method, the two forms
// of the saver window, the password check and change.
#include <gtest/gtest.h>

#include "host/host.h"
#include "scene/scene.h"
#include "tests/native/fake_platform.h"

namespace {
// clang-format off

using Calls = std::vector<Effects>;

std::string callNames(const Calls& calls) {
    std::string text;
    for (Effects call : calls)
        text += effectNames(call) + " ";
    return text;
}

// Which mode ran is told by what it did: a dialog, a window with or without a parent, a
// password change (its library loaded and freed); the handle is the dialog's owner, the
// preview's parent or the window handed to the change. The platform's code page is
// double-byte (0x81 to 0xFE lead).
TEST(CommandLine, EachLineRunsItsModeWithItsHandleAndExitCode) {
    enum : std::uint32_t { NO_LIBRARY = 1 << 8, NO_ENTRY = 1 << 9 };  // of the password change
    const Effects full = FINDS | CREATES, change = LOADS | CHANGES | FREES;
    const struct { int line; const char* command; std::uint32_t state; std::int32_t exitCode; Effects ran; std::uintptr_t handle; } rows[] = {
        {__LINE__, "\"C:\\Program Files\\VARNO.scr\" /s", NT, 0, full, 0},
        {__LINE__, "\"C:\\VARNO.scr\"", NT, 1, DIALOG, 0},                 // the shell's Configure verb
        {__LINE__, "\"C:\\\x81\x22name.scr\" /s", NT, 0, full, 0},        // a trail byte is no quote
        {__LINE__, "VARNO\x81\x20.scr /c", NT, 1, DIALOG, 0x99},            // nor a blank
        {__LINE__, "VARNO.scr /c", NT, 1, DIALOG, 0x99},
        {__LINE__, "VARNO.scr /p 1234", NT, 0, CREATES, 1234},
        {__LINE__, "VARNO.scr /p", NT, -1, 0, 0},
        {__LINE__, "VARNO.scr /p 4321", NT, -1, 0, 0},  // no window
        {__LINE__, "VARNO.scr /a 1234", WIN95, 0, change, 1234},
        {__LINE__, "VARNO.scr /A", WIN95, 0, change, 0x99},
        {__LINE__, "VARNO.scr /a 4321", WIN95, 0, change, 0x99},
        {__LINE__, "VARNO.scr /a", WIN95 | NO_ENTRY, 0, LOADS | FREES, 0},
        {__LINE__, "VARNO.scr /a", WIN95 | NO_LIBRARY, 0, LOADS, 0},
    };
    FOR_EACH_ROW(row, rows) {
        resetFake();
        fake.line = row.command;
        fake.platformId = row.state & WIN95 ? 1 : 2;
        fake.foreground = fakeHandle(0x99);
        for (std::uintptr_t window : {0x99, 1234})
            fake.windows[fakeHandle(window)] = {0, 0, 152, 112};
        if (!(row.state & NO_LIBRARY))
            fake.libraries["MPR.DLL"] = row.state & NO_ENTRY ? std::vector<std::string>{} : std::vector<std::string>{"PwdChangePasswordA"};
        fake.commands = {ID_OK};
        const std::int32_t exitCode = hostMain(fakeModule, commandTail());
        const Effects ran = fake.effects & (DIALOG | FINDS | CREATES | change | BAD_CALL);
        const WindowHandle handle = ran & DIALOG ? fake.dialogOwner : ran & CHANGES ? fake.changedFor : fake.createdParent;
        EXPECT_EQ(std::make_tuple(exitCode, effectNames(ran), handle), std::make_tuple(row.exitCode, effectNames(row.ran), fakeHandle(row.handle)));
    }
}

TEST(CommandLine, OnlyAQueryThatSaysPlatformOneIsWindows95AndOnlyThereTheGuardClearsTheFlag) {
    const struct { int line; bool succeeds; std::uint32_t id, win95; Effects cleanup; } rows[] = {
        {__LINE__, true, 1, 1, RUNNING_OFF},
        {__LINE__, true, 2, 0, 0},
        {__LINE__, true, 0, 0, 0},
        {__LINE__, false, 1, 0, 0}};
    FOR_EACH_ROW(row, rows) {
        resetFake();
        fake.versionQuerySucceeds = row.succeeds;
        fake.platformId = row.id;
        EXPECT_EQ(hostMain(fakeModule, "/x"), -1);
        EXPECT_EQ(host.isWin95Family, row.win95);
        ASSERT_NE(fake.guardCleanup, nullptr);
        fake.guardCleanup();  // as the guard runs it when a fault escapes
        EXPECT_EQ(effectNames(fake.effects), effectNames(row.cleanup));
    }
}

// The fake's effects and what the host's record shows.
Effects observed(Point anchorBefore, std::intptr_t confirmedBefore) {
    Effects effects = fake.effects;
    if (host.mouseAnchor.x != anchorBefore.x || host.mouseAnchor.y != anchorBefore.y)
        effects |= ANCHORS;
    if (host.closeConfirmed != confirmedBefore)
        effects |= CONFIRMS;
    return effects;
}

struct Row {
    int line;
    std::uint32_t message;
    WParam wParam;
    std::uint32_t state;
    Effects effects;
    MessageResult result;
};

// Whatever a row posts besides a close keeps the message and lParam; a relay names the
// parent in wParam, a cover's hand-over keeps it.
template <std::size_t N>
void checkRows(WindowProcedure handler, const Row (&rows)[N], WindowHandle self = fakeSaverWindow) {
    FOR_EACH_ROW(row, rows) {
        openWindow(row.state);
        const std::intptr_t confirmed = host.closeConfirmed;
        const MessageResult result = handler(self, row.message, row.wParam, 0x1234);
        Effects effects = observed({100, 100}, confirmed);
        for (const QueuedMessage& m : fake.queue)
            if (m.message != WM_CLOSE &&
                (m.message != row.message || m.lParam != 0x1234 || m.wParam != (m.window == fake.parentOf ? WParam{0x300} : row.wParam)))
                effects |= BAD_CALL;
        EXPECT_EQ(effectNames(effects), effectNames(row.effects));
        EXPECT_EQ(result, row.result);
    }
}

TEST(SaverWindow, HostWindowProcedureFollowsItsTable) {
    const Row rows[] = {
        {__LINE__, WM_CREATE, 0, FULL, ANCHORS | HIDES | STARTS_TIMER | DEFAULT, DEF},
        {__LINE__, WM_CREATE, 0, PREVIEW, ANCHORS | STARTS_TIMER | DEFAULT, DEF},
        {__LINE__, WM_DESTROY, 0, FULL, QUITS | DEFAULT, DEF},
        {__LINE__, WM_SETTEXT, 0, FULL, 0, 0},
        {__LINE__, WM_PAINT, 0, FULL, HIDES | DEFAULT, DEF},
        {__LINE__, WM_PAINT, 0, PREVIEW, DEFAULT, DEF},
        {__LINE__, WM_PAINT, 0, FULL | CONFIRMED, DEFAULT, DEF},
        {__LINE__, WM_HELP, 0, PREVIEW, RELAYS, 1},
        {__LINE__, WM_HELP, 0, PREVIEW | ORPHAN, 0, 1},
        {__LINE__, WM_HELP, 0, FULL, DEFAULT, DEF},
        {__LINE__, WM_SYSCOMMAND, SC_NEXTWINDOW, FULL, 0, 0},
        {__LINE__, WM_SYSCOMMAND, SC_PREVWINDOW, FULL, 0, 0},
        {__LINE__, WM_SYSCOMMAND, SC_SCREENSAVE, FULL, 0, 0},
        {__LINE__, WM_SYSCOMMAND, SC_CLOSE, FULL, DEFAULT, DEF},
        {__LINE__, WM_SYSCOMMAND, SC_SCREENSAVE, PREVIEW, DEFAULT, DEF},
        {__LINE__, WM_TIMER, 1, FULL | CONFIRMED, 0, 0},
        {__LINE__, WM_ERASEBKGND, 0, FULL, 0, 1},  // the scene alone
        {__LINE__, WM_CHAR, 'a', FULL, DEFAULT, DEF},
    };
    checkRows(hostWindowProcedure, rows);
}

TEST(SaverWindow, HostDefaultHandlingFollowsItsTable) {
    const Effects closes = QUITS | DEFAULT;  // the platform default destroys the window
    const Row rows[] = {
        // Closes (an allowed one leaves everything to the platform) and the verify request.
        {__LINE__, WM_CLOSE, 0, FULL | WIN95 | VERIFIER | CONFIRMED, closes, DEF},
        {__LINE__, WM_CLOSE, 0, FULL | NT, closes, DEF},
        {__LINE__, WM_CLOSE, 0, FULL | WIN95, CONFIRMS | closes, DEF},
        {__LINE__, WM_CLOSE, 0, FULL | WIN95 | VERIFIER, VERIFIES | CONFIRMS | closes, DEF},
        {__LINE__, WM_CLOSE, 0, FULL | WIN95 | VERIFIER | REFUSES, VERIFIES | HIDES | ANCHORS, 0},
        {__LINE__, WM_CLOSE, 0, FULL | WIN95 | CHECKING, ANCHORS, 0},
        {__LINE__, WM_VERIFY, 0, FULL | WIN95, 0, 1},
        {__LINE__, WM_VERIFY, 0, FULL | NT, DEFAULT, DEF},
        // Full screen, running.
        {__LINE__, WM_SHOWWINDOW, 1, FULL, HIDES | DEFAULT, DEF},
        {__LINE__, WM_SHOWWINDOW, 0, FULL, DEFAULT, DEF},
        {__LINE__, WM_ACTIVATEAPP, 0, FULL, CLOSES | DEFAULT, DEF},
        {__LINE__, WM_ACTIVATEAPP, 1, FULL, DEFAULT, DEF},
    };
    checkRows(hostDefaultHandling, rows);
}

// Host first, the scene next, the default last; the quit is posted before the scene stops
// its timer. Without IMM32.DLL loaded, or without its entry, the input method is left alone;
// a context of 0 taken at creation is not handed back (the Wine tests see a real one go and
// come back).
TEST(SaverWindow, MessagesMeetTheThreeHandlersInTurnAndTheInputMethodOnlyWhenThere) {
    const struct { int line; bool loaded, exported; Calls create; } rows[] = {
        {__LINE__, true, true, {ASSOCIATES, HIDES, STARTS_TIMER, DEFAULT}},
        {__LINE__, true, false, {HIDES, STARTS_TIMER, DEFAULT}},
        {__LINE__, false, true, {HIDES, STARTS_TIMER, DEFAULT}},
    };
    FOR_EACH_ROW(row, rows) {
        openWindow(FULL);
        fake.immLoaded = row.loaded;
        fake.libraries["IMM32.DLL"] = row.exported ? std::vector<std::string>{"ImmAssociateContext"} : std::vector<std::string>{};
        hostWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
        EXPECT_EQ(callNames(fake.calls), callNames(row.create));
        EXPECT_EQ(fake.timer, "0x5a5a 1 5");  // the frame timer: window, identifier, period
        fake.calls.clear();
        hostWindowProcedure(fakeSaverWindow, WM_TIMER, 1, 0);
        EXPECT_EQ(callNames(fake.calls), callNames({YIELDS, DRAWS, DEFAULT}));
        fake.calls.clear();
        hostWindowProcedure(fakeSaverWindow, WM_DESTROY, 0, 0);
        EXPECT_EQ(callNames(fake.calls), callNames({QUITS, STOPS_TIMER, DEFAULT}));
    }
}

// Movements add up against the anchor, which moves only with a close request.
TEST(SaverWindow, AMovementOfMoreThanFourPixelsClosesAndMovesTheAnchor) {
    const struct { int line; Point cursor; Effects effects; } moves[] = {
        {__LINE__, {104, 100}, 0},
        {__LINE__, {105, 100}, CLOSES},
        {__LINE__, {107, 102}, 0},
        {__LINE__, {108, 102}, CLOSES},
        {__LINE__, {104, 102}, 0},
        {__LINE__, {103, 102}, CLOSES},
        {__LINE__, {103, 98}, 0},
        {__LINE__, {103, 97}, CLOSES},
        {__LINE__, {104, 97}, 0},
        {__LINE__, {103, 97}, 0},
        {__LINE__, {104, 97}, 0},
        {__LINE__, {101, 95}, 0},
        {__LINE__, {100, 95}, CLOSES},
    };
    openWindow(FULL);
    FOR_EACH_ROW(move, moves) {
        const Point anchor = host.mouseAnchor, expected = move.effects ? move.cursor : anchor;
        fake.cursor = move.cursor;
        fake.effects = 0;
        hostDefaultHandling(fakeSaverWindow, WM_MOUSEMOVE, 0, 0);
        EXPECT_EQ(effectNames(fake.effects & ~DEFAULT), effectNames(move.effects));
        EXPECT_TRUE(host.mouseAnchor.x == expected.x && host.mouseAnchor.y == expected.y);
    }
}

// The full-screen and preview windows from the single-instance test to the end of the loop.
// Full screen, each monitor but the primary gets a black window of its own class, owned by
// the saver window (so it goes with it), topmost and off the taskbar; a preview covers nothing.
TEST(SaverWindow, EachFormRunsItsCourse) {
    enum : std::uint32_t { PARENT = 1 << 8, FOUND = 1 << 9, STALE = 1 << 10, NO_CLASS = 1 << 11, NO_WINDOW = 1 << 12, ALONE = 1 << 13 /* one monitor */ };
    const Effects run = FINDS | REGISTERS | CREATES | HIDES | FOREGROUND | LOOPS;
    const std::vector<std::string> covers = {"VARNOMonitorCover  (-1024,-168)-(0,600) owner 0x5a5a 0x400000",
                                             "VARNOMonitorCover  (800,0)-(1440,480) owner 0x5a5a 0x400000"};
    const struct { int line; std::uint32_t setup; Effects effects; bool covered; } rows[] = {
        {__LINE__, FULL | NT, run, true},
        {__LINE__, FULL | NT | ALONE, run, false},
        {__LINE__, FULL | NT | STALE, run, true},
        {__LINE__, FULL | WIN95 | VERIFIER, run | LOADS | RUNNING_ON | VERIFIES | FREES | RUNNING_OFF, true},
        {__LINE__, FULL | WIN95 | VERIFIER | FOUND, FINDS | FOREGROUND, false},
        {__LINE__, FULL | WIN95 | VERIFIER | NO_CLASS, FINDS | LOADS | RUNNING_ON | REGISTERS | FREES | RUNNING_OFF, false},
        {__LINE__, FULL | NT | NO_WINDOW, FINDS | REGISTERS | CREATES, false},
        {__LINE__, PARENT | WIN95 | VERIFIER, REGISTERS | CREATES | LOOPS, false},
        {__LINE__, PARENT | NT | NO_WINDOW, REGISTERS | CREATES, false},
    };
    const WindowHandle running = fakeHandle(0x42), parent = fakeHandle(0x300);
    FOR_EACH_ROW(row, rows) {
        const std::uint32_t setup = row.setup;
        resetFake();
        host.moduleInstance = fakeModule;
        host.isWin95Family = (setup & WIN95) != 0;
        fake.screen = {800, 600};
        fake.monitors = {{{-1024, -168, 0, 600}, false}, {{0, 0, 800, 600}, true}, {{800, 0, 1440, 480}, false}};
        if (setup & ALONE)
            fake.monitors = {fake.monitors[1]};
        fake.passwordValuePresent = setup & VERIFIER;
        fake.passwordValue = 1;
        fake.libraries["PASSWORD.CPL"] = {"VerifyScreenSavePwd"};
        fake.runningSaver = setup & (FOUND | STALE) ? running : nullptr;
        if (setup & FOUND)
            fake.windows[running] = {0, 0, 800, 600};
        fake.windows[parent] = {0, 0, 152, 112};
        fake.classRegisters = !(setup & NO_CLASS);
        fake.windowCreates = !(setup & NO_WINDOW);
        runSaverWindow(setup & PARENT ? parent : nullptr);
        EXPECT_EQ(effectNames(fake.effects & (run | LOADS | RUNNING_ON | VERIFIES | FREES | RUNNING_OFF | BAD_CALL)), effectNames(row.effects));
        EXPECT_EQ(fake.createdParent, setup & PARENT ? parent : nullptr);
        EXPECT_EQ(fake.others, row.covered ? covers : std::vector<std::string>{});
        // Only a preview watches its parent, on a timer of its own that outlives the window.
        const bool watches = setup & PARENT && !(setup & NO_WINDOW);
        EXPECT_EQ(std::make_pair(fake.watchPeriod, fake.watch), std::make_pair(watches ? 250u : 0u, watches ? &checkPreviewParent : nullptr));
        if (row.effects & FOREGROUND) {  // the running saver, or the new one
            EXPECT_EQ(fake.broughtForward, setup & FOUND ? running : fakeSaverWindow);
        }
        if (row.effects & RUNNING_OFF) {  // the library goes first, then the flag
            EXPECT_EQ(callNames(Calls(fake.calls.end() - 2, fake.calls.end())), callNames({FREES, RUNNING_OFF}));
        }
        if (row.effects & CREATES) {
            EXPECT_EQ(std::make_tuple(std::string(fake.saverClass.name), fake.saverClass.style, fake.saverClass.iconId, fake.saverClass.instance,
                                      fake.saverClass.procedure),
                      std::make_tuple(std::string("WindowsScreenSaverClass"), 0x2Bu, 100, fakeModule, &hostWindowProcedure));
        }
        if (row.covered) {
            const WindowClassRecord& coverClass = fake.otherClasses["VARNOMonitorCover"];
            EXPECT_EQ(std::make_tuple(coverClass.iconId, coverClass.procedure), std::make_tuple(0, &coverWindowProcedure));
        }
    }
}

// A dead parent ends the preview through the window's destruction while the window is there
// (the Wine test sees the rest: a live parent keeps the preview, and one whose window went
// with its parent's process quits).
TEST(SaverWindow, APreviewWhoseParentIsGoneEnds) {
    openWindow(PREVIEW | ORPHAN);
    checkPreviewParent();
    EXPECT_EQ(effectNames(fake.effects), effectNames(DESTROYS | QUITS | DEFAULT));
}

// A new display: the saver window is placed again (where: the Wine test sees it), and the
// old covers give way to one for each other monitor there is now (none without monitor
// functions).
TEST(SaverWindow, ADisplayChangeCoversTheNewScreen) {
    const std::vector<Monitor> two = {{{0, 0, 1024, 768}, true}, {{1024, 0, 1664, 480}, false}};
    const struct { int line; std::uint32_t state; std::vector<Monitor> monitors; Effects effects; std::size_t covers; } rows[] = {
        {__LINE__, FULL, two, PLACES | DESTROYS | CREATES | DEFAULT, 1},
        {__LINE__, FULL, {}, PLACES | DESTROYS | DEFAULT, 0},
        {__LINE__, PREVIEW, two, DEFAULT, 0}};
    FOR_EACH_ROW(row, rows) {
        openWindow(row.state);
        host.coverClassRegistered = 1;
        fake.otherClasses["VARNOMonitorCover"] = {};
        host.covers[0] = fakeHandle(0xC0), host.covers[1] = fakeHandle(0xC1);
        host.coverCount = 2;
        fake.screen = {1024, 768};
        fake.monitors = row.monitors;
        EXPECT_EQ(hostWindowProcedure(fakeSaverWindow, WM_DISPLAYCHANGE, 32, 0x03000400), DEF);
        EXPECT_EQ(effectNames(fake.effects), effectNames(row.effects));
        EXPECT_EQ(fake.others.size(), row.covers);
        EXPECT_EQ(host.coverCount, row.effects & DESTROYS ? static_cast<std::int32_t>(row.covers) : 2);
    }
}

// Input over a cover goes to the saver window as it came; a click does not activate the cover.
TEST(SaverWindow, ACoverHandsItsInputToTheSaverWindow) {
    const Row rows[] = {
        {__LINE__, WM_MOUSEACTIVATE, 0, FULL, 0, 3},     {__LINE__, WM_SETCURSOR, 0, FULL, HIDES, 1},     {__LINE__, WM_KEYDOWN, 'A', FULL, POSTS, 0},
        {__LINE__, WM_SYSKEYDOWN, 0x12, FULL, POSTS, 0}, {__LINE__, WM_MOUSEMOVE, 0, FULL, POSTS, 0},     {__LINE__, WM_LBUTTONDOWN, 1, FULL, POSTS, 0},
        {__LINE__, WM_RBUTTONDOWN, 2, FULL, POSTS, 0},   {__LINE__, WM_MBUTTONDOWN, 16, FULL, POSTS, 0},  {__LINE__, WM_PAINT, 0, FULL, DEFAULT, DEF},
        {__LINE__, WM_CLOSE, 0, FULL, DEFAULT, DEF},     {__LINE__, WM_LBUTTONUP, 0, FULL, DEFAULT, DEF},
    };
    checkRows(coverWindowProcedure, rows, fakeHandle(0xC0));
}

struct PowerRecord {  // the system's POWERBROADCAST_SETTING
    Guid setting;
    std::uint32_t length, value;
};

// Nobody can see the saver: the display is off or the session disconnected. A window that
// asked for the console display's state, step by step: told "off" while it asks, before the
// scene has started its clock, its first tick stops the clock again; only that setting with a
// whole value counts, a lock or an unknown event is no reason, a tick queued before the stop
// draws nothing, a key still ends the saver, and the clock goes on from its tick (no new
// set-up).
TEST(SaverWindow, NobodyToSeeStopsTheClockUntilSomebodyCan) {
    const PowerRecord off = {consoleDisplayState, 4, 0}, on = {consoleDisplayState, 4, 1}, dimmed = {consoleDisplayState, 4, 2}, other = {monitorPowerOn, 4, 0},
                      cut = {consoleDisplayState, 3, 0};
    const Effects stops = STOPS_TIMER | DEFAULT, starts = STARTS_TIMER | DEFAULT, draws = YIELDS | DRAWS | DEFAULT;
    const std::uint32_t power = WM_POWERBROADCAST, session = WM_WTSSESSION_CHANGE;
    const WParam change = PBT_POWERSETTINGCHANGE;
    const struct { int line; std::uint32_t message; WParam wParam; const PowerRecord* record; Effects effects; MessageResult result; } steps[] = {
        {__LINE__, WM_TIMER, 1, nullptr, STOPS_TIMER, 0},
        {__LINE__, power, change, &on, starts, DEF},
        {__LINE__, WM_TIMER, 1, nullptr, draws, DEF},
        {__LINE__, power, change, &off, stops, DEF},
        {__LINE__, power, change, &off, DEFAULT, DEF},
        {__LINE__, WM_TIMER, 1, nullptr, 0, 0},
        {__LINE__, WM_KEYDOWN, 'A', nullptr, CLOSES | DEFAULT, DEF},
        {__LINE__, power, change, &dimmed, starts, DEF},
        {__LINE__, power, change, &on, DEFAULT, DEF},
        {__LINE__, power, change, &other, DEFAULT, DEF},
        {__LINE__, power, change, &cut, DEFAULT, DEF},
        {__LINE__, power, 0x12, &off, DEFAULT, DEF},  // a resume
        {__LINE__, session, 7, nullptr, DEFAULT, DEF},  // a lock
        {__LINE__, session, WTS_CONSOLE_DISCONNECT, nullptr, stops, DEF},
        {__LINE__, power, change, &off, DEFAULT, DEF},
        {__LINE__, session, WTS_REMOTE_CONNECT, nullptr, DEFAULT, DEF},  // the display is still off
        {__LINE__, power, change, &on, starts, DEF},
        {__LINE__, session, WTS_REMOTE_DISCONNECT, nullptr, stops, DEF},
        {__LINE__, session, 0x42, nullptr, DEFAULT, DEF},
        {__LINE__, session, WTS_CONSOLE_CONNECT, nullptr, starts, DEF},
        {__LINE__, WM_TIMER, 1, nullptr, draws, DEF},
    };
    openWindow(FULL);
    fake.powerSettings = {consoleDisplayState.data1};
    fake.stateOnRequest = reinterpret_cast<LParam>(&off);
    hostWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
    FOR_EACH_ROW(step, steps) {
        fake.effects = 0;
        EXPECT_EQ(hostWindowProcedure(fakeSaverWindow, step.message, step.wParam, reinterpret_cast<LParam>(step.record)), step.result);
        EXPECT_EQ(effectNames(fake.effects), effectNames(step.effects));
    }
    EXPECT_EQ(scene.tickCount, 2u);
}

// Asked for where the system tells them: the console display's state, or the monitor's power
// where that is refused (Vista, 7), and the session's connections but on the 95 family; each
// undone when the window goes. Only the setting granted stops the clock.
TEST(SaverWindow, TheWindowAsksForTheDisplayAndTheSessionWhereTheSystemTellsThem) {
    const std::string console = "0x5a5a power 0x6fe69556 ", monitor = "0x5a5a power 0x2731015 ", session = "0x5a5a session ";
    const struct { int line; std::uint32_t state; std::vector<std::uint32_t> granted; bool sessions; std::string notices; Effects monitorOff; } rows[] = {
        {__LINE__, FULL, {0x6FE69556, 0x02731015}, true, console + session + "unpower unsession 0x5a5a ", DEFAULT},
        {__LINE__, PREVIEW, {0x02731015}, true, console + "refused " + monitor + session + "unpower unsession 0x5a5a ", STOPS_TIMER | DEFAULT},
        {__LINE__, FULL, {}, false, console + "refused " + monitor + "refused " + session + "absent ", DEFAULT},
        {__LINE__, FULL | WIN95, {}, true, console + "refused " + monitor + "refused ", DEFAULT},
    };
    const PowerRecord monitorOff = {monitorPowerOn, 4, 0};
    FOR_EACH_ROW(row, rows) {
        openWindow(row.state);
        fake.powerSettings = row.granted;
        fake.sessionNotices = row.sessions;
        hostWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
        fake.effects = 0;
        hostWindowProcedure(fakeSaverWindow, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LParam>(&monitorOff));
        EXPECT_EQ(effectNames(fake.effects), effectNames(row.monitorOff));
        hostWindowProcedure(fakeSaverWindow, WM_DESTROY, 0, 0);
        EXPECT_EQ(fake.notices, row.notices);
    }
}

TEST(Password, TheVerifierIsLoadedOnlyWhenAPasswordIsWantedAndFound) {
    enum : std::uint32_t { KEY = 1 << 8, VALUE = 1 << 9, ZERO = 1 << 10, LIBRARY = 1 << 11, ENTRY = 1 << 12 };
    const Effects opened = OPENS_KEY | CLOSES_KEY;
    const struct { int line; std::uint32_t offer; Effects effects; } rows[] = {
        {__LINE__, NT | KEY | VALUE | LIBRARY | ENTRY, 0},
        {__LINE__, WIN95 | VALUE | LIBRARY | ENTRY, OPENS_KEY},
        {__LINE__, WIN95 | KEY | LIBRARY | ENTRY, opened},
        {__LINE__, WIN95 | KEY | ZERO | LIBRARY | ENTRY, opened},
        {__LINE__, WIN95 | KEY | VALUE | ENTRY, opened | LOADS},
        {__LINE__, WIN95 | KEY | VALUE | LIBRARY, opened | LOADS | FREES},
        {__LINE__, WIN95 | KEY | VALUE | LIBRARY | ENTRY, opened | LOADS | RUNNING_ON},
    };
    FOR_EACH_ROW(row, rows) {
        const std::uint32_t offer = row.offer;
        resetFake();
        host.isWin95Family = (offer & WIN95) != 0;
        fake.desktopKeyOpens = offer & KEY;
        fake.passwordValuePresent = offer & (VALUE | ZERO);
        fake.passwordValue = offer & VALUE ? 0x100 : 0;
        if (offer & LIBRARY)
            fake.libraries["PASSWORD.CPL"] = offer & ENTRY ? std::vector<std::string>{"VerifyScreenSavePwd"} : std::vector<std::string>{};
        loadVerifier();
        EXPECT_EQ(effectNames(fake.effects), effectNames(row.effects));
        for (Effects unloads : {row.effects & RUNNING_ON ? FREES | RUNNING_OFF : 0, Effects{0}}) {
            fake.effects = 0;
            unloadVerifier();  // twice: the second finds nothing to free
            EXPECT_EQ(effectNames(fake.effects), effectNames(unloads));
        }
    }
}

// Close requests in turn: the first check runs whenever it comes, a refused one keeps the
// window and starts no new check until 200 ms after its end, across the wrap too.
TEST(Password, ChecksAreAtLeast200MillisecondsApart) {
    const struct { int line; std::uint32_t at; std::intptr_t verdict; std::uint32_t takes; Effects effects; MessageResult result; } steps[] = {
        {__LINE__, 0x50, 0, 100, VERIFIES | HIDES | ANCHORS, 0},  // 0x51 after "none yet"
        {__LINE__, 0xB4 + 199, 0, 0, ANCHORS, 0},
        {__LINE__, 0xB4 + 200, 0, 0xFFFFFFF0u - 0x17C, VERIFIES | HIDES | ANCHORS, 0},
        {__LINE__, 0xFFFFFFF0u + 5, 0, 0, ANCHORS, 0},  // not yet wrapped
        {__LINE__, 0xFFFFFFF0u + 199, 0, 0, ANCHORS, 0},
        {__LINE__, 0xFFFFFFF0u + 200, 9, 5, VERIFIES | CONFIRMS | QUITS | DEFAULT, DEF},
    };
    openWindow(FULL | WIN95 | VERIFIER);
    FOR_EACH_ROW(step, steps) {
        fake.milliseconds = step.at;
        fake.verifier = [&step](WindowHandle window) {
            EXPECT_EQ(window, fakeSaverWindow);
            return fake.milliseconds += step.takes, step.verdict;
        };
        fake.cursor = {step.line, 0};  // a new place each step
        const Point anchor = host.mouseAnchor;
        fake.effects = 0;
        EXPECT_EQ(hostWindowProcedure(fakeSaverWindow, WM_CLOSE, 0, 0), step.result);
        EXPECT_EQ(effectNames(observed(anchor, 0)), effectNames(step.effects));
        EXPECT_EQ(host.closeConfirmed, step.effects & CONFIRMS ? step.verdict : 0);
    }
}

// The verifier's own dialog dispatches the saver's messages while the check is open; two
// timer messages of the saver, and nothing else, were taken out of the queue before.
TEST(Password, DuringTheCheckNothingAsksToCloseAndAtMostTwoTimersAreDropped) {
    openWindow(FULL | WIN95 | VERIFIER);
    const WindowHandle other = fakeHandle(0x300);
    fake.queue = {{other, WM_TIMER, 1, 0},
                  {fakeSaverWindow, WM_TIMER, 1, 0},
                  {fakeSaverWindow, WM_KEYDOWN, 0, 0},
                  {fakeSaverWindow, WM_TIMER, 1, 0},
                  {fakeSaverWindow, WM_TIMER, 1, 0}};
    std::vector<MessageResult> nested;
    Effects nestedEffects = 0;
    fake.verifier = [&](WindowHandle window) -> std::intptr_t {
        std::vector<std::pair<WindowHandle, std::uint32_t>> left;
        for (const QueuedMessage& m : fake.queue)
            left.emplace_back(m.window, m.message);
        EXPECT_EQ(left, (decltype(left){{other, WM_TIMER}, {fakeSaverWindow, WM_KEYDOWN}, {fakeSaverWindow, WM_TIMER}}));
        fake.effects = 0;
        for (std::uint32_t message : {WM_CLOSE, WM_KEYDOWN, WM_ACTIVATEAPP, WM_SETCURSOR})
            nested.push_back(hostWindowProcedure(window, message, 0, 0));
        nestedEffects = fake.effects;
        return 7;
    };
    hostWindowProcedure(fakeSaverWindow, WM_CLOSE, 0, 0);
    EXPECT_EQ(nested, (std::vector<MessageResult>{0, DEF, DEF, DEF}));
    EXPECT_EQ(effectNames(nestedEffects), effectNames(DEFAULT));  // no check, close or hiding
    EXPECT_EQ(host.closeConfirmed, 7);
}

// clang-format on
}  // namespace
