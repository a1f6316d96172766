// The scene over the reference raster (tests/native/fake_platform.cpp) with the real
// images: each 8-bit BMP of assets/ is decoded into 0x00RRGGBB pixels through its own
// colour table, as the display converts it when the image is loaded. Writes frames,
// times ticks or runs a soak; see scene_probe.h for the command line.
//
// blockCopy, fillBlack and playSound are wrapped at link time (-Wl,--wrap=...) to
// count the bytes a tick moves and the sound cues it plays.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/messages.h"
#include "scene/scene.h"
#include "tests/bench/scene_probe.h"
#include "tests/native/fake_platform.h"

namespace {

probe::Options options;
double bytesMoved;         // by the current tick's copies and fills
std::uint32_t cuesPlayed;  // by the current tick
std::vector<std::size_t>* blockLog;  // when set, each copy's bytes

std::uint32_t little(const std::vector<std::uint8_t>& d, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | d.at(at + i);
    return v;
}

// An uncompressed 8-bit BMP file, bottom-up, as tools/make_assets.py writes them.
bool readBmp(const std::string& path, Pixels& out) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<std::uint8_t> d((std::istreambuf_iterator<char>(file)),
                                      std::istreambuf_iterator<char>());
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M')
        return false;
    const std::uint32_t dataAt = little(d, 10, 4), header = little(d, 14, 4);
    const std::int32_t width = static_cast<std::int32_t>(little(d, 18, 4));
    const std::int32_t height = static_cast<std::int32_t>(little(d, 22, 4));
    const std::uint32_t bits = little(d, 28, 2), compression = little(d, 30, 4);
    std::uint32_t colours = little(d, 46, 4);
    if (header != 40 || bits != 8 || compression != 0 || width <= 0 || height <= 0)
        return false;
    if (colours == 0)
        colours = 256;
    const std::size_t stride = (static_cast<std::size_t>(width) + 3) / 4 * 4;
    if (d.size() < dataAt + stride * height || 54 + 4 * colours > dataAt)
        return false;
    std::uint32_t table[256] = {};
    for (std::uint32_t i = 0; i < colours && i < 256; ++i)
        table[i] = little(d, 54 + 4 * i, 3);  // blue, green, red: 0x00RRGGBB
    out.width = width;
    out.height = height;
    out.data.assign(static_cast<std::size_t>(width) * height, 0);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            out.at(x, y) = table[d[dataAt + (height - 1 - y) * stride + x]];
    return true;
}

// A colour as GDI under Wine holds it on a 16-bit display, read back as 8 bits a
// channel: loaded images and compatible bitmaps keep 5 bits of each channel (5-5-5),
// the window 5-6-5, whose sixth green bit repeats the highest one. Each bit of the
// result copies one bit of the source, so AND and OR work on these values exactly as
// on the display's own.
std::uint32_t as16Bit(std::uint32_t rgb) {
    const std::uint32_t r = rgb >> 19 & 0x1F, g = rgb >> 11 & 0x1F, b = rgb >> 3 & 0x1F;
    const std::uint32_t g6 = g << 1 | g >> 4;
    return (r << 3 | r >> 2) << 16 | (g6 << 2 | g6 >> 4) << 8 | (b << 3 | b >> 2);
}

bool loadAssets(const std::string& dir) {
    static std::map<int, Pixels> images;
    if (images.empty()) {
        std::vector<std::pair<int, std::string>> files = {{logoImageId, "logo.bmp"},
                                                          {logoMaskId, "logo_mask.bmp"}};
        for (int id : pictureIds)
            files.push_back({id, "picture_" + std::to_string(id) + ".bmp"});
        for (const auto& f : files)
            if (!readBmp(dir + "/" + f.second, images[f.first])) {
                std::fprintf(stderr, "cannot read %s/%s\n", dir.c_str(), f.second.c_str());
                return false;
            }
        if (options.displayBits == 16)
            for (auto& image : images)
                for (std::uint32_t& pixel : image.second.data)
                    pixel = as16Bit(pixel);
    }
    fake.resources = images;
    return true;
}

// The scene's window as the saver creates it: created, erased once, then ticking.
bool startScene() {
    resetFake();
    if (!loadAssets(options.assets))
        return false;
    fake.seconds = options.seed;
    fake.profile["sound"] = options.sound ? "1" : "0";
    fake.profile["logo"] = options.logo ? "1" : "0";
    fake.profile["pics"] = options.pictures ? "1" : "0";
    fake.windows[fakeSaverWindow] = {0, 0, options.width, options.height};
    // White, as an X display starts; the first erase must cover all of it.
    fake.screenPixels.width = options.width;
    fake.screenPixels.height = options.height;
    fake.screenPixels.data.assign(static_cast<std::size_t>(options.width) * options.height,
                                  0x00FFFFFF);
    host.isPreview = options.preview;
    hostWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
    hostWindowProcedure(fakeSaverWindow, WM_ERASEBKGND, 0, 0);
    return scene.firstErase == 0;
}

void tick() {
    bytesMoved = 0;
    cuesPlayed = 0;
    hostWindowProcedure(fakeSaverWindow, WM_TIMER, frameTimerId, 0);
    fake.calls.clear();  // the fake's own record of seam calls, not the scene's memory
}

probe::TickKind nextKind() {
    return probe::classify(scene.logoImage != nullptr, scene.settings.picturesEnabled,
                           scene.tickCount, scene.revealStep);
}

std::vector<std::uint8_t> clientRgb() {
    const Pixels& p = fake.screenPixels;
    std::vector<std::uint8_t> rgb(p.data.size() * 3);
    for (std::size_t i = 0; i < p.data.size(); ++i) {
        rgb[3 * i] = static_cast<std::uint8_t>(p.data[i] >> 16);
        rgb[3 * i + 1] = static_cast<std::uint8_t>(p.data[i] >> 8);
        rgb[3 * i + 2] = static_cast<std::uint8_t>(p.data[i]);
    }
    return rgb;
}

int runFrames() {
    probe::FrameSink sink(options);
    if (sink.failed || !startScene())
        return 2;
    for (std::uint32_t t = 1; t <= options.lastTick; ++t) {
        tick();
        if (options.setCount && t == options.countAfterTick)
            scene.tickCount = options.countValue;
        sink.add(t, clientRgb());
    }
    return sink.failed ? 2 : 0;
}

int runBench() {
    if (!startScene())
        return 2;
    probe::Samples samples[4];
    std::vector<std::size_t> movingBlocks;
    const std::uint32_t total = 1 + options.cycles * 164;
    for (std::uint32_t t = 1; t <= total; ++t) {
        const probe::TickKind kind = nextKind();
        std::vector<std::size_t> blocks;
        if (kind == probe::TickKind::moving && movingBlocks.empty() && t > 2)
            blockLog = &blocks;
        const auto start = probe::Clock::now();
        tick();
        const double us = probe::microseconds(probe::Clock::now() - start);
        if (blockLog) {
            movingBlocks = blocks;
            blockLog = nullptr;
        }
        samples[static_cast<int>(kind)].add(us, bytesMoved);
    }
    for (probe::TickKind k : {probe::TickKind::moving, probe::TickKind::reveal,
                              probe::TickKind::change})
        printSamples(k, samples[static_cast<int>(k)]);
    double movingBytes = 0;
    for (std::size_t b : movingBlocks)
        movingBytes += b;
    const double floorUs = probe::memcpyFloor(movingBlocks);
    std::printf("floor.blocks %zu\nfloor.bytes %.0f\nfloor.us %.2f\nfloor.bytes_per_us %.1f\n",
                movingBlocks.size(), movingBytes, floorUs, movingBytes / floorUs);
    return 0;
}

long residentKilobytes() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1)
            break;
    std::fclose(status);
    return kb;
}

struct Holdings {
    long rssKb;
    std::size_t bitmaps, surfaces;
};

Holdings holdings() {
    return {residentKilobytes(), fake.bitmaps.size(), fake.selected.size()};
}

void printHoldings(const char* when, const Holdings& h) {
    std::printf("reference %-22s RSS %6ld kB, bitmaps %zu, surfaces %zu\n", when, h.rssKb,
                h.bitmaps, h.surfaces);
}

int runSoak() {
    if (!startScene())
        return 2;
    const std::uint64_t warmUp = 500;  // a change of picture and a sound cue are behind
    probe::ClockCheck clock;
    tick();
    const Holdings first = holdings();
    Holdings warm = first;
    const double seconds = probe::soakLoop(
        "reference", options, warmUp, scene, cuesPlayed, clock,
        [] {
            tick();
            return true;
        },
        [&] { warm = holdings(); });
    const Holdings last = holdings();
    std::printf("reference soak: %llu ticks in %.1f s (%.0f ticks/s), %ux%d, settings "
                "sound %u logo %u pictures %u\n",
                static_cast<unsigned long long>(options.totalTicks), seconds,
                options.totalTicks / seconds, options.width, options.height, options.sound,
                options.logo, options.pictures);
    printHoldings("after the first tick", first);
    printHoldings("after the warm-up", warm);
    printHoldings("at the end", last);
    clock.print("reference");
    if (!options.check)
        return 0;
    bool ok = clock.mismatch.empty();
    if (last.bitmaps != warm.bitmaps || last.surfaces != warm.surfaces) {
        std::printf("FAIL the raster holds %zu bitmaps and %zu surfaces at the end, %zu and "
                    "%zu after the warm-up\n",
                    last.bitmaps, last.surfaces, warm.bitmaps, warm.surfaces);
        ok = false;
    }
    if (options.wrap && clock.revealsAtZero != 1) {
        std::printf("FAIL expected one change of picture at tickCount 0 after the wrap, "
                    "saw %llu\n",
                    static_cast<unsigned long long>(clock.revealsAtZero));
        ok = false;
    }
    std::printf("%s\n", ok ? "PASS reference soak" : "FAIL reference soak");
    return ok ? 0 : 1;
}

}  // namespace

extern "C" {

void __real__Z9blockCopyPviiiiS_ii8RasterOp(Surface, std::int32_t, std::int32_t, std::int32_t,
                                            std::int32_t, Surface, std::int32_t, std::int32_t,
                                            RasterOp);
void __wrap__Z9blockCopyPviiiiS_ii8RasterOp(Surface target, std::int32_t x, std::int32_t y,
                                            std::int32_t width, std::int32_t height,
                                            Surface source, std::int32_t sourceX,
                                            std::int32_t sourceY, RasterOp op) {
    const double bytes = width > 0 && height > 0 ? 4.0 * width * height : 0;
    bytesMoved += bytes;
    if (blockLog && bytes > 0)
        blockLog->push_back(static_cast<std::size_t>(bytes));
    __real__Z9blockCopyPviiiiS_ii8RasterOp(target, x, y, width, height, source, sourceX,
                                           sourceY, op);
}

void __real__Z9fillBlackPv4Rect(Surface, Rect);
void __wrap__Z9fillBlackPv4Rect(Surface surface, Rect rect) {
    const std::int32_t w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w > 0 && h > 0) {
        bytesMoved += 4.0 * w * h;
        if (blockLog)
            blockLog->push_back(static_cast<std::size_t>(4) * w * h);
    }
    __real__Z9fillBlackPv4Rect(surface, rect);
}

void __real__Z9playSoundPvij(ModuleHandle, int, std::uint32_t);
void __wrap__Z9playSoundPvij(ModuleHandle module, int id, std::uint32_t flags) {
    ++cuesPlayed;
    __real__Z9playSoundPvij(module, id, flags);
}

}  // extern "C"

int main(int argc, char** argv) {
    if (!probe::parseOptions(argc, argv, options) || options.assets.empty()) {
        std::fputs(probe::usage, stderr);
        std::fputs("       the reference also needs --assets DIR\n", stderr);
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (options.mode == "frames")
        return runFrames();
    if (options.mode == "bench")
        return runBench();
    return runSoak();
}
