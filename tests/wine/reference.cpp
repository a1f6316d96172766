// The scene on the reference raster, as the driver's "scene" subcommand runs it through
// GDI: reference ASSETS W H SEED DIR TICK... writes DIR/tick_N.ppm after each TICK.
// The images are the assets' 8-bit BMP files, each pixel its colour table's entry.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/host.h"
#include "scene/scene.h"
#include "tests/native/fake_platform.h"

namespace {

Pixels readBmp(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<unsigned char> d((std::istreambuf_iterator<char>(file)), {});
    const auto little = [&](std::size_t at) { return d.at(at) | d.at(at + 1) << 8 | d.at(at + 2) << 16 | std::uint32_t{d.at(at + 3)} << 24; };
    Pixels image;
    image.width = static_cast<std::int32_t>(little(18));
    image.height = static_cast<std::int32_t>(little(22));
    const std::size_t stride = (image.width + 3) / 4 * 4, bits = little(10);
    for (std::int32_t y = image.height - 1; y >= 0; --y)  // rows bottom-up
        for (std::int32_t x = 0; x < image.width; ++x)
            image.data.push_back(little(54 + 4 * d.at(bits + y * stride + x)) & 0xFFFFFF);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 7) {
        std::fputs("usage: reference ASSETS W H SEED DIR TICK...\n", stderr);
        return 2;
    }
    const std::string assets = argv[1];
    const int width = std::atoi(argv[2]), height = std::atoi(argv[3]);
    resetFake();
    fake.resources[ID_LOGO] = readBmp(assets + "/logo.bmp");
    fake.resources[ID_LOGO_MASK] = readBmp(assets + "/logo_mask.bmp");
    for (int id : pictureIds)
        fake.resources[id] = readBmp(assets + "/picture_" + std::to_string(id) + ".bmp");
    fake.seconds = static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10));
    fake.windows[fakeSaverWindow] = {0, 0, width, height};
    fake.screenPixels = {width, height, std::vector<std::uint32_t>(width * height, 0xFFFFFF)};
    hostWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
    hostWindowProcedure(fakeSaverWindow, WM_ERASEBKGND, 0, 0);
    for (int tick = 1, next = 6; next < argc; ++tick) {
        hostWindowProcedure(fakeSaverWindow, WM_TIMER, frameTimerId, 0);
        if (tick != std::atoi(argv[next]))
            continue;
        ++next;
        std::FILE* file = std::fopen((std::string(argv[5]) + "/tick_" + std::to_string(tick) + ".ppm").c_str(), "wb");
        if (!file)
            return 1;
        std::fprintf(file, "P6\n%d %d\n255\n", width, height);
        for (std::uint32_t pixel : fake.screenPixels.data)
            std::fputc(pixel >> 16, file), std::fputc(pixel >> 8 & 0xFF, file), std::fputc(pixel & 0xFF, file);
        std::fclose(file);
    }
    return 0;
}
