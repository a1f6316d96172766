// The scene: everything drawn in the saver window, driven by one timer.
#pragma once

#include <cstdint>

#include "assets/resource_ids.h"
#include "platform/platform.h"
#include "settings/settings.h"

// The scene's pseudo-random numbers: a 32-bit linear congruential state.
struct RandomSource {
    std::uint32_t state;
};
void seedRandom(RandomSource& random, std::uint32_t seed);
// The seed: a system file time as whole seconds since 1970-01-01 UTC, modulo 2^32.
constexpr std::uint64_t fileTimeUnitsPerSecond = 10000000;
constexpr std::uint64_t fileTimeOf1970 = 11644473600ull * fileTimeUnitsPerSecond;
std::uint32_t secondsSince1970(std::uint64_t fileTime);
std::int32_t drawRandom(RandomSource& random);  // 0 to 32767

// Where a random draw puts an image: draw mod divisor for a non-negative draw; a zero
// divisor (a client exactly one pixel narrower or lower than the image) places at 0.
std::int32_t placement(std::int32_t draw, std::int32_t divisor);

constexpr std::int32_t magnitude(std::int32_t value) {
    return value < 0 ? -value : value;
}

struct PictureEntry {
    Bitmap image;
    std::int32_t width, height;
};

constexpr int pictureCount = 24;
constexpr int pictureIds[pictureCount] = {ID_PICTURE_0,  ID_PICTURE_1,  ID_PICTURE_2,  ID_PICTURE_3,  ID_PICTURE_4,
                                          ID_PICTURE_5,  ID_PICTURE_6,  ID_PICTURE_7,  ID_PICTURE_8,  ID_PICTURE_9,
                                          ID_PICTURE_10, ID_PICTURE_11, ID_PICTURE_12, ID_PICTURE_13, ID_PICTURE_14,
                                          ID_PICTURE_15, ID_PICTURE_16, ID_PICTURE_17, ID_PICTURE_18, ID_PICTURE_19,
                                          ID_PICTURE_20, ID_PICTURE_21, ID_PICTURE_22, ID_PICTURE_23};

constexpr std::uintptr_t frameTimerId = 1;
constexpr std::uint32_t framePeriod = 5;  // milliseconds
// Counted in tickCount, so a picture changes every 164 timer messages (150 and the 14
// further steps of its reveal).
constexpr std::uint32_t revealInterval = 150;
constexpr std::int32_t revealSteps = 15;
constexpr std::uint32_t soundInterval = 310;  // in tickCount

struct SceneState {
    SceneSettings settings;
    std::uint32_t firstErase;
    std::uintptr_t timerId;
    Bitmap logoBitmap;
    std::int32_t logoWidth, logoHeight;
    Bitmap maskBitmap;
    PictureEntry pictureTable[pictureCount];
    Rect clientRect;
    std::int32_t screenWidth, screenHeight;  // one more than the client's width and height
    std::int32_t logoX, logoY;
    std::int32_t logoDx, logoDy;
    Surface logoImage, logoMask, composeSurface, scratchSurface, underLogo, pictureSource, revealSurface;
    Bitmap composeBuffer, scratchBuffer, underLogoBuffer;
    std::int32_t pictureIndex;
    Rect pictureRect;
    std::int32_t revealStep;
    Bitmap revealBuffer;
    Bitmap revealSurfaceOriginal;  // what revealSurface held before its first buffer
    std::uint32_t tickCount;       // timer messages drawn, a whole reveal of 15 counting as one
    RandomSource random;
    Surface window;  // the window's drawing context while a message draws
};

extern SceneState scene;

// The scene's part of the saver window's procedure. Returns true when the scene
// answered the message alone (the answer is in *result); otherwise the host's
// default handling comes next.
bool sceneWindowProcedure(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam,
                          MessageResult* result);

// Scene lifecycle and clock.
void createScene(WindowHandle window);
void setupScene();
void advanceScene();
void playSoundCue();
// The clock stopped and started again: the timer goes and comes back, the schedules
// go on from the tick where they stood.
void stopSceneClock(WindowHandle window);
void startSceneClock(WindowHandle window);

// Bouncing logo. Its region, the logo and one step of its movement each way it goes,
// is the unit in which it is saved, moved and redrawn; the size never changes after the
// set-up, since the velocities only ever change sign.
Size logoRegionSize();
void bounceLogo();
void moveLogo();

// Picture reveal.
void showInitialPicture();
void pictureStep();

// The reveal geometry of step k (1 to 15) for a picture of the given size.
struct RevealFrame {
    std::int32_t width, height;     // the visible part
    std::int32_t offsetX, offsetY;  // where it begins inside the picture
};
RevealFrame revealFrame(std::int32_t pictureWidth, std::int32_t pictureHeight, std::int32_t step);
