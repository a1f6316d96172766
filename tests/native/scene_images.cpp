#include "tests/native/scene_images.h"

#include <map>
#include <utility>
#include <vector>

#include "scene/scene.h"

const Size catalogPictureSizes[24] = {
    {250, 148}, {250, 140}, {250, 210}, {300, 199}, {250, 152}, {250, 188}, {250, 160}, {250, 168},
    {250, 140}, {250, 168}, {250, 148}, {332, 282}, {250, 139}, {250, 151}, {250, 165}, {250, 172},
    {250, 171}, {250, 170}, {250, 190}, {400, 358}, {250, 171}, {240, 366}, {300, 204}, {340, 241}};

Pixels filled(std::int32_t width, std::int32_t height, std::uint32_t value) {
    Pixels p;
    p.width = width;
    p.height = height;
    p.data.assign(static_cast<std::size_t>(width) * height, value);
    return p;
}

std::uint32_t picturePixel(int row, std::int32_t x, std::int32_t y) {
    return static_cast<std::uint32_t>(row + 1) << 16 | static_cast<std::uint32_t>(x & 0xFF) << 8 |
           static_cast<std::uint32_t>(y & 0xFF);
}

bool insideLogoShape(std::int32_t x, std::int32_t y) {
    static const std::vector<bool> shape = [] {
        std::vector<bool> inside(230 * 110);
        for (int j = 0; j < 110; ++j)
            for (int i = 0; i < 230; ++i) {
                const double dx = (i + 0.5 - 115.0) / 113.0;
                const double dy = (j + 0.5 - 55.0) / 53.0;
                inside[j * 230 + i] = dx * dx + dy * dy <= 1.0;
            }
        return inside;
    }();
    return x >= 0 && y >= 0 && x < 230 && y < 110 && shape[y * 230 + x];
}

void provideCatalogImages() {
    static const std::map<int, Pixels> images = [] {
        std::map<int, Pixels> made;
        std::swap(made, fake.resources);
        makeCatalogImages();
        std::swap(made, fake.resources);
        return made;
    }();
    fake.resources = images;
}

std::map<int, Pixels> catalogImageSizes() {
    std::map<int, Pixels> sizes = {{logoImageId, {230, 110, {}}}, {logoMaskId, {230, 110, {}}}};
    for (int row = 0; row < pictureCount; ++row)
        sizes[pictureIds[row]] = {catalogPictureSizes[row].width, catalogPictureSizes[row].height, {}};
    return sizes;
}

void makeCatalogImages() {
    Pixels logo = filled(230, 110, 0);
    Pixels mask = filled(230, 110, white);
    for (std::int32_t y = 0; y < 110; ++y)
        for (std::int32_t x = 0; x < 230; ++x)
            if (insideLogoShape(x, y)) {
                logo.at(x, y) = logoMarker | static_cast<std::uint32_t>(x * 110 + y);
                mask.at(x, y) = 0;
            }
    fake.resources[logoImageId] = logo;
    fake.resources[logoMaskId] = mask;
    for (int row = 0; row < pictureCount; ++row) {
        const Size size = catalogPictureSizes[row];
        Pixels picture = filled(size.width, size.height, 0);
        for (std::int32_t y = 0; y < size.height; ++y)
            for (std::int32_t x = 0; x < size.width; ++x)
                picture.at(x, y) = picturePixel(row, x, y);
        fake.resources[pictureIds[row]] = picture;
    }
}
