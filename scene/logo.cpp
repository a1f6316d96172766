// The bouncing logo: the bounce test and the move that redraws the logo's region.
#include "scene/scene.h"

namespace {

void layLogo(Surface target, std::int32_t x, std::int32_t y) {
    blockCopy(target, x, y, scene.logoWidth, scene.logoHeight, scene.logoMask, 0, 0, RasterOp::and_);
    blockCopy(target, x, y, scene.logoWidth, scene.logoHeight, scene.logoImage, 0, 0, RasterOp::or_);
}

}  // namespace

Size logoRegionSize() {
    return {scene.logoWidth + magnitude(scene.logoDx), scene.logoHeight + magnitude(scene.logoDy)};
}

void bounceLogo() {
    const Rect& client = scene.clientRect;
    // One step ahead: the logo turns back from where it is, not from the edge.
    const std::int32_t nextX = scene.logoX + scene.logoDx;
    if (nextX > client.right - scene.logoWidth || nextX < client.left)
        scene.logoDx = -scene.logoDx;
    const std::int32_t nextY = scene.logoY + scene.logoDy;
    if (nextY > client.bottom - scene.logoHeight || nextY < client.top)
        scene.logoDy = -scene.logoDy;
}

void moveLogo() {
    const std::int32_t dx = scene.logoDx;
    const std::int32_t dy = scene.logoDy;
    const std::int32_t ax = magnitude(dx);
    const std::int32_t ay = magnitude(dy);
    const Size region = logoRegionSize();

    scene.logoX += dx;
    scene.logoY += dy;

    // The old background, then the window under the new region; the part of the
    // capture that still shows last tick's logo is repaired from the old background.
    blockCopy(scene.scratchSurface, 0, 0, region.width, region.height, scene.underLogo, 0, 0, RasterOp::copy);
    blockCopy(scene.underLogo, 0, 0, region.width, region.height, scene.window, scene.logoX, scene.logoY,
              RasterOp::copy);
    const std::int32_t ox = dx < 0 ? ax : 0;
    const std::int32_t oy = dy < 0 ? ay : 0;
    blockCopy(scene.underLogo, ox, oy, scene.logoWidth, scene.logoHeight, scene.scratchSurface, ax - ox, ay - oy,
              RasterOp::copy);

    // One copy to the window removes the old logo and shows the new one.
    blockCopy(scene.composeSurface, 0, 0, region.width, region.height, scene.scratchSurface, 0, 0, RasterOp::copy);
    layLogo(scene.composeSurface, ax - ox, ay - oy);
    blockCopy(scene.window, scene.logoX - dx, scene.logoY - dy, region.width, region.height, scene.composeSurface, 0, 0,
              RasterOp::copy);
}
