// The scene's ticks over any client size, seed, settings and clock: every copy names
// surfaces that hold an image and has no negative extent, nothing divides by zero or
// overflows (the sanitizers), the reveal step stays within 0 to 15, the logo's velocity
// within 1 to 7 and the picture index within the table.
#include <cstdlib>
#include <cstring>

#include "scene/scene.h"
#include "tests/native/fake_platform.h"
#include "tests/native/scene_images.h"

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    struct {
        std::uint16_t width, height;
        std::uint32_t seed;
        std::uint8_t settings, ticks;
        std::uint32_t clock;
        std::uint8_t missing;  // drop one image to exercise failed loads
    } in = {};
    std::memcpy(&in, data, size < sizeof in ? size : sizeof in);
    const std::int32_t width = in.width % 4097, height = in.height % 4097;
    const int ticks = 2 + in.ticks % 200;

    // Sizes only, so a 4096 x 4096 client costs what a small one does; the unit tests check
    // the pixels.
    const int missing = in.missing & 0x80 ? in.missing & 1 ? ID_LOGO : pictureIds[in.missing % pictureCount] : 0;
    startScene({width, height, in.seed, (in.settings & 4) != 0, (in.settings & 2) != 0, in.settings & 1 ? "1" : "0"}, false, missing);
    toScene(WM_TIMER);
    scene.tickCount = in.clock;  // anywhere in the schedule, up to the wrap
    for (int i = 0; i < ticks; ++i) {
        toScene(WM_TIMER);
        require(scene.revealStep >= 0 && scene.revealStep <= 15);
        require(std::abs(scene.logoDx) >= 1 && std::abs(scene.logoDx) <= 7);
        require(std::abs(scene.logoDy) >= 1 && std::abs(scene.logoDy) <= 7);
        require(scene.pictureIndex >= 0 && scene.pictureIndex < pictureCount);
        require(fake.strayDrawing == 0);
        for (const CopyRecord& c : fake.copies)
            require(c.width >= 0 && c.height >= 0);
        fake.copies.clear();
    }
    return 0;
}
