// The pictures: the first one shown whole, then each next one revealed from its centre out.
#include "scene/scene.h"

namespace {

Rect logoRegion() {
    const Size size = logoRegionSize();
    return {scene.logoX, scene.logoY, scene.logoX + size.width, scene.logoY + size.height};
}

void selectPicture(int row) {
    scene.pictureIndex = row;
    selectBitmap(scene.pictureSource, scene.pictureTable[row].image);
}

// A picture wider (or taller) than the client may start anywhere its overhang allows.
void placeCurrentPicture() {
    const PictureEntry& picture = scene.pictureTable[scene.pictureIndex];
    scene.pictureRect.left = placement(drawRandom(scene.random), scene.screenWidth - picture.width);
    scene.pictureRect.right = scene.pictureRect.left + picture.width;
    scene.pictureRect.top = placement(drawRandom(scene.random), scene.screenHeight - picture.height);
    scene.pictureRect.bottom = scene.pictureRect.top + picture.height;
}

void changePicture() {
    if (scene.revealBuffer != nullptr) {
        selectBitmap(scene.revealSurface, scene.revealSurfaceOriginal);
        deleteBitmap(scene.revealBuffer);
        scene.revealBuffer = nullptr;
    }
    const Size region = logoRegionSize();
    // Take the logo off, blacken the old picture, save the clean background again.
    blockCopy(scene.window, scene.logoX, scene.logoY, region.width, region.height, scene.underLogo, 0, 0,
              RasterOp::copy);
    fillBlack(scene.window, scene.pictureRect);
    blockCopy(scene.underLogo, 0, 0, region.width, region.height, scene.window, scene.logoX, scene.logoY,
              RasterOp::copy);

    selectPicture(drawRandom(scene.random) % pictureCount);
    const PictureEntry& picture = scene.pictureTable[scene.pictureIndex];
    scene.revealBuffer = createBitmap(scene.window, picture.width, picture.height);
    const Bitmap previous = selectBitmap(scene.revealSurface, scene.revealBuffer);
    if (scene.revealSurfaceOriginal == nullptr)
        scene.revealSurfaceOriginal = previous;
    placeCurrentPicture();
}

// Keeps the logo's saved background in step with newly shown picture pixels and
// lays the logo over them in the reveal surface.
void overlapWork(const Rect& overlap, const Rect& revealRect, const RevealFrame& frame) {
    const std::int32_t x0 = overlap.left - scene.logoX;
    const std::int32_t y0 = overlap.top - scene.logoY;
    const std::int32_t x1 = overlap.left - revealRect.left + frame.offsetX;
    const std::int32_t y1 = overlap.top - revealRect.top + frame.offsetY;
    // One column and one row more than the overlap itself, as the scene always drew it.
    const std::int32_t copyWidth = overlap.right - overlap.left + 1;
    const std::int32_t copyHeight = overlap.bottom - overlap.top + 1;
    const Size region = logoRegionSize();

    blockCopy(scene.underLogo, x0, y0, copyWidth, copyHeight, scene.pictureSource, x1, y1, RasterOp::copy);
    blockCopy(scene.composeSurface, 0, 0, region.width, region.height, scene.underLogo, 0, 0, RasterOp::copy);
    blockCopy(scene.composeSurface, 0, 0, scene.logoWidth, scene.logoHeight, scene.logoMask, 0, 0, RasterOp::and_);
    blockCopy(scene.composeSurface, 0, 0, scene.logoWidth, scene.logoHeight, scene.logoImage, 0, 0, RasterOp::or_);
    blockCopy(scene.revealSurface, x1, y1, copyWidth, copyHeight, scene.composeSurface, x0, y0, RasterOp::copy);
}

}  // namespace

RevealFrame revealFrame(std::int32_t pictureWidth, std::int32_t pictureHeight, std::int32_t step) {
    RevealFrame frame;
    frame.width = pictureWidth * step / revealSteps;
    frame.height = pictureHeight * step / revealSteps;
    frame.offsetX = (pictureWidth - frame.width) / 2;
    frame.offsetY = (pictureHeight - frame.height) / 2;
    return frame;
}

void showInitialPicture() {
    // Row 23 is never the first picture.
    selectPicture(drawRandom(scene.random) % (pictureCount - 1));
    placeCurrentPicture();
    if (scene.settings.picturesEnabled) {
        const PictureEntry& picture = scene.pictureTable[scene.pictureIndex];
        blockCopy(scene.window, scene.pictureRect.left, scene.pictureRect.top, picture.width, picture.height,
                  scene.pictureSource, 0, 0, RasterOp::copy);
    }
}

void pictureStep() {
    if (scene.revealStep == 0)
        changePicture();

    const std::int32_t step = ++scene.revealStep;
    const PictureEntry& picture = scene.pictureTable[scene.pictureIndex];
    const RevealFrame frame = revealFrame(picture.width, picture.height, step);
    const Rect revealRect = {scene.pictureRect.left + frame.offsetX, scene.pictureRect.top + frame.offsetY,
                             scene.pictureRect.left + frame.offsetX + frame.width,
                             scene.pictureRect.top + frame.offsetY + frame.height};
    const Rect region = logoRegion();
    const Rect overlap = {revealRect.left > region.left ? revealRect.left : region.left,
                          revealRect.top > region.top ? revealRect.top : region.top,
                          revealRect.right < region.right ? revealRect.right : region.right,
                          revealRect.bottom < region.bottom ? revealRect.bottom : region.bottom};

    blockCopy(scene.revealSurface, 0, 0, picture.width, picture.height, scene.pictureSource, 0, 0, RasterOp::copy);
    if (overlap.left < overlap.right && overlap.top < overlap.bottom && scene.settings.logoEnabled)
        overlapWork(overlap, revealRect, frame);
    blockCopy(scene.window, revealRect.left, revealRect.top, frame.width, frame.height, scene.revealSurface,
              frame.offsetX, frame.offsetY, RasterOp::copy);

    if (step == revealSteps) {
        scene.revealStep = 0;
        ++scene.tickCount;
    }
}
