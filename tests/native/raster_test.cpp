// The reference raster must behave as the display driver does, or the scene's
// pixel tests prove nothing: one-pixel copies per operation, and clipping.
#include <gtest/gtest.h>

#include "tests/native/fake_platform.h"
#include "tests/native/scene_images.h"

namespace {

class Raster : public ::testing::Test {
protected:
    void SetUp() override {
        resetFake();
        target = surfaceOf(filled(8, 8, canary), &targetBitmap);
        source = surfaceOf(filled(4, 4, 0), &sourceBitmap);
        for (std::int32_t y = 0; y < 4; ++y)
            for (std::int32_t x = 0; x < 4; ++x)
                fake.bitmaps[sourceBitmap].at(x, y) = 0x00010000u * (x + 1) + 0x100u * (y + 1);
    }
    Surface surfaceOf(const Pixels& pixels, Bitmap* bitmap) {
        const Surface surface = createSurface(nullptr);
        *bitmap = createBitmap(surface, pixels.width, pixels.height);
        fake.bitmaps[*bitmap] = pixels;
        selectBitmap(surface, *bitmap);
        return surface;
    }
    std::uint32_t at(std::int32_t x, std::int32_t y) { return fake.bitmaps[targetBitmap].at(x, y); }
    std::int32_t untouched() {
        std::int32_t count = 0;
        for (std::uint32_t p : fake.bitmaps[targetBitmap].data)
            count += p == canary;
        return count;
    }

    static constexpr std::uint32_t canary = 0x00C3A55A;
    Surface target, source;
    Bitmap targetBitmap, sourceBitmap;
};

TEST_F(Raster, OnePixelOfEachOperation) {
    const struct {
        RasterOp op;
        std::uint32_t before, source, after;
    } cases[] = {
        {RasterOp::copy, 0x00F0F0F0, 0x000F0F33, 0x000F0F33},
        {RasterOp::and_, 0x00F0F0F0, 0x00FF0F33, 0x00F00030},
        {RasterOp::or_, 0x00F0F0F0, 0x000F0F33, 0x00FFFFF3},
    };
    for (const auto& c : cases) {
        fake.bitmaps[targetBitmap].at(3, 3) = c.before;
        fake.bitmaps[sourceBitmap].at(1, 2) = c.source;
        blockCopy(target, 3, 3, 1, 1, source, 1, 2, c.op);
        EXPECT_EQ(at(3, 3), c.after);
        EXPECT_EQ(at(2, 3), canary);
        EXPECT_EQ(at(4, 3), canary);
    }
}

TEST_F(Raster, CopiesClipToTheDestination) {
    blockCopy(target, 6, -1, 4, 4, source, 0, 0, RasterOp::copy);
    // Only source rows 1..3 and columns 0..1 land, at (6..7, 0..2).
    EXPECT_EQ(at(6, 0), 0x00010200u);
    EXPECT_EQ(at(7, 2), 0x00020400u);
    EXPECT_EQ(untouched(), 64 - 6);
}

TEST_F(Raster, CopiesClipToTheSource) {
    blockCopy(target, 2, 2, 4, 4, source, 2, -1, RasterOp::copy);
    // Source columns 2..3 and rows 0..2 exist: they land at (2..3, 3..5).
    EXPECT_EQ(at(2, 3), 0x00030100u);
    EXPECT_EQ(at(3, 5), 0x00040300u);
    EXPECT_EQ(at(2, 2), canary);
    EXPECT_EQ(at(4, 3), canary);
    EXPECT_EQ(untouched(), 64 - 6);
}

TEST_F(Raster, CopiesEntirelyOutsideDoNothing) {
    blockCopy(target, 8, 0, 4, 4, source, 0, 0, RasterOp::copy);
    blockCopy(target, -4, 0, 4, 4, source, 0, 0, RasterOp::copy);
    blockCopy(target, 0, 0, 4, 4, source, 4, 0, RasterOp::copy);
    blockCopy(target, 0, 0, 4, 4, source, 0, -4, RasterOp::copy);
    blockCopy(target, 0, 0, 0, 4, source, 0, 0, RasterOp::copy);
    EXPECT_EQ(untouched(), 64);
}

TEST_F(Raster, FillsExactlyTheRectangleClipped) {
    fillBlack(target, {1, 2, 3, 5});
    EXPECT_EQ(at(1, 2), 0u);
    EXPECT_EQ(at(2, 4), 0u);
    EXPECT_EQ(untouched(), 64 - 6);
    fillBlack(target, {6, 6, 20, 20});
    EXPECT_EQ(untouched(), 64 - 6 - 4);
    fillBlack(target, {5, 5, 5, 9});  // empty
    EXPECT_EQ(untouched(), 64 - 6 - 4);
}

TEST_F(Raster, ASurfaceWithoutAnImageKeepsWhatItHadAndFreshOnesAreTiny) {
    EXPECT_EQ(selectBitmap(target, nullptr), nullptr);
    EXPECT_EQ(bitmapSize(fake.selected[target]).width, 8);
    const Surface fresh = createSurface(nullptr);
    EXPECT_EQ(bitmapSize(fake.selected[fresh]).width, 1);
}

}  // namespace
