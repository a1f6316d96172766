// Stand-ins for the catalog's images at their real sizes, with pixels a test can
// recognise: pictures never set the logo marker bit; the logo's opaque pixels do.
#pragma once

#include <cstdint>
#include <map>

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
std::map<int, Pixels> catalogImageSizes();             // the same images without pixels
