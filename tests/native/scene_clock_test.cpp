#include <gtest/gtest.h>

#include <vector>

#include "host/messages.h"
#include "scene/scene.h"
#include "tests/native/fake_platform.h"
#include "tests/native/scene_images.h"

namespace {

class Scene : public ::testing::Test {
protected:
    void SetUp() override { resetFake(); }

    void start(std::int32_t width, std::int32_t height, std::uint32_t seed = 1) {
        fake.seconds = seed;
        fake.windows[fakeSaverWindow] = {0, 0, width, height};
        fake.screenPixels = filled(width, height, 0x00ABCDEF);
        sceneWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
    }
    void tick() { sceneWindowProcedure(fakeSaverWindow, WM_TIMER, frameTimerId, 0); }
};

TEST(RandomSource, SeedOneGivesTheKnownSequence) {
    RandomSource random;
    seedRandom(random, 1);
    std::vector<std::int32_t> draws;
    for (int i = 0; i < 7; ++i)
        draws.push_back(drawRandom(random));
    EXPECT_EQ(draws, (std::vector<std::int32_t>{41, 18467, 6334, 26500, 19169, 15724, 11478}));
}

TEST(RandomSource, StaysInFifteenBitsAcrossTheWrap) {
    RandomSource random;
    seedRandom(random, 0xFFFFFFFFu);
    for (int i = 0; i < 100000; ++i) {
        const std::int32_t draw = drawRandom(random);
        ASSERT_GE(draw, 0);
        ASSERT_LE(draw, 32767);
    }
}

TEST(Placement, TakesTheRemainderOfANonNegativeDraw) {
    EXPECT_EQ(placement(18467, 481 - 110), 288);
    EXPECT_EQ(placement(100, -97), 3);   // a negative divisor still gives 0 .. |d| - 1
    EXPECT_EQ(placement(96, -97), 96);
    EXPECT_EQ(placement(32767, 0), 0);   // a client one pixel narrower than the image
}

TEST_F(Scene, CreateReadsTheSettingsBeforeLoadingAndStartsTheTimer) {
    fake.profile["pics"] = "0";
    fake.profile["sound"] = "2";
    start(640, 480);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{
                              "readProfileInt(VARNO, Sound, 0, VARNO.INI)",
                              "readProfileInt(VARNO, Logo, 1, VARNO.INI)",
                              "readProfileInt(VARNO, Pics, 1, VARNO.INI)", "startTimer(1, 5)",
                              "defaultProcedure(0x1)"}));
    EXPECT_EQ(scene.settings.soundEnabled, 2u);  // kept as read: any non-zero value is on
    EXPECT_EQ(scene.settings.logoEnabled, 1u);
    EXPECT_EQ(scene.settings.picturesEnabled, 0u);
    EXPECT_EQ(scene.timerId, frameTimerId);
    EXPECT_EQ(scene.tickCount, 0u);
    EXPECT_EQ(scene.firstErase, 1u);
}

TEST_F(Scene, MissingImagesLeaveEmptyHandlesAndZeroSizes) {
    fake.resources[pictureIds[3]] = filled(300, 199, 1);
    start(640, 480);
    EXPECT_EQ(scene.logoBitmap, nullptr);
    EXPECT_EQ(scene.logoWidth, 0);
    EXPECT_EQ(scene.pictureTable[0].width, 0);
    EXPECT_EQ(scene.pictureTable[3].width, 300);
    EXPECT_EQ(scene.pictureTable[3].height, 199);
    for (int i = 0; i < 400; ++i)
        tick();  // and the scene runs on, through two changes of picture
    EXPECT_EQ(scene.tickCount, 400u - 2 * 14);
}

TEST_F(Scene, FirstTickPlacesLogoAndPictureFromTheSeed) {
    const struct {
        std::int32_t width, height;
        std::int32_t logoX, logoY, pictureLeft, pictureTop;
    } cases[] = {{640, 480, 41, 288, 84, 156}, {800, 600, 41, 300, 296, 153}};
    for (const auto& c : cases) {
        resetFake();
        provideCatalogImages();
        start(c.width, c.height);
        tick();
        SCOPED_TRACE(c.width);
        EXPECT_EQ(scene.screenWidth, c.width + 1);
        EXPECT_EQ(scene.screenHeight, c.height + 1);
        EXPECT_EQ(scene.logoX, c.logoX);
        EXPECT_EQ(scene.logoY, c.logoY);
        EXPECT_EQ(scene.logoDx, 7);
        EXPECT_EQ(scene.logoDy, 6);
        EXPECT_EQ(bitmapSize(scene.underLogoBuffer).width, 237);
        EXPECT_EQ(bitmapSize(scene.underLogoBuffer).height, 116);
        EXPECT_EQ(scene.pictureIndex, 10);
        EXPECT_EQ(scene.pictureRect.left, c.pictureLeft);
        EXPECT_EQ(scene.pictureRect.top, c.pictureTop);
        EXPECT_EQ(scene.pictureRect.right, c.pictureLeft + 250);
        EXPECT_EQ(scene.pictureRect.bottom, c.pictureTop + 148);
        EXPECT_EQ(scene.tickCount, 1u);
        EXPECT_NE(scene.logoImage, nullptr);
    }
}

TEST_F(Scene, TheFirstTickSavesThePictureUnderTheLogosStart) {
    provideCatalogImages();
    start(640, 480);
    tick();
    // The region at (41, 288) overlaps picture 10 at (84, 156)-(334, 304).
    const Pixels& under = fake.bitmaps[scene.underLogoBuffer];
    EXPECT_EQ(under.at(84 - 41, 0), picturePixel(10, 0, 288 - 156));
    EXPECT_EQ(under.at(0, 0), 0x00ABCDEFu);  // left of the picture: the window as it was
}

TEST_F(Scene, AZeroDivisorStartsTheLogoAtZero) {
    provideCatalogImages();
    start(229, 109);  // width + 1 and height + 1 equal the logo's size
    tick();
    EXPECT_EQ(scene.logoX, 0);
    EXPECT_EQ(scene.logoY, 0);
}

TEST_F(Scene, ALogoWiderAndTallerThanTheClientRocksBetweenTwoPlaces) {
    provideCatalogImages();
    start(100, 50);
    tick();
    EXPECT_EQ(scene.logoX, 41 % (101 - 230));
    std::vector<std::int32_t> xs, ys;
    for (int i = 0; i < 8; ++i) {
        tick();
        xs.push_back(scene.logoX);
        ys.push_back(scene.logoY);
    }
    for (int i = 2; i < 8; ++i) {
        EXPECT_EQ(xs[i], xs[i - 2]);
        EXPECT_EQ(ys[i], ys[i - 2]);
    }
    EXPECT_EQ(std::abs(xs[1] - xs[0]), 7);
    EXPECT_EQ(std::abs(ys[1] - ys[0]), 6);
}

TEST_F(Scene, EverySizeOfClientSurvivesTheFirstTicks) {
    provideCatalogImages();
    for (Size client : {Size{0, 0}, Size{1, 1}, Size{152, 112}, Size{249, 480}, Size{640, 1}}) {
        resetFake();
        provideCatalogImages();
        start(client.width, client.height);
        for (int i = 0; i < 3; ++i)
            tick();
        EXPECT_EQ(scene.tickCount, 3u) << client.width << "x" << client.height;
    }
}

TEST_F(Scene, OnlyTheFirstEraseBlackensTheWindow) {
    start(64, 48);
    EXPECT_EQ(sceneWindowProcedure(fakeSaverWindow, WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(fake.screenPixels.at(10, 10), 0u);
    EXPECT_EQ(fake.screenPixels.at(63, 47), 0u);
    EXPECT_EQ(scene.firstErase, 0u);
    fake.screenPixels.at(10, 10) = 0x123456;
    fake.calls.clear();
    EXPECT_EQ(sceneWindowProcedure(fakeSaverWindow, WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(fake.screenPixels.at(10, 10), 0x123456u);
    EXPECT_TRUE(fake.calls.empty());  // answered by the scene alone
}

TEST_F(Scene, WithoutATimerDestroyStopsNothing) {
    fake.timerStarts = false;
    start(64, 48);
    fake.calls.clear();
    sceneWindowProcedure(fakeSaverWindow, WM_DESTROY, 0, 0);
    EXPECT_EQ(fake.calls, std::vector<std::string>{"defaultProcedure(0x2)"});
}

// Runs ticks and returns the ticks (counted from 1) on which the sound cue played.
std::vector<int> soundTicks(const char* pictures, int ticks) {
    resetFake();
    fake.profile["sound"] = "1";
    fake.profile["pics"] = pictures;
    fake.windows[fakeSaverWindow] = {0, 0, 640, 480};
    fake.screenPixels = filled(640, 480, 0);
    sceneWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
    std::vector<int> played;
    for (int t = 1; t <= ticks; ++t) {
        fake.calls.clear();
        sceneWindowProcedure(fakeSaverWindow, WM_TIMER, frameTimerId, 0);
        for (const std::string& call : fake.calls)
            if (call == "playSound(137, 270341)")
                played.push_back(t);
    }
    return played;
}

TEST(SceneClock, WithPicturesOffTheCountIsTheTickAndSoundFallsEvery310) {
    EXPECT_EQ(soundTicks("0", 950), (std::vector<int>{310, 620, 930}));
    EXPECT_EQ(scene.tickCount, 950u);
}

TEST(SceneClock, RevealsHoldTheCountAndDelayTheSound) {
    const std::vector<int> played = soundTicks("1", 700);
    ASSERT_FALSE(played.empty());
    EXPECT_EQ(played.front(), 338);

    resetFake();
    fake.windows[fakeSaverWindow] = {0, 0, 640, 480};
    fake.screenPixels = filled(640, 480, 0);
    sceneWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
    std::vector<int> revealTicks;
    for (int t = 1; t <= 500; ++t) {
        const int stepBefore = scene.revealStep;
        sceneWindowProcedure(fakeSaverWindow, WM_TIMER, frameTimerId, 0);
        if (scene.revealStep == stepBefore + 1 || (stepBefore == 14 && scene.revealStep == 0))
            revealTicks.push_back(t);
    }
    std::vector<int> expected;
    for (int start : {151, 315, 479})  // one cycle is 164 ticks: 15 of reveal, 149 of rest
        for (int t = start; t < start + 15 && t <= 500; ++t)
            expected.push_back(t);
    EXPECT_EQ(revealTicks, expected);
}

TEST(SceneClock, TheCueRepeatsThroughARevealHeldAtAMultipleOf310) {
    const std::vector<int> played = soundTicks("1", 5200);
    // tickCount reaches 4650 on the tick before reveal 31 and stays there through step 14.
    const int revealStart = 151 + 164 * 30;
    std::vector<int> expected;
    for (int t = revealStart - 1; t < revealStart + 14; ++t)
        expected.push_back(t);
    ASSERT_GE(played.size(), 16u);
    EXPECT_EQ(std::vector<int>(played.end() - 15, played.end()), expected);
    EXPECT_LT(played[played.size() - 16], revealStart - 100);
}

}  // namespace
