// A model of the platform behind the seam for the native tests: windows and their queue,
// libraries, registry, settings file and dialog, and a 32-bit raster that copies, ANDs,
// ORs and fills as the display driver does, every copy clipped to source and destination.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/platform.h"

// The product's message numbers, and a few that it never handles.
enum : std::uint32_t { WM_CHAR = 0x0102, WM_LBUTTONUP = 0x0202, WM_VERIFY = verifyRequestMessage };
constexpr WParam SC_CLOSE = 0xF060;

// What the seam calls did, one bit each: fake.effects collects them, fake.calls keeps their
// order. CLOSES is WM_CLOSE (0, 0) posted to the saver, RELAYS a post to its parent, BAD_CALL
// a component called through another's entry; the checkers add ANCHORS (the mouse anchor
// moved) and CONFIRMS (a close was allowed) from the host's record.
#define VARNO_EFFECTS(E)                                                                                                                                       \
    E(DEFAULT)                                                                                                                                                 \
    E(CLOSES) E(RELAYS) E(POSTS) E(HIDES) E(QUITS) E(YIELDS) E(DRAWS) E(STARTS_TIMER) E(STOPS_TIMER) E(ASSOCIATES) E(VERIFIES) E(CHANGES) E(LOADS) E(FREES)    \
        E(OPENS_KEY) E(CLOSES_KEY) E(RUNNING_ON) E(RUNNING_OFF) E(FINDS) E(FOREGROUND) E(REGISTERS) E(CREATES) E(LOOPS) E(DIALOG) E(CUE) E(DESTROYS) E(PLACES) \
            E(BAD_CALL) E(ANCHORS) E(CONFIRMS)
#define VARNO_EFFECT_BIT(name) name##_BIT,
enum : int { VARNO_EFFECTS(VARNO_EFFECT_BIT) EFFECT_COUNT };
using Effects = std::uint64_t;  // whatever holds effects has this type
static_assert(EFFECT_COUNT <= 64, "an effect without a bit");
#define VARNO_EFFECT(name) constexpr Effects name = Effects{1} << name##_BIT;
VARNO_EFFECTS(VARNO_EFFECT)
// "A|B" of the effects set, for comparisons that name them when they fail.
std::string effectNames(Effects effects);
// for (const auto& row : rows) in a test, each failure naming the row's line.
#define FOR_EACH_ROW(row, rows)  \
    for (const auto& row : rows) \
        if (const ::testing::ScopedTrace row##Trace(__FILE__, row.line, #row); true)

struct Pixels {
    std::int32_t width = 0, height = 0;
    std::vector<std::uint32_t> data;
    std::uint32_t at(std::int32_t x, std::int32_t y) const { return data[y * width + x]; }
    std::uint32_t& at(std::int32_t x, std::int32_t y) { return data[y * width + x]; }
};

struct QueuedMessage {
    WindowHandle window;
    std::uint32_t message;
    WParam wParam;
    LParam lParam;
};
struct CopyRecord {
    Surface target;
    std::int32_t x, y, width, height;
    Surface source;
    std::int32_t sourceX, sourceY;
    RasterOp op;
};

struct FakePlatform {
    Effects effects = 0;
    std::vector<Effects> calls;
    std::vector<CopyRecord> copies;  // the raster's drawing, in order
    std::vector<Rect> fills;

    // Process and windows: the existing ones with their client rectangles.
    std::string line = "VARNO.scr";
    bool versionQuerySucceeds = true;
    std::uint32_t platformId = 2;
    void (*guardCleanup)() = nullptr;
    std::map<WindowHandle, Rect> windows;
    WindowHandle foreground = nullptr, parentOf = nullptr, broughtForward = nullptr;
    WindowHandle runningSaver = nullptr;  // found by class and title
    bool classRegisters = true, windowCreates = true;
    WindowClassRecord saverClass = {};  // as registered; other classes after it:
    std::map<std::string, WindowClassRecord> otherClasses;
    std::vector<std::string> others;  // windows of other classes: class, title, place, owner
    std::vector<Monitor> monitors;    // as the system lists them
    std::uint32_t watchPeriod = 0;    // the thread's timer
    void (*watch)() = nullptr;
    WindowHandle createdParent = nullptr;
    Size screen = {640, 480};
    Point cursor = {100, 100};
    std::deque<QueuedMessage> queue;
    std::int32_t quitCode = -99;

    // Libraries (name -> exports), components, registry, clock, settings file and dialog.
    std::map<std::string, std::vector<std::string>> libraries;
    bool immLoaded = false;
    std::function<std::intptr_t(WindowHandle)> verifier;  // by default the verdict is 3
    WindowHandle changedFor = nullptr;
    bool desktopKeyOpens = true, passwordValuePresent = false;
    std::uint32_t passwordValue = 0, milliseconds = 1000, seconds = 1;
    std::map<std::string, std::string> profile;          // section VARNO of VARNO.INI, lower-case keys
    bool virtualised = true, storeExists = false;        // 32-bit; else the user's copy
    std::string localAppData;                            // "" when unset
    std::map<std::string, std::string> storeProfile;     // of VirtualStore\Windows\VARNO.INI
    std::vector<std::string> written;                    // "Key=value" in order
    int writesBeforeFailure = -1;                        // -1: every write succeeds
    std::uint32_t lastError = 5;                         // what the system says after the failure
    std::vector<std::string> messageBoxes;               // "owner|title|flags|text"
    std::vector<WParam> commands;                        // what the user does in the dialog
    std::map<int, std::uint32_t> checks, shown, forced;  // now, as the dialog opened, set after that
    std::string dialog;                                  // its instance and template
    WindowHandle dialogOwner = nullptr;
    std::string answers;  // the procedure's, in turn
    std::intptr_t dialogResult = -2;

    // Raster; without stored pixels it keeps sizes only.
    bool storePixels = true;
    std::int32_t strayDrawing = 0;  // copies or fills with a surface that holds nothing
    std::map<Bitmap, Pixels> bitmaps;
    std::map<Surface, Bitmap> selected;
    std::map<int, Pixels> resources;  // bitmap resources by identifier
    Pixels screenPixels;              // the saver window's client area
    std::string timer;                // as started

    // The system's notices: the power settings it grants (by their first field), a state it
    // tells while the request is made, whether the session's are there, and the
    // registrations made and undone, in order.
    std::vector<std::uint32_t> powerSettings;
    LParam stateOnRequest = 0;
    bool sessionNotices = false;
    std::string notices;
};

extern FakePlatform fake;
void resetFake();

extern const WindowHandle fakeSaverWindow;
extern const Surface fakeWindowSurface;
extern const ModuleHandle fakeModule;  // what ownModule answers
constexpr MessageResult DEF = 0xDEF;   // what the platform default answers
WindowHandle fakeHandle(std::uintptr_t value);

// What the window is in when a message comes, as the rows name it.
enum WindowState : std::uint32_t {
    FULL = 0,
    NT = 0,
    PREVIEW = 1,
    WIN95 = 2,
    CONFIRMED = 4,
    CHECKING = 8,
    VERIFIER = 16,  // a password is wanted and the verifier is loaded
    REFUSES = 32,   // the verifier refuses
    ORPHAN = 64,    // the preview's parent is no window
};
// The saver window's state as the handlers see it, the anchor at (100, 100) and the cursor
// five pixels away; a preview's parent is 0x300.
void openWindow(std::uint32_t state);
