// The scene through GDI under Wine: the real runSaverWindow, host and scene, linked
// with the Win32 shell, in one process that drives the window itself and reads its
// pixels back in-process. See tests/bench/scene_probe.h for the command line; the
// reference raster's counterpart is tests/bench/scene_reference.cpp.
//
// Wrapped at link time (-Wl,--wrap=...), without any switch in the product:
//   calendarSeconds  returns the chosen seed;
//   startTimer       starts no timer: this program sends every WM_TIMER itself,
//                    synchronously, so tick n is exactly the n-th frame;
//   stopTimer        has no timer to stop;
//   runMessageLoop   settles the new window, runs the ticks, then closes the window
//                    and lets the real loop end;
//   blockCopy, fillBlack, playSound
//                    count the bytes a tick moves and the sound cues, then pass on.
//
// --preview makes a parent window with a WxH client at the screen's top-left and runs
// the saver as its child; otherwise the saver runs full screen and the screen must be
// WxH (run Xvfb at that size).

// A test program may use any Win32 function; the product keeps to Windows 95's.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#undef WINVER
#define WINVER 0x0601
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/host.h"
#include "scene/scene.h"
#include "tests/bench/scene_probe.h"

namespace {

probe::Options options;
int result = 0;
double bytesMoved;
std::uint32_t cuesPlayed;

void failure(const char* text) {
    std::printf("FAIL %s\n", text);
    result = 1;
}

// Dispatches whatever is queued. False when the saver window is gone.
bool pump(HWND window) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the real loop
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return IsWindow(window) != 0;
}

// The window appears, is painted and erased once; no tick may come before that.
bool settle(HWND window) {
    for (int round = 0; round < 500; ++round) {
        if (!pump(window))
            return false;
        if (scene.firstErase == 0 && round >= 10)
            return true;
        Sleep(10);
    }
    return false;
}

void sendTick(HWND window) {
    bytesMoved = 0;
    cuesPlayed = 0;
    SendMessageA(window, WM_TIMER, frameTimerId, 0);
}

// The client area's pixels, read through the window's own drawing context into a
// 32-bit top-down DIB section, as RGB bytes.
struct Readback {
    HDC memory = nullptr;
    HBITMAP dib = nullptr;
    HGDIOBJ original = nullptr;
    const std::uint8_t* bits = nullptr;

    bool read(HWND window, std::vector<std::uint8_t>& rgb) {
        const int w = options.width, h = options.height;
        HDC dc = GetDC(window);
        if (!dib) {
            BITMAPINFO info = {};
            info.bmiHeader.biSize = sizeof info.bmiHeader;
            info.bmiHeader.biWidth = w;
            info.bmiHeader.biHeight = -h;
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            void* pixels = nullptr;
            dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
            memory = CreateCompatibleDC(dc);
            original = SelectObject(memory, dib);
            bits = static_cast<const std::uint8_t*>(pixels);
        }
        const bool copied = dib && BitBlt(memory, 0, 0, w, h, dc, 0, 0, SRCCOPY);
        GdiFlush();
        ReleaseDC(window, dc);
        if (!copied)
            return false;
        rgb.resize(static_cast<std::size_t>(w) * h * 3);
        for (std::size_t i = 0; i < static_cast<std::size_t>(w) * h; ++i) {
            rgb[3 * i] = bits[4 * i + 2];
            rgb[3 * i + 1] = bits[4 * i + 1];
            rgb[3 * i + 2] = bits[4 * i];
        }
        return true;
    }
    ~Readback() {
        if (memory) {
            SelectObject(memory, original);
            DeleteDC(memory);
        }
        if (dib)
            DeleteObject(dib);
    }
};

probe::TickKind nextKind() {
    return probe::classify(scene.logoImage != nullptr, scene.settings.picturesEnabled,
                           scene.tickCount, scene.revealStep);
}

// The last frame stays on the screen, painted, until the script has taken its picture.
void holdForScreenshot(HWND window) {
    const std::string ready = options.hold + ".ready";
    if (std::FILE* f = std::fopen(ready.c_str(), "w"))
        std::fclose(f);
    for (int waited = 0; waited < 6000 && pump(window); ++waited) {
        if (std::FILE* f = std::fopen(options.hold.c_str(), "r")) {
            std::fclose(f);
            return;
        }
        Sleep(10);
    }
    failure("nobody took the screenshot within a minute");
}

void runFrames(HWND window) {
    probe::FrameSink sink(options);
    if (sink.failed)
        return failure("cannot write into the output directory");
    Readback readback;
    std::vector<std::uint8_t> rgb;
    for (std::uint32_t t = 1; t <= options.lastTick; ++t) {
        sendTick(window);
        if (options.setCount && t == options.countAfterTick)
            scene.tickCount = options.countValue;
        if (!pump(window))
            return failure("the saver window went away while ticking");
        if (!readback.read(window, rgb))
            return failure("cannot read the window's pixels back");
        sink.add(t, rgb);
    }
    if (sink.failed)
        failure("cannot write a frame");
    if (!options.hold.empty())
        holdForScreenshot(window);
}

void runBench(HWND window) {
    probe::Samples samples[4], pumping;
    const std::uint32_t total = 1 + options.cycles * 164;
    const auto start = probe::Clock::now();
    for (std::uint32_t t = 1; t <= total; ++t) {
        const probe::TickKind kind = nextKind();
        const auto before = probe::Clock::now();
        sendTick(window);
        const auto ticked = probe::Clock::now();
        samples[static_cast<int>(kind)].add(probe::microseconds(ticked - before), bytesMoved);
        // What the loop does between ticks: Wine sends the window's new pixels to X here.
        if (!pump(window))
            return failure("the saver window went away while ticking");
        pumping.add(probe::microseconds(probe::Clock::now() - ticked), 0);
    }
    const double loop = probe::microseconds(probe::Clock::now() - start) / total;
    for (probe::TickKind k : {probe::TickKind::moving, probe::TickKind::reveal,
                              probe::TickKind::change})
        printSamples(k, samples[static_cast<int>(k)]);
    std::printf("pump.median_us %.2f\npump.mean_us %.2f\nloop.us_per_tick %.2f\n",
                pumping.median(), pumping.mean(), loop);
}

// What the process holds, read from inside it. Wine 8 answers GetGuiResources with
// ERROR_CALL_NOT_IMPLEMENTED and GetProcessHandleCount and PrivateUsage with 0, so
// each figure falls back to a count that Wine does keep: the process's GDI handle
// table (non-stock entries), the system handle list (entries of this process) and
// the committed private pages.
//
// Of the handles, only those of a type that Wine names are judged. Wine's sound system
// keeps one waitable object of an unnamed type (asynchronous I/O of its own threads)
// whose presence after a cue depends on its state, not on the scene; a leak of the
// product's would be a key, file, event, thread, section or the like.
struct GdiEntry {
    std::uint64_t object;
    std::uint16_t processId, count;
    std::uint16_t unique;  // bit 7: a stock object
    std::uint8_t type, flags;
    std::uint64_t user;
};
static_assert(sizeof(GdiEntry) == 24, "the x86_64 layout of the GDI handle table");

using QueryProcessInformation = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

// The table's address is the PEB's GdiSharedHandleTable, at 0xF8 on x86_64.
long gdiTableCount() {
    const auto query = reinterpret_cast<QueryProcessInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic = {};
    if (!query || query(GetCurrentProcess(), 0 /* ProcessBasicInformation */, &basic,
                        sizeof basic, nullptr) != 0)
        return -1;
    const char* peb = reinterpret_cast<const char*>(basic.PebBaseAddress);
    const GdiEntry* table = *reinterpret_cast<GdiEntry* const*>(peb + 0xF8);
    if (!table)
        return -1;
    const std::uint16_t self = static_cast<std::uint16_t>(GetCurrentProcessId());
    long count = 0;
    for (int i = 0; i < 0x10000; ++i)
        if (table[i].type && !(table[i].unique & 0x80) &&
            (table[i].processId == 0 || table[i].processId == self))
            ++count;
    return count;
}

struct HandleEntry {
    ULONG_PTR object, processId, handle;
    ULONG access;
    USHORT backTrace, typeIndex;
    ULONG attributes, reserved;
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

using QueryObject = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

// Whether Wine names the type of one of our handles (ObjectTypeInformation).
bool typeIsNamed(HANDLE handle) {
    static const auto query = reinterpret_cast<QueryObject>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryObject")));
    alignas(8) unsigned char information[512];
    constexpr ULONG objectTypeInformation = 2;
    return query && query(handle, objectTypeInformation, information, sizeof information,
                          nullptr) == 0 &&
           reinterpret_cast<const UNICODE_STRING*>(information)->Length > 0;
}

// All handles of this process in the system's list, and those of a named type.
void systemHandleCounts(long& all, long& named) {
    static std::vector<std::uint8_t> buffer(16 << 20);
    const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    ULONG length = 0;
    constexpr ULONG systemExtendedHandleInformation = 64;
    all = named = -1;
    if (!query || query(systemExtendedHandleInformation, buffer.data(),
                        static_cast<ULONG>(buffer.size()), &length) != 0)
        return;
    const ULONG_PTR entries = *reinterpret_cast<const ULONG_PTR*>(buffer.data());
    const auto* entry = reinterpret_cast<const HandleEntry*>(buffer.data() + 2 * sizeof(ULONG_PTR));
    all = named = 0;
    for (ULONG_PTR i = 0; i < entries; ++i)
        if (entry[i].processId == GetCurrentProcessId()) {
            ++all;
            named += typeIsNamed(reinterpret_cast<HANDLE>(entry[i].handle));
        }
}

unsigned long long committedPrivateBytes() {
    unsigned long long total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char* at = nullptr;
    while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return total;
}

struct Holdings {
    unsigned long long privateBytes, workingSet;
    long gdiObjects, handles, allHandles;
    DWORD guiResources, handleCount;  // what the two Win32 queries answer
};

Holdings holdings() {
    Holdings h = {};
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                         sizeof memory);
    h.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : committedPrivateBytes();
    h.workingSet = memory.WorkingSetSize;
    h.guiResources = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    GetProcessHandleCount(GetCurrentProcess(), &h.handleCount);
    h.gdiObjects = h.guiResources ? static_cast<long>(h.guiResources) : gdiTableCount();
    systemHandleCounts(h.allHandles, h.handles);
    return h;
}

// A reading that does not depend on timing: each sound cue sets Wine's sound system to
// work for about 50 ms, with threads and handles that come and go, so the cue is
// stopped (PlaySoundA with no sound waits for the playing thread to let go) and
// readings 50 ms apart are taken until four in a row agree.
Holdings settledHoldings() {
    PlaySoundA(nullptr, nullptr, 0);
    Holdings last = holdings();
    int agreeing = 1;
    for (int i = 0; i < 100 && agreeing < 4; ++i) {
        Sleep(50);
        const Holdings now = holdings();
        const bool same = now.gdiObjects == last.gdiObjects && now.handles == last.handles;
        agreeing = same ? agreeing + 1 : 1;
        last = now;
    }
    return last;
}

void printHoldings(const char* when, const Holdings& h) {
    std::printf("gdi %-22s private %5.1f MB, working set %5.1f MB, GDI objects %ld, handles "
                "%ld of a named type, %ld in all (GetGuiResources %lu, "
                "GetProcessHandleCount %lu)\n",
                when, h.privateBytes / 1048576.0, h.workingSet / 1048576.0, h.gdiObjects,
                h.handles, h.allHandles, h.guiResources, h.handleCount);
}

// The fallback GDI count must see objects come and go, or its figures mean nothing.
bool gdiCountWorks() {
    const long before = holdings().gdiObjects;
    HBITMAP made[3];
    for (HBITMAP& b : made)
        b = CreateBitmap(4, 4, 1, 1, nullptr);
    const long during = holdings().gdiObjects;
    for (HBITMAP b : made)
        DeleteObject(b);
    const long after = holdings().gdiObjects;
    std::printf("gdi GDI object count check: %ld, with three more bitmaps %ld, after "
                "deleting them %ld\n", before, during, after);
    return before >= 0 && during == before + 3 && after == before;
}

void runSoak(HWND window) {
    if (!gdiCountWorks())
        return failure("the GDI object count does not follow objects made and deleted");
    const std::uint64_t warmUp = 500;
    probe::ClockCheck clock;
    sendTick(window);
    pump(window);
    const Holdings first = settledHoldings();
    Holdings warm = first;
    const double seconds = probe::soakLoop(
        "gdi", options, warmUp, scene, cuesPlayed, clock,
        [&] {
            sendTick(window);
            return pump(window);
        },
        [&] { warm = settledHoldings(); });
    if (seconds < 0)
        return failure("the saver window went away while ticking");
    const Holdings last = settledHoldings();
    std::printf("gdi soak: %llu ticks in %.1f s (%.0f ticks/s), %dx%d %s, settings sound %u "
                "logo %u pictures %u\n",
                static_cast<unsigned long long>(options.totalTicks), seconds,
                options.totalTicks / seconds, options.width, options.height,
                options.preview ? "preview" : "full screen", options.sound, options.logo,
                options.pictures);
    printHoldings("after the first tick", first);
    printHoldings("after the warm-up", warm);
    printHoldings("at the end", last);
    clock.print("gdi");
    if (!options.check)
        return;
    if (!clock.mismatch.empty())
        failure("the scene left the clock's schedule");
    if (last.gdiObjects != warm.gdiObjects)
        failure("the number of GDI objects changed after the warm-up");
    if (last.handles != warm.handles)
        failure("the number of handles (of a named type) changed after the warm-up");
    if (options.wrap && clock.revealsAtZero != 1)
        failure("expected one change of picture at tickCount 0 after the wrap");
    if (options.sound && clock.cues == 0)
        failure("sound is on, but no cue was played");
    if (result == 0)
        std::printf("PASS gdi soak\n");
}

}  // namespace

extern "C" {

std::uint32_t __wrap__Z15calendarSecondsv() {
    return options.seed;
}

std::uintptr_t __wrap__Z10startTimerPvyj(WindowHandle, std::uintptr_t id, std::uint32_t) {
    return id;
}

void __wrap__Z9stopTimerPvy(WindowHandle, std::uintptr_t) {}

std::int32_t __real__Z14runMessageLoopv();
std::int32_t __wrap__Z14runMessageLoopv() {
    const HWND window = static_cast<HWND>(host.saverWindow);
    RECT client = {};
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    const int displayBits = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(window, dc);
    if (displayBits != options.displayBits) {
        char text[120];
        std::snprintf(text, sizeof text, "the display has %d bits per pixel, not %d",
                      displayBits, options.displayBits);
        failure(text);
    } else if (!settle(window)) {
        failure("the saver window was not erased (or went away) before the first tick");
    } else if (client.right != options.width || client.bottom != options.height) {
        char text[120];
        std::snprintf(text, sizeof text, "the client area is %ldx%ld, not %dx%d", client.right,
                      client.bottom, options.width, options.height);
        failure(text);
    } else if (options.mode == "frames") {
        runFrames(window);
    } else if (options.mode == "bench") {
        runBench(window);
    } else {
        runSoak(window);
    }
    if (IsWindow(window))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return __real__Z14runMessageLoopv();
}

void __real__Z9blockCopyPviiiiS_ii8RasterOp(Surface, std::int32_t, std::int32_t, std::int32_t,
                                            std::int32_t, Surface, std::int32_t, std::int32_t,
                                            RasterOp);
void __wrap__Z9blockCopyPviiiiS_ii8RasterOp(Surface target, std::int32_t x, std::int32_t y,
                                            std::int32_t width, std::int32_t height,
                                            Surface source, std::int32_t sourceX,
                                            std::int32_t sourceY, RasterOp op) {
    if (width > 0 && height > 0)
        bytesMoved += 4.0 * width * height;
    __real__Z9blockCopyPviiiiS_ii8RasterOp(target, x, y, width, height, source, sourceX,
                                           sourceY, op);
}

void __real__Z9fillBlackPv4Rect(Surface, Rect);
void __wrap__Z9fillBlackPv4Rect(Surface surface, Rect rect) {
    const std::int32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w > 0 && h > 0)
        bytesMoved += 4.0 * w * h;
    __real__Z9fillBlackPv4Rect(surface, rect);
}

void __real__Z9playSoundPvij(ModuleHandle, int, std::uint32_t);
void __wrap__Z9playSoundPvij(ModuleHandle module, int id, std::uint32_t flags) {
    ++cuesPlayed;
    __real__Z9playSoundPvij(module, id, flags);
}

}  // extern "C"

namespace {

LRESULT CALLBACK parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

// A plain popup at the screen's top-left whose client area is the preview's size.
HWND makeParent() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = parentProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    windowClass.lpszClassName = "ScenePreviewParent";
    RegisterClassA(&windowClass);
    HWND parent = CreateWindowExA(0, "ScenePreviewParent", "Display settings",
                                  WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, options.width,
                                  options.height, nullptr, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
    pump(parent);
    return parent;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (!probe::parseOptions(argc, argv, options)) {
        std::fputs(probe::usage, stderr);
        return 2;
    }
    // The scene reads its switches from the settings file when its window is created.
    WritePrivateProfileStringA("VARNO", "Sound", options.sound ? "1" : "0", "VARNO.INI");
    WritePrivateProfileStringA("VARNO", "Logo", options.logo ? "1" : "0", "VARNO.INI");
    WritePrivateProfileStringA("VARNO", "Pics", options.pictures ? "1" : "0", "VARNO.INI");

    host.moduleInstance = GetModuleHandleA(nullptr);
    host.isWin95Family = 0;
    std::int32_t code;
    if (options.preview) {
        HWND parent = makeParent();
        code = runSaverWindow(parent);
        DestroyWindow(parent);
    } else {
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        if (w != options.width || h != options.height) {
            std::printf("FAIL the screen is %dx%d, not %dx%d: run the display at that size\n",
                        w, h, options.width, options.height);
            return 1;
        }
        code = runSaverWindow(nullptr);
    }
    if (code != 0)
        failure("runSaverWindow did not end with 0");
    if (host.saverWindow == nullptr)
        failure("no saver window was created");
    return result;
}
