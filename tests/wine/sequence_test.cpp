// The order in which a message of the full-screen saver window passes its three
// handlers, and exactly which platform calls each of them makes, checked inside one
// process under Wine.
//
// The handlers and the platform seam are wrapped at link time (-Wl,--wrap=SYMBOL):
// each __wrap_ function appends a row to one log and calls the __real_ one, so Wine
// does the real work underneath. The test runs the real runSaverWindow; the wrapper of
// runMessageLoop drives the window with SendMessageA before the real loop starts and
// compares the rows of each message with a static table of expected rows. A mismatch
// prints both lists side by side, row by row.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "host/host.h"
#include "scene/scene.h"

namespace {

enum Call {
    hostProc,        // hostWindowProcedure is entered (message, wParam)
    hostDone,        // hostWindowProcedure returns (message, result)
    sceneProc,       // sceneWindowProcedure (message, wParam)
    hostDefault,     // hostDefaultHandling (message, wParam)
    defProc,         // defaultProcedure, that is DefWindowProcA (message, wParam)
    post,            // postMessage (message, wParam, lParam)
    postQuit,        // postQuitMessage (code)
    yield,           // yieldProcessor: Sleep(0)
    hideCur,         // hideCursor: SetCursor(NULL)
    cursorPos,       // cursorPosition: GetCursorPos
    profileInt,      // readProfileInt (-, fallback), text "section/key/file"
    bitmap,          // loadBitmap (id)
    timerStart,      // startTimer (id, milliseconds)
    timerStop,       // stopTimer (id)
    surface,         // windowSurface: GetDC
    surfaceRelease,  // releaseWindowSurface: ReleaseDC
    fill,            // fillBlack (width, height)
    seconds,         // calendarSeconds: the clock of the random seed
    moduleLookup,    // loadedModule, text = name
    entryLookup,     // procAddress, text = name
    imeAssociate,    // callImeAssociateContext (-, context)
};

const char* const callNames[] = {
    "hostWindowProcedure", "  returns", "sceneWindowProcedure", "hostDefaultHandling",
    "DefWindowProcA", "PostMessageA", "PostQuitMessage", "Sleep(0)", "SetCursor(NULL)",
    "GetCursorPos", "GetPrivateProfileIntA", "LoadBitmapA", "SetTimer", "KillTimer", "GetDC",
    "ReleaseDC", "FillRect black", "calendar seconds", "GetModuleHandleA", "GetProcAddress",
    "ImmAssociateContext"};

constexpr std::uintptr_t any = ~std::uintptr_t{0};

// Rows taken only when the process has IMM32.DLL loaded, or only when creation saved
// an input context; all others are always expected.
enum Condition { always, whenImeLoaded, whenContextSaved };

struct Row {
    Call call;
    std::uintptr_t a = any;  // message, id or code
    std::uintptr_t b = any;  // wParam, result, period, fallback or context
    std::uintptr_t c = any;  // lParam
    const char* text = nullptr;
    Condition condition = always;
};

struct LoggedRow {
    Call call;
    std::uintptr_t a, b, c;
    char text[64];
};

LoggedRow logRows[1024];
std::size_t logCount;
bool logOverflow;

void record(Call call, std::uintptr_t a = 0, std::uintptr_t b = 0, std::uintptr_t c = 0,
            const char* text = nullptr) {
    if (logCount == std::size(logRows)) {
        logOverflow = true;
        return;
    }
    LoggedRow& row = logRows[logCount++];
    row = {call, a, b, c, ""};
    if (text)
        std::snprintf(row.text, sizeof row.text, "%s", text);
}

void clearLog() {
    logCount = 0;
    logOverflow = false;
}

// What the wrappers are told: whether the cursor should seem to be somewhere else.
bool fakeCursor;
Point fakeCursorPosition;

// Decided once the window exists.
bool imeLoaded;
std::uintptr_t savedContext;

bool taken(const Row& row) {
    return row.condition == always || (row.condition == whenImeLoaded && imeLoaded) ||
           (row.condition == whenContextSaved && savedContext != 0);
}

bool matches(const Row& expected, const LoggedRow& actual) {
    return expected.call == actual.call && (expected.a == any || expected.a == actual.a) &&
           (expected.b == any || expected.b == actual.b) &&
           (expected.c == any || expected.c == actual.c) &&
           (!expected.text || std::strcmp(expected.text, actual.text) == 0);
}

const char* messageName(std::uintptr_t message) {
    switch (message) {
    case WM_CREATE: return "WM_CREATE";
    case WM_DESTROY: return "WM_DESTROY";
    case WM_SETTEXT: return "WM_SETTEXT";
    case WM_PAINT: return "WM_PAINT";
    case WM_CLOSE: return "WM_CLOSE";
    case WM_ERASEBKGND: return "WM_ERASEBKGND";
    case WM_SHOWWINDOW: return "WM_SHOWWINDOW";
    case WM_ACTIVATEAPP: return "WM_ACTIVATEAPP";
    case WM_SETCURSOR: return "WM_SETCURSOR";
    case WM_CONTEXTMENU: return "WM_CONTEXTMENU";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSCOMMAND: return "WM_SYSCOMMAND";
    case WM_TIMER: return "WM_TIMER";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
    case WM_MBUTTONDOWN: return "WM_MBUTTONDOWN";
    case verifyRequestMessage: return "verify request";
    default: return nullptr;
    }
}

bool isMessageCall(Call call) {
    return call == hostProc || call == hostDone || call == sceneProc || call == hostDefault ||
           call == defProc || call == post;
}

// One row in words, with the values that `shape` fixes (all when there is no shape).
void describe(char* out, std::size_t size, const LoggedRow& row, const Row* shape) {
    int used = std::snprintf(out, size, "%s", callNames[row.call]);
    const std::uintptr_t values[] = {row.a, row.b, row.c};
    const std::uintptr_t fixed[] = {shape ? shape->a : 0, shape ? shape->b : 0,
                                    shape ? shape->c : 0};
    for (int i = 0; i < 3; ++i) {
        if (fixed[i] == any || used >= static_cast<int>(size))
            continue;
        const char* name = i == 0 && isMessageCall(row.call) ? messageName(values[i]) : nullptr;
        if (name)
            used += std::snprintf(out + used, size - used, " %s", name);
        else
            used += std::snprintf(out + used, size - used, " 0x%llx",
                                  static_cast<unsigned long long>(values[i]));
    }
    if (row.text[0] && used < static_cast<int>(size))
        std::snprintf(out + used, size - used, " \"%s\"", row.text);
}

LoggedRow asLogged(const Row& row) {
    LoggedRow out = {row.call, row.a, row.b, row.c, ""};
    if (row.text)
        std::snprintf(out.text, sizeof out.text, "%s", row.text);
    return out;
}

int failures;

void expect(bool condition, const char* title, const char* what) {
    if (condition)
        return;
    ++failures;
    std::printf("FAIL %s: %s\n", title, what);
}

// A stretch of the log: [begin, end).
struct Span {
    std::size_t begin, end;
};

Span wholeLog() {
    return {0, logCount};
}

// The rows of the first message `message` that hostWindowProcedure saw, from its entry
// to its return, with any messages nested inside it. Empty when there was none.
Span firstMessage(std::uintptr_t message) {
    for (std::size_t begin = 0; begin < logCount; ++begin) {
        if (logRows[begin].call != hostProc || logRows[begin].a != message)
            continue;
        int depth = 0;
        for (std::size_t i = begin; i < logCount; ++i) {
            depth += logRows[i].call == hostProc;
            depth -= logRows[i].call == hostDone;
            if (depth == 0)
                return {begin, i + 1};
        }
        return {begin, logCount};
    }
    return {logCount, logCount};
}

// Compares the rows of `span` with the expected ones, row by row. With `prefixOnly`
// the span may go on after the expected rows.
bool checkRows(const char* title, const Row* table, std::size_t count, Span span,
               bool prefixOnly = false) {
    const Row* expected[64];
    std::size_t wanted = 0;
    for (std::size_t i = 0; i < count && wanted < std::size(expected); ++i)
        if (taken(table[i]))
            expected[wanted++] = &table[i];
    const std::size_t available = span.end - span.begin;
    bool same = !logOverflow && (prefixOnly ? available >= wanted : available == wanted);
    for (std::size_t i = 0; same && i < wanted; ++i)
        same = matches(*expected[i], logRows[span.begin + i]);
    if (same)
        return true;

    ++failures;
    std::printf("FAIL %s: the calls differ from the expected ones\n", title);
    std::printf("  %-4s %-50s %s\n", "row", "expected", "actual");
    const std::size_t shown = !prefixOnly && available > wanted ? available : wanted;
    for (std::size_t i = 0; i < shown; ++i) {
        char left[96] = "-", right[96] = "-";
        const Row* shape = i < wanted ? expected[i] : nullptr;
        if (shape)
            describe(left, sizeof left, asLogged(*shape), shape);
        if (i < available)
            describe(right, sizeof right, logRows[span.begin + i], shape);
        const bool rowSame = shape && i < available && matches(*shape, logRows[span.begin + i]);
        std::printf("  %-4zu %-50s %s%s\n", i, left, right, rowSame ? "" : "   <--");
    }
    if (logOverflow)
        std::printf("  (the log overflowed)\n");
    return false;
}

template <std::size_t count>
bool checkRows(const char* title, const Row (&table)[count], Span span, bool prefixOnly = false) {
    return checkRows(title, table, count, span, prefixOnly);
}

template <std::size_t count>
void checkMessage(const char* title, std::uintptr_t message, const Row (&table)[count],
                  bool prefixOnly = false) {
    const Span span = firstMessage(message);
    if (span.begin == logCount)
        expect(false, title, "hostWindowProcedure never saw the message");
    else
        checkRows(title, table, span, prefixOnly);
}

}  // namespace

// The wrappers. Each records its row, then calls the real function.
extern "C" {

MessageResult __real__Z19hostWindowProcedurePvjyx(WindowHandle, std::uint32_t, WParam, LParam);
MessageResult __wrap__Z19hostWindowProcedurePvjyx(WindowHandle window, std::uint32_t message,
                                                  WParam wParam, LParam lParam) {
    record(hostProc, message, wParam);
    const MessageResult result =
        __real__Z19hostWindowProcedurePvjyx(window, message, wParam, lParam);
    record(hostDone, message, static_cast<std::uintptr_t>(result));
    return result;
}

MessageResult __real__Z20sceneWindowProcedurePvjyx(WindowHandle, std::uint32_t, WParam, LParam);
MessageResult __wrap__Z20sceneWindowProcedurePvjyx(WindowHandle window, std::uint32_t message,
                                                   WParam wParam, LParam lParam) {
    record(sceneProc, message, wParam);
    return __real__Z20sceneWindowProcedurePvjyx(window, message, wParam, lParam);
}

MessageResult __real__Z19hostDefaultHandlingPvjyx(WindowHandle, std::uint32_t, WParam, LParam);
MessageResult __wrap__Z19hostDefaultHandlingPvjyx(WindowHandle window, std::uint32_t message,
                                                  WParam wParam, LParam lParam) {
    record(hostDefault, message, wParam);
    return __real__Z19hostDefaultHandlingPvjyx(window, message, wParam, lParam);
}

MessageResult __real__Z16defaultProcedurePvjyx(WindowHandle, std::uint32_t, WParam, LParam);
MessageResult __wrap__Z16defaultProcedurePvjyx(WindowHandle window, std::uint32_t message,
                                               WParam wParam, LParam lParam) {
    record(defProc, message, wParam);
    return __real__Z16defaultProcedurePvjyx(window, message, wParam, lParam);
}

void __real__Z11postMessagePvjyx(WindowHandle, std::uint32_t, WParam, LParam);
void __wrap__Z11postMessagePvjyx(WindowHandle window, std::uint32_t message, WParam wParam,
                                 LParam lParam) {
    record(post, message, wParam, static_cast<std::uintptr_t>(lParam));
    __real__Z11postMessagePvjyx(window, message, wParam, lParam);
}

void __real__Z15postQuitMessagei(std::int32_t);
void __wrap__Z15postQuitMessagei(std::int32_t code) {
    record(postQuit, static_cast<std::uint32_t>(code));
    __real__Z15postQuitMessagei(code);
}

void __real__Z14yieldProcessorv();
void __wrap__Z14yieldProcessorv() {
    record(yield);
    __real__Z14yieldProcessorv();
}

void __real__Z10hideCursorv();
void __wrap__Z10hideCursorv() {
    record(hideCur);
    __real__Z10hideCursorv();
}

Point __real__Z14cursorPositionv();
Point __wrap__Z14cursorPositionv() {
    record(cursorPos);
    return fakeCursor ? fakeCursorPosition : __real__Z14cursorPositionv();
}

std::uint32_t __real__Z14readProfileIntPKcS0_iS0_(const char*, const char*, std::int32_t,
                                                  const char*);
std::uint32_t __wrap__Z14readProfileIntPKcS0_iS0_(const char* section, const char* key,
                                                  std::int32_t fallback, const char* file) {
    char text[64];
    std::snprintf(text, sizeof text, "%s/%s/%s", section, key, file);
    record(profileInt, 0, static_cast<std::uint32_t>(fallback), 0, text);
    return __real__Z14readProfileIntPKcS0_iS0_(section, key, fallback, file);
}

Bitmap __real__Z10loadBitmapPvi(ModuleHandle, int);
Bitmap __wrap__Z10loadBitmapPvi(ModuleHandle instance, int id) {
    record(bitmap, static_cast<std::uintptr_t>(id));
    return __real__Z10loadBitmapPvi(instance, id);
}

std::uintptr_t __real__Z10startTimerPvyj(WindowHandle, std::uintptr_t, std::uint32_t);
std::uintptr_t __wrap__Z10startTimerPvyj(WindowHandle window, std::uintptr_t id,
                                         std::uint32_t milliseconds) {
    record(timerStart, id, milliseconds);
    return __real__Z10startTimerPvyj(window, id, milliseconds);
}

void __real__Z9stopTimerPvy(WindowHandle, std::uintptr_t);
void __wrap__Z9stopTimerPvy(WindowHandle window, std::uintptr_t id) {
    record(timerStop, id);
    __real__Z9stopTimerPvy(window, id);
}

Surface __real__Z13windowSurfacePv(WindowHandle);
Surface __wrap__Z13windowSurfacePv(WindowHandle window) {
    record(surface);
    return __real__Z13windowSurfacePv(window);
}

void __real__Z20releaseWindowSurfacePvS_(WindowHandle, Surface);
void __wrap__Z20releaseWindowSurfacePvS_(WindowHandle window, Surface target) {
    record(surfaceRelease);
    __real__Z20releaseWindowSurfacePvS_(window, target);
}

void __real__Z9fillBlackPv4Rect(Surface, Rect);
void __wrap__Z9fillBlackPv4Rect(Surface target, Rect rect) {
    record(fill, static_cast<std::uint32_t>(rect.right - rect.left),
           static_cast<std::uint32_t>(rect.bottom - rect.top));
    __real__Z9fillBlackPv4Rect(target, rect);
}

std::uint32_t __real__Z15calendarSecondsv();
std::uint32_t __wrap__Z15calendarSecondsv() {
    record(seconds);
    return __real__Z15calendarSecondsv();
}

ModuleHandle __real__Z12loadedModulePKc(const char*);
ModuleHandle __wrap__Z12loadedModulePKc(const char* name) {
    record(moduleLookup, 0, 0, 0, name);
    return __real__Z12loadedModulePKc(name);
}

ProcAddress __real__Z11procAddressPvPKc(ModuleHandle, const char*);
ProcAddress __wrap__Z11procAddressPvPKc(ModuleHandle module, const char* name) {
    record(entryLookup, 0, 0, 0, name);
    return __real__Z11procAddressPvPKc(module, name);
}

std::uintptr_t __real__Z23callImeAssociateContextPvS_y(ProcAddress, WindowHandle,
                                                       std::uintptr_t);
std::uintptr_t __wrap__Z23callImeAssociateContextPvS_y(ProcAddress entry, WindowHandle window,
                                                       std::uintptr_t context) {
    record(imeAssociate, 0, context);
    return __real__Z23callImeAssociateContextPvS_y(entry, window, context);
}

std::int32_t __real__Z14runMessageLoopv();
std::int32_t __wrap__Z14runMessageLoopv();

}  // extern "C"

namespace {

// Creation: the host detaches the input method, takes the anchor and hides the cursor;
// then the scene reads its settings, loads its images and starts its clock.
const Row creation[] = {
    {hostProc, WM_CREATE},
    {moduleLookup, any, any, any, "IMM32.DLL"},
    {entryLookup, any, any, any, "ImmAssociateContext", whenImeLoaded},
    {imeAssociate, any, 0, any, nullptr, whenImeLoaded},
    {cursorPos},
    {hideCur},
    {sceneProc, WM_CREATE},
    {profileInt, any, 0, any, "VARNO/Sound/VARNO.INI"},
    {profileInt, any, 1, any, "VARNO/Logo/VARNO.INI"},
    {profileInt, any, 1, any, "VARNO/Pics/VARNO.INI"},
    {bitmap, 104}, {bitmap, 130},
    {bitmap, 105}, {bitmap, 106}, {bitmap, 107}, {bitmap, 108}, {bitmap, 109}, {bitmap, 110},
    {bitmap, 111}, {bitmap, 112}, {bitmap, 114}, {bitmap, 115}, {bitmap, 116}, {bitmap, 117},
    {bitmap, 118}, {bitmap, 119}, {bitmap, 120}, {bitmap, 121}, {bitmap, 122}, {bitmap, 123},
    {bitmap, 124}, {bitmap, 125}, {bitmap, 126}, {bitmap, 127}, {bitmap, 128}, {bitmap, 150},
    {timerStart, 1, 5},
    {hostDefault, WM_CREATE},
    {defProc, WM_CREATE},
    {hostDone, WM_CREATE, 0},
};

// The first erase (while the window is shown) paints the whole window black, and the
// scene answers it alone.
const Row firstErase[] = {
    {hostProc, WM_ERASEBKGND},
    {sceneProc, WM_ERASEBKGND},
    {surface},
    {fill, 800, 600},
    {surfaceRelease},
    {hostDone, WM_ERASEBKGND, 1},
};

// The messages sent while the saver runs, one case each, in this order.
struct Case {
    const char* title;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    const Row* rows;
    std::size_t rowCount;
};
#define CASE(title, message, wParam, lParam, rows) \
    {title, message, wParam, lParam, rows, std::size(rows)}

// A message that every handler sees and that changes nothing.
#define PASSED_ON(message)                                                                  \
    {hostProc, message}, {sceneProc, message}, {hostDefault, message}, {defProc, message}, \
        {hostDone, message}
// An input message that asks for a close.
#define CLOSES(message)                                                                     \
    {hostProc, message}, {sceneProc, message}, {hostDefault, message}, {post, WM_CLOSE, 0, 0}, \
        {defProc, message}, {hostDone, message}

// The host yields before the scene draws; the first tick also seeds the random source.
const Row firstTick[] = {
    {hostProc, WM_TIMER, 1}, {yield}, {sceneProc, WM_TIMER, 1},
    {surface}, {seconds}, {surfaceRelease},
    {hostDefault, WM_TIMER, 1}, {defProc, WM_TIMER, 1}, {hostDone, WM_TIMER},
};
const Row laterTick[] = {
    {hostProc, WM_TIMER, 1}, {yield}, {sceneProc, WM_TIMER, 1},
    {surface}, {surfaceRelease},
    {hostDefault, WM_TIMER, 1}, {defProc, WM_TIMER, 1}, {hostDone, WM_TIMER},
};
const Row laterErase[] = {
    {hostProc, WM_ERASEBKGND}, {sceneProc, WM_ERASEBKGND}, {hostDone, WM_ERASEBKGND, 1}};
const Row setText[] = {{hostProc, WM_SETTEXT}, {hostDone, WM_SETTEXT, 0}};
const Row screenSave[] = {{hostProc, WM_SYSCOMMAND, SC_SCREENSAVE}, {hostDone, WM_SYSCOMMAND, 0}};
const Row nextWindow[] = {{hostProc, WM_SYSCOMMAND, SC_NEXTWINDOW}, {hostDone, WM_SYSCOMMAND, 0}};
const Row previousWindow[] = {
    {hostProc, WM_SYSCOMMAND, SC_PREVWINDOW}, {hostDone, WM_SYSCOMMAND, 0}};
const Row keyDown[] = {CLOSES(WM_KEYDOWN)};
const Row systemKeyDown[] = {CLOSES(WM_SYSKEYDOWN)};
const Row leftButton[] = {CLOSES(WM_LBUTTONDOWN)};
const Row rightButton[] = {CLOSES(WM_RBUTTONDOWN)};
const Row middleButton[] = {CLOSES(WM_MBUTTONDOWN)};
const Row deactivated[] = {CLOSES(WM_ACTIVATEAPP)};
const Row activated[] = {PASSED_ON(WM_ACTIVATEAPP)};
const Row setCursor[] = {{hostProc, WM_SETCURSOR}, {sceneProc, WM_SETCURSOR},
                         {hostDefault, WM_SETCURSOR}, {hideCur}, {hostDone, WM_SETCURSOR, 1}};
const Row shown[] = {{hostProc, WM_SHOWWINDOW}, {sceneProc, WM_SHOWWINDOW},
                     {hostDefault, WM_SHOWWINDOW}, {hideCur}, {defProc, WM_SHOWWINDOW},
                     {hostDone, WM_SHOWWINDOW}};
const Row hidden[] = {PASSED_ON(WM_SHOWWINDOW)};
const Row paint[] = {{hostProc, WM_PAINT}, {hideCur}, {sceneProc, WM_PAINT},
                     {hostDefault, WM_PAINT}, {defProc, WM_PAINT}, {hostDone, WM_PAINT}};
const Row contextMenu[] = {PASSED_ON(WM_CONTEXTMENU)};
const Row verifyRequest[] = {PASSED_ON(verifyRequestMessage)};

const Case running[] = {
    CASE("first timer tick", WM_TIMER, 1, 0, firstTick),
    CASE("later timer tick", WM_TIMER, 1, 0, laterTick),
    CASE("erase after the first", WM_ERASEBKGND, 0, 0, laterErase),
    CASE("WM_SETTEXT", WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Changed"), setText),
    CASE("SC_SCREENSAVE", WM_SYSCOMMAND, SC_SCREENSAVE, 0, screenSave),
    CASE("SC_NEXTWINDOW", WM_SYSCOMMAND, SC_NEXTWINDOW, 0, nextWindow),
    CASE("SC_PREVWINDOW", WM_SYSCOMMAND, SC_PREVWINDOW, 0, previousWindow),
    CASE("WM_KEYDOWN", WM_KEYDOWN, 'A', 0x001E0001, keyDown),
    CASE("WM_SYSKEYDOWN", WM_SYSKEYDOWN, 'A', 0x001E0001, systemKeyDown),
    CASE("WM_LBUTTONDOWN", WM_LBUTTONDOWN, MK_LBUTTON, 0, leftButton),
    CASE("WM_RBUTTONDOWN", WM_RBUTTONDOWN, MK_RBUTTON, 0, rightButton),
    CASE("WM_MBUTTONDOWN", WM_MBUTTONDOWN, MK_MBUTTON, 0, middleButton),
    CASE("WM_ACTIVATEAPP, deactivated", WM_ACTIVATEAPP, 0, 0, deactivated),
    CASE("WM_ACTIVATEAPP, activated", WM_ACTIVATEAPP, 1, 0, activated),
    CASE("WM_SETCURSOR", WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), setCursor),
    CASE("WM_SHOWWINDOW, shown", WM_SHOWWINDOW, 1, 0, shown),
    CASE("WM_SHOWWINDOW, hidden", WM_SHOWWINDOW, 0, 0, hidden),
    CASE("WM_PAINT", WM_PAINT, 0, 0, paint),
    CASE("WM_CONTEXTMENU", WM_CONTEXTMENU, 0, -1, contextMenu),
    CASE("the verify request off the Windows 95 family", verifyRequestMessage, 0, 0,
         verifyRequest),
};

// Once a close has been allowed, timer ticks are dropped and paint and input go
// straight to the platform default.
const Row droppedTick[] = {{hostProc, WM_TIMER}, {hostDone, WM_TIMER, 0}};
const Row keyAfterClose[] = {{hostProc, WM_KEYDOWN}, {defProc, WM_KEYDOWN}, {hostDone, WM_KEYDOWN}};
const Row moveAfterClose[] = {
    {hostProc, WM_MOUSEMOVE}, {defProc, WM_MOUSEMOVE}, {hostDone, WM_MOUSEMOVE}};
const Row buttonAfterClose[] = {
    {hostProc, WM_LBUTTONDOWN}, {defProc, WM_LBUTTONDOWN}, {hostDone, WM_LBUTTONDOWN}};
const Row paintAfterClose[] = {{hostProc, WM_PAINT}, {defProc, WM_PAINT}, {hostDone, WM_PAINT}};
const Row deactivatedAfterClose[] = {PASSED_ON(WM_ACTIVATEAPP)};

const Case closeAllowed[] = {
    CASE("WM_TIMER", WM_TIMER, 1, 0, droppedTick),
    CASE("WM_KEYDOWN", WM_KEYDOWN, 'A', 0x001E0001, keyAfterClose),
    CASE("WM_MOUSEMOVE", WM_MOUSEMOVE, 0, 0, moveAfterClose),
    CASE("WM_LBUTTONDOWN", WM_LBUTTONDOWN, MK_LBUTTON, 0, buttonAfterClose),
    CASE("WM_PAINT", WM_PAINT, 0, 0, paintAfterClose),
    CASE("WM_ACTIVATEAPP, deactivated", WM_ACTIVATEAPP, 0, 0, deactivatedAfterClose),
};

// Mouse movements, as the cursor's offset from the anchor when WM_MOUSEMOVE arrives:
// more than 4 pixels (|dx| + |dy|) closes and moves the anchor to the cursor.
const Row quietMove[] = {{hostProc, WM_MOUSEMOVE}, {sceneProc, WM_MOUSEMOVE},
                         {hostDefault, WM_MOUSEMOVE}, {cursorPos}, {defProc, WM_MOUSEMOVE},
                         {hostDone, WM_MOUSEMOVE}};
const Row closingMove[] = {{hostProc, WM_MOUSEMOVE}, {sceneProc, WM_MOUSEMOVE},
                           {hostDefault, WM_MOUSEMOVE}, {cursorPos}, {post, WM_CLOSE, 0, 0},
                           {defProc, WM_MOUSEMOVE}, {hostDone, WM_MOUSEMOVE}};

struct Move {
    std::int32_t dx, dy;
    const Row* rows;
    std::size_t rowCount;
};

const Move moves[] = {
    {0, 0, quietMove, std::size(quietMove)},
    {4, 0, quietMove, std::size(quietMove)},
    {-2, 2, quietMove, std::size(quietMove)},
    {0, -4, quietMove, std::size(quietMove)},
    {5, 0, closingMove, std::size(closingMove)},
    {3, -2, closingMove, std::size(closingMove)},
    {-1, -4, closingMove, std::size(closingMove)},
};

// The end: a close request destroys the window; the host posts the quit message before
// the scene stops its timer.
const Row closing[] = {
    {hostProc, WM_CLOSE}, {sceneProc, WM_CLOSE}, {hostDefault, WM_CLOSE}, {defProc, WM_CLOSE}};
const Row destruction[] = {
    {hostProc, WM_DESTROY},
    {imeAssociate, any, any, any, nullptr, whenContextSaved},
    {postQuit, 0},
    {sceneProc, WM_DESTROY},
    {timerStop, 1},
    {hostDefault, WM_DESTROY},
    {defProc, WM_DESTROY},
    {hostDone, WM_DESTROY, 0},
};

// Takes the WM_CLOSE messages that the handlers posted off the window's queue.
int takeQueuedCloses(HWND window) {
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, window, WM_CLOSE, WM_CLOSE, PM_REMOVE))
        count += message.wParam == 0 && message.lParam == 0;
    return count;
}

int closeRows(const Row* rows, std::size_t count) {
    int closes = 0;
    for (std::size_t i = 0; i < count; ++i)
        closes += rows[i].call == post && rows[i].a == WM_CLOSE;
    return closes;
}

// Sends one message with an empty log and checks its rows and the queued close requests.
void sendCase(HWND window, const char* title, UINT message, WPARAM wParam, LPARAM lParam,
              const Row* rows, std::size_t rowCount) {
    if (message == WM_PAINT)
        ValidateRect(window, nullptr);  // nothing left to erase: only WM_PAINT itself runs
    HDC dc = GetDC(window);
    if (message == WM_ERASEBKGND)
        wParam = reinterpret_cast<WPARAM>(dc);
    clearLog();
    SendMessageA(window, message, wParam, lParam);
    ReleaseDC(window, dc);
    checkRows(title, rows, rowCount, wholeLog());

    char text[96];
    const int queued = takeQueuedCloses(window);
    const int posted = closeRows(rows, rowCount);
    std::snprintf(text, sizeof text, "%d close requests queued, expected %d", queued, posted);
    expect(queued == posted, title, text);
}

void runCases(HWND window, const char* phase, const Case* cases, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        char title[128];
        std::snprintf(title, sizeof title, "%s: %s", phase, cases[i].title);
        const Point anchor = host.mouseAnchor;
        sendCase(window, title, cases[i].message, cases[i].wParam, cases[i].lParam,
                 cases[i].rows, cases[i].rowCount);
        expect(host.mouseAnchor.x == anchor.x && host.mouseAnchor.y == anchor.y, title,
               "the anchor moved");
    }
}

void runMoves(HWND window) {
    for (const Move& move : moves) {
        char title[128];
        std::snprintf(title, sizeof title, "running: WM_MOUSEMOVE with the cursor at (%+d, %+d)",
                      move.dx, move.dy);
        const Point anchor = host.mouseAnchor;
        fakeCursor = true;
        fakeCursorPosition = {anchor.x + move.dx, anchor.y + move.dy};
        sendCase(window, title, WM_MOUSEMOVE, 0, 0, move.rows, move.rowCount);
        fakeCursor = false;
        const bool closes = closeRows(move.rows, move.rowCount) != 0;
        const Point expected = closes ? fakeCursorPosition : anchor;
        expect(host.mouseAnchor.x == expected.x && host.mouseAnchor.y == expected.y, title,
               closes ? "the anchor did not move to the cursor" : "the anchor moved");
        host.mouseAnchor = anchor;
    }
}

constexpr UINT loopPatience = 30000;  // milliseconds
constexpr std::int32_t loopAbandoned = -2;

void CALLBACK abandonLoop(HWND, UINT, UINT_PTR, DWORD) {
    expect(false, "close", "the message loop did not end: no quit message came");
    PostQuitMessage(loopAbandoned);
}

}  // namespace

// Runs the cases against the created window, then lets the real loop close it.
std::int32_t __wrap__Z14runMessageLoopv() {
    const HWND window = static_cast<HWND>(host.saverWindow);
    savedContext = host.savedImeContext;
    checkMessage("creation", WM_CREATE, creation);
    checkMessage("first erase", WM_ERASEBKGND, firstErase);

    runCases(window, "running", running, std::size(running));
    runMoves(window);
    host.closeConfirmed = 1;
    runCases(window, "close allowed", closeAllowed, std::size(closeAllowed));
    host.closeConfirmed = 0;

    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    expect(std::strcmp(title, "Screen Saver") == 0, "WM_SETTEXT", "the title changed");

    // Should no quit message come, a thread timer ends the loop in time to report it.
    clearLog();
    PostMessageA(window, WM_CLOSE, 0, 0);
    const UINT_PTR watchdog = SetTimer(nullptr, 0, loopPatience, abandonLoop);
    const std::int32_t code = __real__Z14runMessageLoopv();
    KillTimer(nullptr, watchdog);
    checkMessage("close", WM_CLOSE, closing, true);
    checkMessage("destruction", WM_DESTROY, destruction);
    expect(!IsWindow(window), "destruction", "the window still exists");
    return code;
}

int main() {
    _setmode(_fileno(stdout), _O_BINARY);  // plain \n line ends in the test's log
    imeLoaded = GetModuleHandleA("IMM32.DLL") != nullptr;
    host.moduleInstance = GetModuleHandleA(nullptr);
    host.isWin95Family = 0;
    const std::int32_t code = runSaverWindow(nullptr);
    expect(code == 0, "runSaverWindow", "the full-screen run did not end with 0");
    std::printf("%s: creation, first erase, %zu messages while running, %zu movements, "
                "%zu once a close is allowed, close and destruction (input method %s, "
                "context %s): %d failures\n",
                failures ? "FAIL" : "PASS", std::size(running), std::size(moves),
                std::size(closeAllowed), imeLoaded ? "loaded" : "absent",
                savedContext ? "saved" : "none", failures);
    return failures ? 1 : 0;
}
