// A recording implementation of the platform seam, with a small 32-bit software
// raster that copies, ANDs, ORs and fills exactly as the display driver does:
// every copy is clipped to its source and its destination.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

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
    bool operator==(const CopyRecord& o) const {
        return target == o.target && x == o.x && y == o.y && width == o.width &&
               height == o.height && source == o.source && sourceX == o.sourceX &&
               sourceY == o.sourceY && op == o.op;
    }
};

struct FakePlatform {
    bool recordCalls = true;
    std::vector<std::string> calls;  // every seam call that has an effect, in order
    bool recordCopies = false;
    std::vector<CopyRecord> copies;  // block copies, when recorded
    std::vector<Rect> fills;         // black fills, when recorded

    // Process.
    std::string line = "VARNO.scr";
    bool versionQuerySucceeds = true;
    std::uint32_t platformId = 2;
    bool faultGuardRan = false;

    // Windows.
    std::map<WindowHandle, Rect> windows;  // existing windows and their client rectangles
    WindowHandle foreground = nullptr;
    WindowHandle parentOf = nullptr;       // the parent the preview window reports
    WindowHandle runningSaver = nullptr;   // what findWindow answers
    bool classRegisters = true;
    bool windowCreates = true;
    Size screen = {640, 480};
    Point cursor = {100, 100};
    std::deque<QueuedMessage> posted;      // what the saver posts, delivered first
    std::deque<QueuedMessage> queue;       // input that arrives later, in order
    bool quitPosted = false;
    std::int32_t quitCode = 0;

    // Libraries, registry and clock.
    std::map<std::string, std::vector<std::string>> libraries;  // name -> exported entries
    std::map<ModuleHandle, std::string> moduleNames;            // what loadLibrary handed out
    std::vector<std::string> alreadyLoaded;
    bool desktopKeyOpens = true;
    bool passwordValuePresent = false;
    std::uint32_t passwordValue = 0;
    std::function<std::intptr_t(WindowHandle)> verifier;
    std::uint32_t milliseconds = 1000;
    std::uint32_t seconds = 1;

    // Settings file: lower-cased key -> value text.
    std::map<std::string, std::string> profile;

    // Settings dialog.
    std::intptr_t dialogReturns = -1;
    std::map<int, std::uint32_t> checks;
    std::intptr_t dialogResult = -2;

    // Raster. Without stored pixels it keeps only sizes, clips and counts.
    bool storePixels = true;
    std::int32_t strayDrawing = 0;        // copies or fills on a surface that holds nothing
    std::map<Bitmap, Pixels> bitmaps;
    std::map<Surface, Bitmap> selected;   // off-screen surfaces and what they hold
    std::map<int, Pixels> resources;      // bitmap resources by identifier
    Pixels screenPixels;                  // the saver window's client area
    bool timerStarts = true;
};

extern FakePlatform fake;

void resetFake();

// The window the fake creates for the saver.
extern const WindowHandle fakeSaverWindow;
// The surface that stands for the saver window's drawing context.
extern const Surface fakeWindowSurface;

struct ProcessExit {
    std::int32_t code;
};

WindowHandle fakeHandle(std::uintptr_t value);
std::string hex(std::uintptr_t value);
