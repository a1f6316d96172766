// Stand-ins for the catalog's images at their real sizes, with pixels a test can
// recognise: pictures never set the logo marker bit; the logo's opaque pixels do. And the
// scene started over them, for the scene tests and the scene fuzzer.
#pragma once

#include <cstdint>

#include "scene/scene.h"
#include "tests/native/fake_platform.h"

constexpr std::uint32_t logoMarker = 0x00800000;
constexpr std::uint32_t white = 0x00FFFFFF;
constexpr std::int32_t logoW = 230, logoH = 110;      // the logo and its mask
extern const Size catalogPictureSizes[pictureCount];  // by row of the scene's picture table

Pixels filled(std::int32_t width, std::int32_t height, std::uint32_t value);
std::uint32_t picturePixel(int row, std::int32_t x, std::int32_t y);
std::uint32_t logoPixel(std::int32_t x, std::int32_t y);
bool insideLogoShape(std::int32_t x, std::int32_t y);  // the mask's black ellipse
void provideCatalogImages();                           // made once, then copied

// A client size, clock and settings for the scene.
struct SceneRun {
    std::int32_t width, height;
    std::uint32_t seed;
    bool pictures, logo;
    const char* sound = "0";
};
// The scene's answer to a message (wParam 1), -1 when the host's handler has the message.
MessageResult toScene(std::uint32_t message);
// The scene created and its window erased on a fresh fake: with the catalog's images and
// window pixels of 0x654321, or sizes only (no pixels stored, every copy still clipped and
// counted) and without the image missingImage if one is named.
void startScene(const SceneRun& run, bool pixels = true, int missingImage = 0);
