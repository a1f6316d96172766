// Stand-ins for the catalog's images in the native tests: their real sizes, pixels a test can
// recognise; the scene started over them.
#include "tests/native/scene_images.h"

#include <vector>

const Size catalogPictureSizes[pictureCount] = {
    // tools/asset_catalog.py's, written by the build
#include "catalog_pictures.inc"
};

Pixels filled(std::int32_t width, std::int32_t height, std::uint32_t value) {
    return {width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * height, value)};
}

std::uint32_t picturePixel(int row, std::int32_t x, std::int32_t y) {
    return static_cast<std::uint32_t>(row + 1) << 16 | static_cast<std::uint32_t>(x & 0xFF) << 8 | static_cast<std::uint32_t>(y & 0xFF);
}

std::uint32_t logoPixel(std::int32_t x, std::int32_t y) { return logoMarker | static_cast<std::uint32_t>(x * logoH + y); }

namespace {

std::vector<std::uint8_t> ellipse() {
    std::vector<std::uint8_t> inside(logoW * logoH);
    for (int j = 0; j < logoH; ++j)
        for (int i = 0; i < logoW; ++i) {
            const double dx = (i + 0.5 - 115.0) / 113.0, dy = (j + 0.5 - 55.0) / 53.0;
            inside[j * logoW + i] = dx * dx + dy * dy <= 1.0;
        }
    return inside;
}

const std::vector<std::uint8_t> logoShape = ellipse();

}  // namespace

bool insideLogoShape(std::int32_t x, std::int32_t y) { return x >= 0 && y >= 0 && x < logoW && y < logoH && logoShape[y * logoW + x] != 0; }

void provideCatalogImages() {
    static const std::map<int, Pixels> images = [] {
        std::map<int, Pixels> made = {{ID_LOGO, filled(logoW, logoH, 0)}, {ID_LOGO_MASK, filled(logoW, logoH, white)}};
        for (std::int32_t y = 0; y < logoH; ++y)
            for (std::int32_t x = 0; x < logoW; ++x)
                if (insideLogoShape(x, y)) {
                    made[ID_LOGO].at(x, y) = logoPixel(x, y);
                    made[ID_LOGO_MASK].at(x, y) = 0;
                }
        for (int row = 0; row < pictureCount; ++row) {
            Pixels& picture = made[pictureIds[row]] = filled(catalogPictureSizes[row].width, catalogPictureSizes[row].height, 0);
            for (std::int32_t y = 0; y < picture.height; ++y)
                for (std::int32_t x = 0; x < picture.width; ++x)
                    picture.at(x, y) = picturePixel(row, x, y);
        }
        return made;
    }();
    fake.resources = images;
}

MessageResult toScene(std::uint32_t message) {
    MessageResult result = -1;
    return sceneWindowProcedure(fakeSaverWindow, message, 1, 0, &result) ? result : -1;
}

void startScene(const SceneRun& run, bool pixels, int missingImage) {
    resetFake();
    fake.storePixels = pixels;
    if (pixels) {
        provideCatalogImages();
    } else {
        fake.resources = {{ID_LOGO, {logoW, logoH, {}}}, {ID_LOGO_MASK, {logoW, logoH, {}}}};
        for (int row = 0; row < pictureCount; ++row)
            fake.resources[pictureIds[row]] = {catalogPictureSizes[row].width, catalogPictureSizes[row].height, {}};
    }
    fake.resources.erase(missingImage);
    fake.seconds = run.seed;
    fake.profile = {{"pics", run.pictures ? "1" : "0"}, {"logo", run.logo ? "1" : "0"}, {"sound", run.sound}};
    fake.windows[fakeSaverWindow] = {0, 0, run.width, run.height};
    fake.screenPixels = pixels ? filled(run.width, run.height, 0x00654321) : Pixels{run.width, run.height, {}};
    toScene(WM_CREATE);
    toScene(WM_ERASEBKGND);
}
