// What the two scene probes share: the program over the reference raster
// (tests/bench/scene_reference.cpp, native) and the one over GDI under Wine
// (tests/wine/scene/scene_gdi.cpp). Both take the same command line, run the real
// scene with the same seed and client size, and write the same files, so that a
// script can compare them byte for byte and print their costs side by side.
//
//   PROGRAM frames --size WxH [--preview] --seed N --settings SLP --out DIR
//                  --ticks LIST --last N [--count-after T=C] [--display-bits 32|16]
//                  [--assets DIR]
//     Runs ticks 1..last. After every tick it appends "tick hash" (FNV-1a 64 of the
//     client's RGB bytes) to DIR/hashes.txt; after each tick in LIST (e.g.
//     "1,2,15,151-165") it writes the client as DIR/tick_NNNNNN.ppm (binary RGB).
//     With --count-after, tickCount is set to C right after tick T. With --hold PATH
//     (GDI only) the program then creates PATH.ready and keeps the window on the
//     screen until PATH exists, for a screenshot. --display-bits is the display's
//     format: the GDI program fails when the display has another one, and the
//     reference converts the images as GDI under Wine does for it (16: see as16Bit
//     in scene_reference.cpp).
//   PROGRAM bench  --size WxH --seed N --settings SLP --cycles N [--assets DIR]
//     Times every tick and prints "name value" lines per kind of tick.
//   PROGRAM soak   --size WxH --seed N --settings SLP --ticks-total N [--wrap]
//                  [--check] [--assets DIR]
//     Runs N ticks, following the scene clock with an independent model (across the
//     wrap of tickCount when --wrap), and prints what the process holds at the start,
//     after the warm-up and at the end. With --check it fails on any growth.
//
// SLP is three digits: sound, logo, pictures (the settings file's switches).
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace probe {

struct Options {
    std::string mode;
    std::int32_t width = 640, height = 480;
    bool preview = false;
    std::uint32_t seed = 1;
    std::uint32_t sound = 0, logo = 1, pictures = 1;
    std::string out;
    std::vector<std::uint32_t> frameTicks;
    std::uint32_t lastTick = 0;
    bool setCount = false;
    std::uint32_t countAfterTick = 0, countValue = 0;
    std::uint32_t cycles = 40;
    std::uint64_t totalTicks = 0;
    bool wrap = false;
    bool check = false;
    std::string assets;
    std::string hold;
    int displayBits = 32;
};

inline bool parseTicks(const char* text, std::vector<std::uint32_t>& ticks) {
    while (*text) {
        char* end = nullptr;
        const unsigned long first = std::strtoul(text, &end, 10);
        if (end == text)
            return false;
        unsigned long last = first;
        if (*end == '-') {
            const char* from = end + 1;
            last = std::strtoul(from, &end, 10);
            if (end == from || last < first)
                return false;
        }
        for (unsigned long t = first; t <= last; ++t)
            ticks.push_back(static_cast<std::uint32_t>(t));
        if (*end == ',')
            ++end;
        else if (*end)
            return false;
        text = end;
    }
    std::sort(ticks.begin(), ticks.end());
    return true;
}

inline bool parseOptions(int argc, char** argv, Options& o) {
    if (argc < 2)
        return false;
    o.mode = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string name = argv[i];
        const bool flag = name == "--preview" || name == "--wrap" || name == "--check";
        if (flag) {
            (name == "--preview" ? o.preview : name == "--wrap" ? o.wrap : o.check) = true;
            continue;
        }
        if (i + 1 >= argc)
            return false;
        const char* value = argv[++i];
        if (name == "--size") {
            if (std::sscanf(value, "%dx%d", &o.width, &o.height) != 2 || o.width <= 0 ||
                o.height <= 0)
                return false;
        } else if (name == "--seed") {
            o.seed = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
        } else if (name == "--settings") {
            if (std::strlen(value) != 3)
                return false;
            o.sound = value[0] != '0';
            o.logo = value[1] != '0';
            o.pictures = value[2] != '0';
        } else if (name == "--out") {
            o.out = value;
        } else if (name == "--ticks") {
            if (!parseTicks(value, o.frameTicks))
                return false;
        } else if (name == "--last") {
            o.lastTick = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
        } else if (name == "--count-after") {
            unsigned long tick = 0, count = 0;
            if (std::sscanf(value, "%lu=%lu", &tick, &count) != 2)
                return false;
            o.setCount = true;
            o.countAfterTick = static_cast<std::uint32_t>(tick);
            o.countValue = static_cast<std::uint32_t>(count);
        } else if (name == "--cycles") {
            o.cycles = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
        } else if (name == "--ticks-total") {
            o.totalTicks = std::strtoull(value, nullptr, 10);
        } else if (name == "--assets") {
            o.assets = value;
        } else if (name == "--hold") {
            o.hold = value;
        } else if (name == "--display-bits") {
            o.displayBits = std::atoi(value);
            if (o.displayBits != 32 && o.displayBits != 16)
                return false;
        } else {
            return false;
        }
    }
    if (o.mode == "frames")
        return !o.out.empty() && o.lastTick > 0 &&
               (o.frameTicks.empty() || o.frameTicks.back() <= o.lastTick);
    if (o.mode == "bench")
        return o.cycles > 0;
    if (o.mode == "soak")
        return o.totalTicks > 0;
    return false;
}

constexpr const char* usage =
    "usage: PROGRAM frames|bench|soak --size WxH [--preview] --seed N --settings SLP ...\n"
    "       (see tests/bench/scene_probe.h)\n";

inline std::uint64_t fnv1a(const std::uint8_t* bytes, std::size_t count) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < count; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

inline bool writePpm(const std::string& path, std::int32_t width, std::int32_t height,
                     const std::vector<std::uint8_t>& rgb) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
    return std::fclose(file) == 0 && written;
}

inline std::string frameName(const std::string& dir, std::uint32_t tick) {
    char name[32];
    std::snprintf(name, sizeof name, "/tick_%06u.ppm", tick);
    return dir + name;
}

// Writes hashes.txt and the chosen frames of one run.
struct FrameSink {
    const Options& options;
    std::FILE* hashes = nullptr;
    std::size_t nextFrame = 0;
    bool failed = false;

    explicit FrameSink(const Options& o) : options(o) {
        hashes = std::fopen((o.out + "/hashes.txt").c_str(), "w");
        failed = hashes == nullptr;
    }
    ~FrameSink() {
        if (hashes)
            std::fclose(hashes);
    }
    void add(std::uint32_t tick, const std::vector<std::uint8_t>& rgb) {
        if (failed)
            return;
        std::fprintf(hashes, "%u %016llx\n", tick,
                     static_cast<unsigned long long>(fnv1a(rgb.data(), rgb.size())));
        while (nextFrame < options.frameTicks.size() && options.frameTicks[nextFrame] < tick)
            ++nextFrame;
        if (nextFrame < options.frameTicks.size() && options.frameTicks[nextFrame] == tick)
            failed = !writePpm(frameName(options.out, tick), options.width, options.height, rgb);
    }
};

// What a tick is about to do, told from the scene's state before it.
enum class TickKind { setup, moving, reveal, change };

inline TickKind classify(bool setupDone, std::uint32_t pictures, std::uint32_t tickCount,
                         std::int32_t revealStep) {
    if (!setupDone)
        return TickKind::setup;
    if (pictures && tickCount % 150 == 0)
        return revealStep == 0 ? TickKind::change : TickKind::reveal;
    return TickKind::moving;
}

// The scene clock as documented, kept in 64 bits and reduced modulo 2^32 by hand, so
// that it does not share the product's types: a reveal holds the count at its multiple
// of 150 for 15 ticks and then adds one; every other tick adds one; the sound cue
// fires whenever the count left by the picture schedule is a multiple of 310.
struct ClockModel {
    std::uint64_t count = 1;  // after the first tick
    std::int32_t step = 0;
    bool pictures = true, sound = false;
    TickKind kind = TickKind::moving;
    bool cue = false;

    void advance() {
        if (pictures && count % 150 == 0) {
            kind = step == 0 ? TickKind::change : TickKind::reveal;
            if (++step == 15) {
                step = 0;
                count = (count + 1) % (1ull << 32);
            }
        } else {
            kind = TickKind::moving;
            count = (count + 1) % (1ull << 32);
        }
        cue = sound && count % 310 == 0;
    }
};

// Follows the product's clock against the model and gathers what a soak reports.
struct ClockCheck {
    ClockModel model;
    std::uint64_t ticks = 0, reveals = 0, revealsAtZero = 0, cues = 0, cuesAtZero = 0;
    std::uint64_t lastRevealTick = 0;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> intervals;  // length, how often
    std::string mismatch;  // the first tick on which the scene left the clock

    void reset(std::uint32_t count, std::int32_t step, bool pictures, bool sound) {
        model.count = count;
        model.step = step;
        model.pictures = pictures;
        model.sound = sound;
    }
    // tick: the tick's number; the product's state after it and the cues it played.
    void follow(std::uint64_t tick, std::uint32_t tickCount, std::int32_t revealStep,
                std::uint32_t cuesPlayed) {
        const std::uint64_t countBefore = model.count;
        model.advance();
        ++ticks;
        if (model.kind == TickKind::change) {
            ++reveals;
            revealsAtZero += countBefore == 0;
            if (lastRevealTick) {
                const std::uint64_t length = tick - lastRevealTick;
                auto it = std::find_if(intervals.begin(), intervals.end(),
                                       [&](const auto& p) { return p.first == length; });
                if (it == intervals.end())
                    intervals.push_back({length, 1});
                else
                    ++it->second;
            }
            lastRevealTick = tick;
        }
        cues += cuesPlayed;
        if (model.cue && model.count == 0)
            cuesAtZero += cuesPlayed;
        if (mismatch.empty() && (tickCount != model.count || revealStep != model.step ||
                                 cuesPlayed != (model.cue ? 1u : 0u))) {
            char text[200];
            std::snprintf(text, sizeof text,
                          "tick %llu: tickCount %u, revealStep %d, cues %u; the clock says "
                          "%llu, %d, %d",
                          static_cast<unsigned long long>(tick), tickCount, revealStep,
                          cuesPlayed, static_cast<unsigned long long>(model.count), model.step,
                          model.cue ? 1 : 0);
            mismatch = text;
        }
    }
    void print(const char* who) const {
        std::printf("%s clock: %llu ticks followed, %llu changes of picture (%llu with "
                    "tickCount at 0), %llu sound cues (%llu at 0)\n",
                    who, static_cast<unsigned long long>(ticks),
                    static_cast<unsigned long long>(reveals),
                    static_cast<unsigned long long>(revealsAtZero),
                    static_cast<unsigned long long>(cues),
                    static_cast<unsigned long long>(cuesAtZero));
        std::printf("%s clock: ticks between changes of picture:", who);
        for (const auto& p : intervals)
            std::printf(" %llu (x%llu)", static_cast<unsigned long long>(p.first),
                        static_cast<unsigned long long>(p.second));
        std::printf("\n%s clock: %s\n", who,
                    mismatch.empty() ? "the scene followed the clock on every tick"
                                     : ("FAIL " + mismatch).c_str());
    }
};

// tickCount a soak with --wrap starts from: ten ticks before the last multiple of 150
// below 2^32 (4294967250), so a reveal runs just before the wrap and another one,
// 60 ticks later, at tickCount 0.
constexpr std::uint32_t nearWrap = 4294967240u;

using Clock = std::chrono::steady_clock;

inline double microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

struct Samples {
    std::vector<double> us;
    double bytes = 0;  // summed over the samples
    void add(double t, double b) {
        us.push_back(t);
        bytes += b;
    }
    double median() const {
        if (us.empty())
            return 0;
        std::vector<double> s = us;
        std::nth_element(s.begin(), s.begin() + s.size() / 2, s.end());
        return s[s.size() / 2];
    }
    double mean() const {
        double sum = 0;
        for (double t : us)
            sum += t;
        return us.empty() ? 0 : sum / us.size();
    }
    double meanBytes() const { return us.empty() ? 0 : bytes / us.size(); }
};

inline const char* kindName(TickKind k) {
    switch (k) {
    case TickKind::setup: return "setup";
    case TickKind::moving: return "moving";
    case TickKind::reveal: return "reveal";
    case TickKind::change: return "change";
    }
    return "?";
}

inline void printSamples(TickKind k, const Samples& s) {
    std::printf("%s.count %zu\n%s.median_us %.2f\n%s.mean_us %.2f\n%s.bytes %.0f\n",
                kindName(k), s.us.size(), kindName(k), s.median(), kindName(k), s.mean(),
                kindName(k), s.meanBytes());
}

// The time a plain memcpy takes for the given blocks (bytes each), between buffers
// that stay warm, as the tick's own blocks do: the median of many rounds.
inline double memcpyFloor(const std::vector<std::size_t>& blocks, int rounds = 2000) {
    std::vector<std::vector<std::uint8_t>> from, to;
    for (std::size_t b : blocks) {
        from.emplace_back(b, 0x5A);
        to.emplace_back(b, 0);
    }
    std::vector<double> times;
    unsigned sink = 0;
    for (int r = 0; r < rounds; ++r) {
        const auto start = Clock::now();
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            std::memcpy(to[i].data(), from[i].data(), blocks[i]);
            from[i][r % blocks[i]] = static_cast<std::uint8_t>(r);
        }
        times.push_back(microseconds(Clock::now() - start));
        for (std::size_t i = 0; i < blocks.size(); ++i)
            sink += to[i][(r * 7) % blocks[i]];
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    if (sink == 0xFFFFFFFFu)
        std::printf("#");
    return times[times.size() / 2];
}

// The soak's loop over ticks 2..totalTicks, after tick 1 and the first reading: tick()
// runs one (false: the run cannot go on), the clock follows the scene, warmedUp() is
// called after the warm-up tick and, with --wrap, tickCount is set near the wrap at the
// first start of a cycle after it. Returns the seconds taken, or -1 when tick() failed.
template <typename Scene, typename Tick, typename WarmedUp>
double soakLoop(const char* who, const Options& options, std::uint64_t warmUp, Scene& scene,
                const std::uint32_t& cuesPlayed, ClockCheck& clock, Tick tick,
                WarmedUp warmedUp) {
    const auto follow = [&] {
        clock.reset(scene.tickCount, scene.revealStep, scene.settings.picturesEnabled != 0,
                    scene.settings.soundEnabled != 0);
    };
    follow();
    bool wrapped = !options.wrap;
    const auto start = Clock::now();
    for (std::uint64_t t = 2; t <= options.totalTicks; ++t) {
        if (!tick())
            return -1;
        clock.follow(t, scene.tickCount, scene.revealStep, cuesPlayed);
        if (t == warmUp)
            warmedUp();
        if (!wrapped && t >= warmUp && scene.revealStep == 0) {
            scene.tickCount = nearWrap;
            follow();
            wrapped = true;
            std::printf("%s tickCount set to %u after tick %llu\n", who, nearWrap,
                        static_cast<unsigned long long>(t));
        }
    }
    return microseconds(Clock::now() - start) / 1e6;
}

}  // namespace probe
