// The scene on the reference raster: the worked examples pixel for pixel, the bounce and
// reveal geometry, the schedules, and the frame's invariants over long runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "scene/scene.h"
#include "tests/native/fake_platform.h"
#include "tests/native/scene_images.h"

// A copy's operation by name in failure reports.
void PrintTo(RasterOp op, std::ostream* out) { *out << (op == RasterOp::copy ? "copy" : op == RasterOp::and_ ? "and" : "or"); }
// A run prints as it is named: 640x480_seed1_pictures_logo.
void PrintTo(const SceneRun& r, std::ostream* out) {
    *out << r.width << "x" << r.height << "_seed" << r.seed << (r.pictures ? "_pictures" : "") << (r.logo ? "_logo" : "");
}

namespace {
// clang-format off

// A fill is clipped to the surface and leaves out its rectangle's right and bottom edges (the
// copies are seen through every scene test).
TEST(Raster, FillsClipLikeTheDisplay) {
    resetFake();
    const Surface target = createSurface(nullptr);
    selectBitmap(target, createBitmap(nullptr, 8, 8));
    Pixels& to = fake.bitmaps[fake.selected[target]] = filled(8, 8, 0x00C3A55A);
    for (Rect r : {Rect{1, 2, 3, 5}, Rect{6, 6, 20, 20}, Rect{-3, -3, 1, 1}, Rect{5, 5, 5, 9}})
        fillBlack(target, r);
    EXPECT_EQ(std::count(to.data.begin(), to.data.end(), 0u), 6 + 4 + 1);
    EXPECT_EQ(to.at(2, 4) | to.at(7, 7) | to.at(0, 0), 0u);
}

void ticks(int count) {
    for (int i = 0; i < count; ++i)
        toScene(WM_TIMER);
}

bool inside(const Rect& r, std::int32_t x, std::int32_t y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// After a tick the window shows the logo's opaque pixels at its shown place, the picture
// where it has been revealed, black elsewhere; near the logo a picture pixel may show a
// reveal step early, but at its own place. The saved background is the window without
// the logo.
::testing::AssertionResult frameIsRight(bool logoShown) {
    const Pixels& window = fake.screenPixels;
    const Rect picture = scene.pictureRect;
    const RevealFrame part = revealFrame(picture.right - picture.left, picture.bottom - picture.top, scene.revealStep ? scene.revealStep : 15);
    const Rect shown = {picture.left + part.offsetX, picture.top + part.offsetY, picture.left + part.offsetX + part.width,
                        picture.top + part.offsetY + part.height};
    const std::int32_t dx = scene.logoDx, dy = scene.logoDy;
    const Point logo = {std::max(scene.logoX, scene.logoX - dx), std::max(scene.logoY, scene.logoY - dy)};
    const Rect region = {scene.logoX, scene.logoY, scene.logoX + logoW + std::abs(dx), scene.logoY + logoH + std::abs(dy)};
    const Rect before = {region.left - dx, region.top - dy, region.right - dx, region.bottom - dy};
    for (std::int32_t y = 0; y < window.height; ++y)
        for (std::int32_t x = 0; x < window.width; ++x) {
            const std::uint32_t p = window.at(x, y);
            const bool logoHere = logoShown && insideLogoShape(x - logo.x, y - logo.y);
            const std::uint32_t own = inside(picture, x, y) ? picturePixel(scene.pictureIndex, x - picture.left, y - picture.top) : 0;
            const std::uint32_t expected = logoHere ? logoPixel(x - logo.x, y - logo.y) : scene.settings.picturesEnabled && inside(shown, x, y) ? own : 0;
            const bool early = logoShown && own && p == own && (inside(region, x, y) || inside(before, x, y));
            if (p != expected && !early)
                return ::testing::AssertionFailure() << "window " << x << "," << y << " is " << std::hex << p << ", expected " << expected;
        }
    const Pixels& under = fake.bitmaps[scene.underLogoBuffer];
    for (std::int32_t y = 0; scene.settings.logoEnabled && y < under.height; ++y)
        for (std::int32_t x = 0; x < under.width; ++x) {
            const std::int32_t wx = region.left + x, wy = region.top + y;
            const bool seen = wx >= 0 && wy >= 0 && wx < window.width && wy < window.height && !(logoShown && insideLogoShape(wx - logo.x, wy - logo.y));
            if ((under.at(x, y) & logoMarker) || (seen && under.at(x, y) != window.at(wx, wy)))
                return ::testing::AssertionFailure() << "saved background " << x << "," << y << " is " << std::hex << under.at(x, y);
        }
    return ::testing::AssertionSuccess();
}

TEST(Scene, TheFirstTickPlacesLogoAndPictureFromTheSeedAndShowsThePictureWhole) {
    const struct { int line; SceneRun run; std::int32_t logoX, logoY, dx, dy, row, left, top; } rows[] = {
        {__LINE__, {640, 480, 1, true, true}, 41, 288, 7, 6, 10, 84, 156},
        {__LINE__, {640, 480, 1, false, true}, 41, 288, 7, 6, 10, 84, 156},  // drawn, not shown
        {__LINE__, {800, 600, 1, true, true}, 41, 300, 7, 6, 10, 296, 153},
        {__LINE__, {152, 112, 1, true, true}, 41, 2, 7, 6, 10, 10, 33},  // negative divisors
        {__LINE__, {229, 109, 1, true, true}, 0, 0, 7, 6, 10, 4, 2},     // the logo's divisors are 0
    };
    FOR_EACH_ROW(row, rows) {
        startScene(row.run);
        ticks(1);
        EXPECT_EQ(std::make_tuple(scene.logoX, scene.logoY, scene.logoDx, scene.logoDy, bitmapSize(scene.underLogoBuffer).width,
                                  bitmapSize(scene.underLogoBuffer).height, scene.tickCount),
                  std::make_tuple(row.logoX, row.logoY, row.dx, row.dy, logoW + row.dx, logoH + row.dy, 1u));
        const Size size = catalogPictureSizes[row.row];
        EXPECT_EQ(std::make_tuple(scene.pictureIndex, scene.pictureRect.left, scene.pictureRect.top, scene.pictureRect.right, scene.pictureRect.bottom),
                  std::make_tuple(row.row, row.left, row.top, row.left + size.width, row.top + size.height));
        EXPECT_TRUE(frameIsRight(false));
    }
}

// A step that ends exactly on a limit keeps its way; one pixel beyond turns it back.
TEST(Scene, TheLogoTurnsBackOnlyWhenItsNextStepWouldCrossALimit) {
    constexpr std::uint32_t KEEPS = 0, TURNS_X = 1, TURNS_Y = 2;
    const char* const names[] = {"KEEPS", "TURNS_X", "TURNS_Y", "TURNS_X|TURNS_Y"};
    const struct { int line; std::int32_t x, dx, y, dy; std::uint32_t turns; } rows[] = {
        {__LINE__, 413, 7, 200, 6, KEEPS},
        {__LINE__, 414, 7, 200, 6, TURNS_X},  // right limit 650 - 230 = 420
        {__LINE__, 17, -7, 200, 6, KEEPS},
        {__LINE__, 16, -7, 200, 6, TURNS_X},  // left 10
        {__LINE__, 200, 7, 384, 6, KEEPS},
        {__LINE__, 200, 7, 385, 6, TURNS_Y},  // bottom limit 500 - 110 = 390
        {__LINE__, 200, 7, 26, -6, KEEPS},
        {__LINE__, 200, 7, 25, -6, TURNS_Y},  // top 20
        {__LINE__, 414, 7, 25, -6, TURNS_X | TURNS_Y},
    };
    FOR_EACH_ROW(row, rows) {
        resetFake();
        scene.clientRect = {10, 20, 650, 500};
        scene.logoWidth = logoW;
        scene.logoHeight = logoH;
        std::tie(scene.logoX, scene.logoDx, scene.logoY, scene.logoDy) = std::make_tuple(row.x, row.dx, row.y, row.dy);
        bounceLogo();
        EXPECT_STREQ(names[(scene.logoDx == -row.dx ? TURNS_X : 0) | (scene.logoDy == -row.dy ? TURNS_Y : 0)], names[row.turns]);
    }
}

TEST(Scene, TheRevealGrowsFromThePicturesCentreInFifteenSteps) {
    const struct { int line; std::int32_t width, height, step, revealWidth, revealHeight, offsetX, offsetY; } rows[] = {
        {__LINE__, 250, 148, 1, 16, 9, 117, 69},
        {__LINE__, 250, 148, 2, 33, 19, 108, 64},
        {__LINE__, 250, 148, 7, 116, 69, 67, 39},
        {__LINE__, 250, 148, 14, 233, 138, 8, 5},
        {__LINE__, 250, 148, 15, 250, 148, 0, 0},
        {__LINE__, 400, 358, 1, 26, 23, 187, 167}};
    FOR_EACH_ROW(row, rows) {
        const RevealFrame f = revealFrame(row.width, row.height, row.step);
        EXPECT_EQ(std::make_tuple(f.width, f.height, f.offsetX, f.offsetY), std::make_tuple(row.revealWidth, row.revealHeight, row.offsetX, row.offsetY));
    }
}

auto copyOf(const CopyRecord& c) { return std::make_tuple(c.target, c.x, c.y, c.width, c.height, c.source, c.sourceX, c.sourceY, c.op); }

// Seed 1 on 640 x 480: the logo from (41, 288) by (7, 6) turns back from the bottom on tick
// 15 and stays shown there for a tick; the pictures change on ticks 151, 315 and 479, and the
// first reveal step of the third lies inside the logo's region (188, 222)-(425, 338).
TEST(Scene, SeedOneOn640x480RunsItsWorkedExample) {
    startScene({640, 480, 1, true, true});
    ticks(1);
    for (int n = 2; n <= 14; ++n) {
        ticks(1);
        ASSERT_EQ(std::make_pair(scene.logoX, scene.logoY), std::make_pair(41 + 7 * (n - 1), 288 + 6 * (n - 1))) << n;
    }
    const struct { int line; std::int32_t x, y; } turn[] = {
        {__LINE__, 139, 360},  // shown a tick late, at (139, 366): frameIsRight looks there
        {__LINE__, 146, 354}};
    FOR_EACH_ROW(t, turn) {  // ticks 15 and 16
        ticks(1);
        EXPECT_EQ(std::make_pair(scene.logoX, scene.logoY), std::make_pair(t.x, t.y));
        EXPECT_TRUE(frameIsRight(true));
    }
    const struct { int line, tick, row; std::int32_t left, top; } changes[] = {
        {__LINE__, 151, 6, 374, 68},
        {__LINE__, 315, 17, 384, 267},
        {__LINE__, 479, 3, 72, 209}};
    int tick = 16;
    FOR_EACH_ROW(change, changes) {
        ticks(change.tick - 1 - tick);
        const Rect old = scene.pictureRect;
            fake.copies.clear();
        fake.fills.clear();
        ticks(1);
        tick = change.tick;
        EXPECT_EQ(std::make_tuple(scene.pictureIndex, scene.pictureRect.left, scene.pictureRect.top, scene.revealStep),
                  std::make_tuple(change.row, change.left, change.top, 1));
        ASSERT_EQ(fake.fills.size(), 1u);  // the old picture, blackened
        EXPECT_EQ(std::make_tuple(fake.fills[0].left, fake.fills[0].top, fake.fills[0].right, fake.fills[0].bottom),
                  std::make_tuple(old.left, old.top, old.right, old.bottom));
        EXPECT_TRUE(frameIsRight(true));
    }
    const Surface window = fakeWindowSurface, under = scene.underLogo, compose = scene.composeSurface, reveal = scene.revealSurface,
                  picture = scene.pictureSource;
    const struct { int line; CopyRecord copy; } expected[] = {
        {__LINE__, {window, 188, 222, 237, 116, under, 0, 0, RasterOp::copy}},
        {__LINE__, {under, 0, 0, 237, 116, window, 188, 222, RasterOp::copy}},
        {__LINE__, {reveal, 0, 0, catalogPictureSizes[3].width, catalogPictureSizes[3].height, picture, 0, 0, RasterOp::copy}},
        {__LINE__, {under, 24, 80, 21, 14, picture, 140, 93, RasterOp::copy}},
        {__LINE__, {compose, 0, 0, 237, 116, under, 0, 0, RasterOp::copy}},
        {__LINE__, {compose, 0, 0, logoW, logoH, scene.logoMask, 0, 0, RasterOp::and_}},
        {__LINE__, {compose, 0, 0, logoW, logoH, scene.logoImage, 0, 0, RasterOp::or_}},
        {__LINE__, {reveal, 140, 93, 21, 14, compose, 24, 80, RasterOp::copy}},
        {__LINE__, {window, 212, 302, 20, 13, reveal, 140, 93, RasterOp::copy}},
    };
    ASSERT_EQ(fake.copies.size(), std::size(expected) + 7);  // and the logo's seven
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const ::testing::ScopedTrace trace(__FILE__, expected[i].line, "copy");
        EXPECT_EQ(copyOf(fake.copies[i]), copyOf(expected[i].copy));
    }
    EXPECT_EQ(scene.logoX, 195);
}

// After a change of client size the frames are those of a fresh start at the new size
// (here up to the first change of picture), and no surface or buffer of the old scene is left; an unchanged size changes
// nothing, a zero size draws nothing. Pixels left from the old size are 0x654321.
TEST(Scene, ANewSizeStartsTheSceneAgain) {
    const struct { int line; SceneRun run; int before; Size size; bool viaZero; } rows[] = {
        {__LINE__, {640, 480, 1, true, true}, 320, {320, 240}, false},  // in the middle of a reveal
        {__LINE__, {320, 240, 7, true, true}, 20, {800, 600}, true},
        {__LINE__, {320, 240, 7, true, true}, 20, {320, 240}, false},
    };
    auto resize = [](Size size) {
        fake.windows[fakeSaverWindow] = {0, 0, size.width, size.height};
        if (size.width != fake.screenPixels.width || size.height != fake.screenPixels.height)
            fake.screenPixels = filled(size.width, size.height, 0x00654321);
        toScene(WM_SIZE);
    };
    auto held = [] {  // surfaces, and bitmaps but the 1 x 1 that a new surface holds
        return std::make_pair(fake.selected.size(), std::count_if(fake.bitmaps.begin(), fake.bitmaps.end(), [](auto& b) { return b.second.data.size() > 1; }));
    };
    FOR_EACH_ROW(row, rows) {
        const bool same = row.size.width == row.run.width && row.size.height == row.run.height;
        startScene({row.size.width, row.size.height, row.run.seed, true, true});
        ticks(same ? row.before + 152 : 152);
        const Pixels expected = fake.screenPixels;
        const auto expectedHeld = held();
        startScene(row.run);
        ticks(row.before);
        if (row.viaZero) {
            resize({0, 0});
            ticks(3);
            EXPECT_EQ(fake.strayDrawing, 0);
        }
        resize(row.size);
        ticks(152);
        EXPECT_TRUE(fake.screenPixels.data == expected.data);
        EXPECT_EQ(held(), expectedHeld);
    }
}

// Per tick (from 1), whether the window saw a change of picture (the old one blackened),
// a reveal step, a sound cue. tickCount can be set after the first tick.
TEST(Scene, PicturesChangeEvery164TicksAndTheCueSoundsEvery310Counts) {
    const struct { int line; bool pictures; const char* sound; int ticks; std::uint32_t count; std::vector<int> changes, cues; } rows[] = {
        {__LINE__, true, "1", 700, 0, {151, 315, 479, 643}, {338, 676}},
        {__LINE__, true, "2", 700, 0, {151, 315, 479, 643}, {338, 676}},
        {__LINE__, true, "0", 700, 0, {151, 315, 479, 643}, {}},
        {__LINE__, false, "1", 950, 0, {}, {310, 620, 930}},
        {__LINE__, true, "1", 40, 4649, {3}, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},  // 4650 = 31 x 150 = 15 x 310
    };
    FOR_EACH_ROW(row, rows) {
        startScene({640, 480, 1, row.pictures, true, row.sound}, false);
            std::vector<int> changes, reveals, cues;
        for (int t = 1; t <= row.ticks; ++t) {
            fake.copies.clear();
            fake.fills.clear();
            fake.effects = 0;
            ticks(1);
            if (t == 1 && row.count)
                scene.tickCount = row.count;
            if (!fake.fills.empty())
                changes.push_back(t);
            if (std::any_of(fake.copies.begin(), fake.copies.end(),
                            [](const CopyRecord& c) { return c.target == fakeWindowSurface && c.source == scene.revealSurface; }))
                reveals.push_back(t);
            if (fake.effects & CUE)
                cues.push_back(t);
        }
        EXPECT_EQ(changes, row.changes);
        std::vector<int> fifteenEach;
        for (int change : row.changes)
            for (int t = change; t < change + 15; ++t)
                fifteenEach.push_back(t);
        EXPECT_EQ(reveals, fifteenEach);
        EXPECT_EQ(cues, row.cues);
    }
}

// Long runs: the frame is right after every tick (every 7th on large clients, and at every
// turn and reveal step); the logo keeps inside the client or, on a narrower one, turns
// every tick; each change of picture replaces the reveal buffer; nothing is drawn with a
// surface that holds nothing.
class LongRun : public ::testing::TestWithParam<SceneRun> {};

TEST_P(LongRun, KeepsTheFrameRightOnEveryTick) {
    const SceneRun run = GetParam();
    startScene(run);
    ticks(1);
    ASSERT_TRUE(frameIsRight(false));
    std::size_t bitmaps = 0;
    for (int n = 2; n <= 800; ++n) {
        const std::int32_t dx = scene.logoDx, dy = scene.logoDy;
        ticks(1);
        if (n % (run.width * run.height > 100000 ? 7 : 1) == 0 || scene.revealStep || scene.logoDx != dx || scene.logoDy != dy) {
            ASSERT_TRUE(frameIsRight(run.logo)) << "tick " << n;
        }
        ASSERT_TRUE(run.width < logoW + 2 * std::abs(dx) || (scene.logoX >= 0 && scene.logoX <= run.width - logoW)) << n;
        ASSERT_TRUE(run.width >= logoW || scene.logoDx == -dx) << n;
        ASSERT_TRUE(run.height < logoH + 2 * std::abs(dy) || (scene.logoY >= 0 && scene.logoY <= run.height - logoH)) << n;
        ASSERT_TRUE(run.height >= logoH || scene.logoDy == -dy) << n;
        bitmaps = n == 166 ? fake.bitmaps.size() : bitmaps;
    }
    EXPECT_EQ(fake.bitmaps.size(), bitmaps);
    EXPECT_EQ(fake.strayDrawing, 0);
}

INSTANTIATE_TEST_SUITE_P(Clients, LongRun,
                         ::testing::Values(SceneRun{640, 480, 1, true, true}, SceneRun{640, 480, 1, false, true}, SceneRun{640, 480, 5, true, false},
                                           SceneRun{800, 600, 123456789, true, true}, SceneRun{1024, 768, 0xFFFFFFFF, true, true},
                                           SceneRun{320, 240, 42, true, true}, SceneRun{152, 112, 5, true, true}, SceneRun{249, 147, 3, true, true},
                                           SceneRun{237, 116, 11, false, true}, SceneRun{100, 50, 2, true, true}, SceneRun{229, 109, 7, true, true},
                                           SceneRun{240, 700, 9, true, true}, SceneRun{1, 1, 4, true, true}, SceneRun{0, 0, 4, true, true}),
                         ::testing::PrintToStringParamName());

// clang-format on
}  // namespace
