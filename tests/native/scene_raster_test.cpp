// The scene's frames on the reference raster: the worked examples pixel for pixel,
// and the logo's invariants over long runs on many clients.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/messages.h"
#include "scene/scene.h"
#include "tests/native/fake_platform.h"
#include "tests/native/scene_images.h"

namespace {

struct SceneRun {
    std::int32_t width, height;
    std::uint32_t seed;
    bool pictures, logo;
};

void start(const SceneRun& run) {
    resetFake();
    provideCatalogImages();
    fake.seconds = run.seed;
    fake.profile["pics"] = run.pictures ? "1" : "0";
    fake.profile["logo"] = run.logo ? "1" : "0";
    fake.windows[fakeSaverWindow] = {0, 0, run.width, run.height};
    fake.screenPixels = filled(run.width, run.height, 0x00654321);
    sceneWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
    sceneWindowProcedure(fakeSaverWindow, WM_ERASEBKGND, 0, 0);
}

void tick() {
    sceneWindowProcedure(fakeSaverWindow, WM_TIMER, frameTimerId, 0);
}

void ticks(int count) {
    for (int i = 0; i < count; ++i)
        tick();
}

Point shownPosition() {
    return {std::max(scene.logoX, scene.logoX - scene.logoDx),
            std::max(scene.logoY, scene.logoY - scene.logoDy)};
}

std::uint32_t logoPixel(std::int32_t x, std::int32_t y) {
    return logoMarker | static_cast<std::uint32_t>(x * 110 + y);
}

// What the window must show at (x, y) inside the logo's region: the logo where it is
// opaque at its shown place, the saved background everywhere else.
::testing::AssertionResult regionMatches() {
    const Pixels& under = fake.bitmaps[scene.underLogoBuffer];
    const Pixels& window = fake.screenPixels;
    const Point shown = shownPosition();
    for (std::int32_t y = 0; y < under.height; ++y)
        for (std::int32_t x = 0; x < under.width; ++x) {
            const std::uint32_t saved = under.at(x, y);
            if (saved & logoMarker)
                return ::testing::AssertionFailure() << "logo pixel saved as background at " << x
                                                     << "," << y;
            const std::int32_t wx = scene.logoX + x, wy = scene.logoY + y;
            if (wx < 0 || wy < 0 || wx >= window.width || wy >= window.height)
                continue;
            const std::int32_t lx = wx - shown.x, ly = wy - shown.y;
            const bool logoHere = lx >= 0 && ly >= 0 && lx < 230 && ly < 110 && insideLogoShape(lx, ly);
            const std::uint32_t expected = logoHere ? logoPixel(lx, ly) : saved;
            if (window.at(wx, wy) != expected)
                return ::testing::AssertionFailure()
                       << "window " << wx << "," << wy << " is " << hex(window.at(wx, wy))
                       << ", expected " << hex(expected);
        }
    return ::testing::AssertionSuccess();
}

// No logo pixel anywhere but at the logo's shown place; with pictures off, black elsewhere.
::testing::AssertionResult noTrail(bool blackBackground) {
    const Pixels& window = fake.screenPixels;
    const Point shown = shownPosition();
    for (std::int32_t y = 0; y < window.height; ++y)
        for (std::int32_t x = 0; x < window.width; ++x) {
            const std::int32_t lx = x - shown.x, ly = y - shown.y;
            if (lx >= 0 && ly >= 0 && lx < 230 && ly < 110 && insideLogoShape(lx, ly))
                continue;
            const std::uint32_t p = window.at(x, y);
            if ((p & logoMarker) || (blackBackground && p != 0))
                return ::testing::AssertionFailure() << "stray pixel " << hex(p) << " at " << x
                                                     << "," << y << " with the logo shown at "
                                                     << shown.x << "," << shown.y;
        }
    return ::testing::AssertionSuccess();
}

TEST(LogoPath, SeedOneOn640x480BouncesOffTheBottomOnTick15) {
    start({640, 480, 1, false, true});
    tick();
    for (int n = 2; n <= 14; ++n) {
        tick();
        ASSERT_EQ(scene.logoX, 41 + 7 * (n - 1)) << n;
        ASSERT_EQ(scene.logoY, 288 + 6 * (n - 1)) << n;
    }
    EXPECT_EQ(scene.logoX, 132);
    EXPECT_EQ(scene.logoY, 366);
    tick();
    EXPECT_EQ(scene.logoX, 139);
    EXPECT_EQ(scene.logoY, 360);
    EXPECT_EQ(shownPosition().x, 139);
    EXPECT_EQ(shownPosition().y, 366);  // paused on the axis that turned
    EXPECT_EQ(fake.screenPixels.at(139 + 115, 366 + 55), logoPixel(115, 55));
    EXPECT_TRUE(noTrail(true));
    tick();
    EXPECT_EQ(scene.logoX, 146);
    EXPECT_EQ(scene.logoY, 354);
    EXPECT_EQ(shownPosition().y, 360);
    EXPECT_EQ(fake.screenPixels.at(146 + 115, 360 + 55), logoPixel(115, 55));
    EXPECT_TRUE(noTrail(true));
    EXPECT_TRUE(regionMatches());
}

TEST(LogoPath, TheFirstTickDrawsNoLogo) {
    start({640, 480, 1, false, true});
    tick();
    EXPECT_TRUE(std::all_of(fake.screenPixels.data.begin(), fake.screenPixels.data.end(),
                            [](std::uint32_t p) { return p == 0; }));
}

TEST(RevealGeometry, GrowsFromTheCentreInFifteenSteps) {
    const struct {
        std::int32_t width, height, step;
        RevealFrame frame;
    } cases[] = {
        {250, 148, 1, {16, 9, 117, 69}},   {250, 148, 2, {33, 19, 108, 64}},
        {250, 148, 7, {116, 69, 67, 39}},  {250, 148, 14, {233, 138, 8, 5}},
        {250, 148, 15, {250, 148, 0, 0}},  {400, 358, 1, {26, 23, 187, 167}},
        {0, 0, 7, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        const RevealFrame f = revealFrame(c.width, c.height, c.step);
        EXPECT_EQ(f.width, c.frame.width) << c.width << "x" << c.height << " step " << c.step;
        EXPECT_EQ(f.height, c.frame.height);
        EXPECT_EQ(f.offsetX, c.frame.offsetX);
        EXPECT_EQ(f.offsetY, c.frame.offsetY);
    }
}

TEST(PictureChanges, SeedOneOn640x480) {
    start({640, 480, 1, true, true});
    ticks(150);
    EXPECT_EQ(scene.pictureIndex, 10);
    // The initial picture stands whole, with the logo passing over it.
    tick();
    EXPECT_EQ(scene.pictureIndex, 6);
    EXPECT_EQ(scene.pictureRect.left, 374);
    EXPECT_EQ(scene.pictureRect.top, 68);
    EXPECT_EQ(scene.revealStep, 1);
    ticks(315 - 151);
    EXPECT_EQ(scene.pictureIndex, 17);
    EXPECT_EQ(scene.pictureRect.left, 384);
    EXPECT_EQ(scene.pictureRect.top, 267);

    ticks(478 - 315);
    fake.recordCopies = true;
    tick();  // 479: the third change
    EXPECT_EQ(scene.pictureIndex, 3);
    EXPECT_EQ(scene.pictureRect.left, 72);
    EXPECT_EQ(scene.pictureRect.top, 209);
    ASSERT_EQ(fake.fills.size(), 1u);
    EXPECT_EQ(fake.fills[0].left, 384);  // the old picture, blackened
    EXPECT_EQ(fake.fills[0].bottom, 267 + 170);

    const Surface window = fakeWindowSurface;
    const std::vector<CopyRecord> expected = {
        {window, 188, 222, 237, 116, scene.underLogo, 0, 0, RasterOp::copy},
        {scene.underLogo, 0, 0, 237, 116, window, 188, 222, RasterOp::copy},
        {scene.revealSurface, 0, 0, 300, 199, scene.pictureSource, 0, 0, RasterOp::copy},
        {scene.underLogo, 24, 80, 21, 14, scene.pictureSource, 140, 93, RasterOp::copy},
        {scene.composeSurface, 0, 0, 237, 116, scene.underLogo, 0, 0, RasterOp::copy},
        {scene.composeSurface, 0, 0, 230, 110, scene.logoMask, 0, 0, RasterOp::and_},
        {scene.composeSurface, 0, 0, 230, 110, scene.logoImage, 0, 0, RasterOp::or_},
        {scene.revealSurface, 140, 93, 21, 14, scene.composeSurface, 24, 80, RasterOp::copy},
        {window, 212, 302, 20, 13, scene.revealSurface, 140, 93, RasterOp::copy},
    };
    ASSERT_GE(fake.copies.size(), expected.size() + 7);  // and the logo's seven
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(fake.copies[i] == expected[i]) << "copy " << i;
    EXPECT_EQ(fake.copies.size(), expected.size() + 7);
    EXPECT_EQ(scene.logoX, 195);  // moved after the reveal step
}

TEST(PictureChanges, EachChangeReplacesTheRevealBufferWithoutLeaking) {
    start({640, 480, 7, true, true});
    ticks(2);
    const std::size_t bitmapsAtRest = fake.bitmaps.size();
    for (int cycle = 0; cycle < 6; ++cycle) {
        ticks(164);
        ASSERT_NE(scene.revealBuffer, nullptr);
        EXPECT_EQ(bitmapSize(scene.revealBuffer).width, scene.pictureTable[scene.pictureIndex].width);
        EXPECT_EQ(fake.bitmaps.size(), bitmapsAtRest + 1) << "cycle " << cycle;
    }
}

TEST(PictureChanges, TheRevealEndsWithTheWholePictureAndTheOldOneGone) {
    start({800, 600, 99, true, false});
    ticks(150);
    const Rect old = scene.pictureRect;
    ticks(15);  // ticks 151 to 165
    EXPECT_EQ(scene.revealStep, 0);
    EXPECT_EQ(scene.tickCount, 151u);
    const Rect now = scene.pictureRect;
    const int row = scene.pictureIndex;
    for (std::int32_t y = 0; y < 600; ++y)
        for (std::int32_t x = 0; x < 800; ++x) {
            const bool inNew = x >= now.left && x < now.right && y >= now.top && y < now.bottom;
            const bool inOld = x >= old.left && x < old.right && y >= old.top && y < old.bottom;
            const std::uint32_t p = fake.screenPixels.at(x, y);
            if (inNew) {
                ASSERT_EQ(p, picturePixel(row, x - now.left, y - now.top)) << x << "," << y;
            } else if (inOld) {
                ASSERT_EQ(p, 0u) << x << "," << y;
            }
        }
}

TEST(PictureChanges, PicturesOffDrawNoneButStillDrawTheirThreeValues) {
    start({640, 480, 1, false, false});
    ticks(1);
    EXPECT_EQ(scene.pictureIndex, 10);
    EXPECT_EQ(scene.pictureRect.left, 84);
    ticks(400);
    EXPECT_EQ(scene.pictureIndex, 10);
    EXPECT_EQ(scene.tickCount, 401u);
    EXPECT_TRUE(std::all_of(fake.screenPixels.data.begin(), fake.screenPixels.data.end(),
                            [](std::uint32_t p) { return p == 0; }));
}

// Long runs: after every tick the window shows the background and the logo at its
// shown place, and the saved background holds no logo pixel.
class LongRun : public ::testing::TestWithParam<SceneRun> {};

TEST_P(LongRun, KeepsTheLogosInvariants) {
    const SceneRun run = GetParam();
    start(run);
    tick();
    std::int32_t lastDx = scene.logoDx, lastDy = scene.logoDy;
    for (int n = 2; n <= 1200; ++n) {
        tick();
        ASSERT_TRUE(regionMatches()) << "tick " << n;
        const bool reversal = scene.logoDx != lastDx || scene.logoDy != lastDy;
        if (reversal || n % 97 == 0) {
            ASSERT_TRUE(noTrail(!run.pictures)) << "tick " << n;
        }
        lastDx = scene.logoDx;
        lastDy = scene.logoDy;
        ASSERT_GE(scene.revealStep, 0);
        ASSERT_LE(scene.revealStep, 15);
    }
    EXPECT_EQ(fake.strayDrawing, 0);  // never drew on a surface that held nothing
}

INSTANTIATE_TEST_SUITE_P(
    Clients, LongRun,
    ::testing::Values(SceneRun{640, 480, 1, false, true}, SceneRun{640, 480, 1, true, true},
                      SceneRun{800, 600, 123456789, true, true}, SceneRun{1024, 768, 0xFFFFFFFF, true, true},
                      SceneRun{320, 240, 42, true, true}, SceneRun{152, 112, 5, true, true},
                      SceneRun{249, 147, 3, true, true}, SceneRun{237, 116, 11, false, true}),
    [](const ::testing::TestParamInfo<SceneRun>& info) {
        return std::to_string(info.param.width) + "x" + std::to_string(info.param.height) +
               (info.param.pictures ? "_pictures" : "_black");
    });

TEST(OddClients, NothingBreaksAndNothingIsDrawnOutside) {
    for (Size client : {Size{0, 0}, Size{1, 1}, Size{100, 50}, Size{152, 112}, Size{249, 480},
                        Size{640, 147}, Size{229, 109}}) {
        start({client.width, client.height, 2, true, true});
        ticks(340);  // through two changes of picture
        EXPECT_EQ(scene.tickCount, 340u - 2 * 14) << client.width << "x" << client.height;
        EXPECT_EQ(fake.screenPixels.width, client.width);
        EXPECT_EQ(fake.strayDrawing, 0);
    }
}

TEST(OddClients, APreviewNarrowerThanThePicturesPlacesThemInTheOverhang) {
    // 152 wide: screenWidth 153, a 250-wide picture's divisor is -97.
    for (std::uint32_t seed = 1; seed < 40; ++seed) {
        start({152, 112, seed, true, true});
        tick();
        const std::int32_t width = scene.pictureTable[scene.pictureIndex].width;
        ASSERT_GE(scene.pictureRect.left, 0);
        ASSERT_LT(scene.pictureRect.left, width - 153);
    }
}

}  // namespace
