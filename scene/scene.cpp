// The scene's lifecycle and clock: creation, the first tick's set-up, each later tick, a new size.
#include "scene/scene.h"

#include "platform/messages.h"

SceneState scene;

namespace {

Surface newSurfaceWithBuffer(std::int32_t width, std::int32_t height, Bitmap* buffer) {
    const Surface surface = createSurface(scene.window);
    *buffer = createBitmap(scene.window, width, height);
    selectBitmap(surface, *buffer);
    return surface;
}

void eraseOnce(WindowHandle window) {
    if (!scene.firstErase)
        return;
    scene.window = windowSurface(window);
    scene.clientRect = clientRect(window);
    fillBlack(scene.window, scene.clientRect);
    releaseWindowSurface(window, scene.window);
    scene.firstErase = 0;
}

// A new client size: the surfaces go, the window turns black and the next tick sets
// the scene up again as the first one did. Before that first tick there is nothing to do.
void restartScene(WindowHandle window) {
    const Rect client = clientRect(window);
    const Rect& old = scene.clientRect;
    if (scene.logoImage == nullptr ||
        (client.right - client.left == old.right - old.left && client.bottom - client.top == old.bottom - old.top))
        return;
    Surface* const surfaces[] = {&scene.logoImage, &scene.logoMask,      &scene.composeSurface, &scene.scratchSurface,
                                 &scene.underLogo, &scene.pictureSource, &scene.revealSurface};
    for (Surface* surface : surfaces) {
        deleteSurface(*surface);
        *surface = nullptr;
    }
    Bitmap* const buffers[] = {&scene.composeBuffer, &scene.scratchBuffer, &scene.underLogoBuffer, &scene.revealBuffer};
    for (Bitmap* buffer : buffers) {
        deleteBitmap(*buffer);
        *buffer = nullptr;
    }
    scene.revealSurfaceOriginal = nullptr;
    scene.revealStep = 0;
    scene.window = windowSurface(window);
    scene.clientRect = client;
    fillBlack(scene.window, client);
    releaseWindowSurface(window, scene.window);
}

void drawFrame(WindowHandle window) {
    scene.window = windowSurface(window);
    scene.clientRect = clientRect(window);
    if (scene.logoImage == nullptr)
        setupScene();
    else
        advanceScene();
    releaseWindowSurface(window, scene.window);
}

}  // namespace

bool sceneWindowProcedure(WindowHandle window, std::uint32_t message, WParam, LParam, MessageResult* result) {
    switch (message) {
    case WM_CREATE:
        createScene(window);
        break;
    case WM_ERASEBKGND:
        eraseOnce(window);
        *result = 1;  // later erases leave the pixels alone
        return true;
    case WM_DESTROY:
        stopSceneClock(window);
        break;
    case WM_TIMER:
        drawFrame(window);
        break;
    case WM_SIZE:
        restartScene(window);
        break;
    default:
        break;
    }
    return false;
}

void createScene(WindowHandle window) {
    scene.settings = readSceneSettings();
    scene.logoX = scene.logoY = 0;
    scene.logoImage = scene.logoMask = scene.composeSurface = scene.scratchSurface = nullptr;
    scene.underLogo = scene.pictureSource = scene.revealSurface = nullptr;
    scene.firstErase = 1;
    scene.revealStep = 0;
    scene.revealBuffer = nullptr;

    const ModuleHandle module = ownModule();
    scene.logoBitmap = loadBitmap(module, ID_LOGO);
    const Size logoSize = bitmapSize(scene.logoBitmap);
    scene.logoWidth = logoSize.width;
    scene.logoHeight = logoSize.height;
    scene.maskBitmap = loadBitmap(module, ID_LOGO_MASK);
    for (int row = 0; row < pictureCount; ++row) {
        PictureEntry& entry = scene.pictureTable[row];
        entry.image = loadBitmap(module, pictureIds[row]);
        const Size size = bitmapSize(entry.image);
        entry.width = size.width;
        entry.height = size.height;
    }
    scene.timerId = 0;
    startSceneClock(window);
    scene.tickCount = 0;
}

void stopSceneClock(WindowHandle window) {
    if (scene.timerId != 0)
        stopTimer(window, scene.timerId);
    scene.timerId = 0;
}

void startSceneClock(WindowHandle window) {
    if (scene.timerId == 0)
        scene.timerId = startTimer(window, frameTimerId, framePeriod);
}

std::int32_t placement(std::int32_t draw, std::int32_t divisor) {
    return divisor == 0 ? 0 : draw % divisor;
}

void setupScene() {
    const Rect& client = scene.clientRect;
    scene.logoImage = createSurface(scene.window);
    selectBitmap(scene.logoImage, scene.logoBitmap);
    scene.screenWidth = client.right - client.left + 1;
    scene.screenHeight = client.bottom - client.top + 1;

    seedRandom(scene.random, secondsSince1970(systemFileTime()));
    scene.logoX = placement(drawRandom(scene.random), scene.screenWidth - scene.logoWidth) + client.left;
    scene.logoY = placement(drawRandom(scene.random), scene.screenHeight - scene.logoHeight) + client.top;
    scene.logoDx = drawRandom(scene.random) % 7 + 1;
    scene.logoDy = drawRandom(scene.random) % 7 + 1;

    const Size region = logoRegionSize();
    scene.composeSurface = newSurfaceWithBuffer(region.width, region.height, &scene.composeBuffer);
    scene.logoMask = createSurface(scene.window);
    selectBitmap(scene.logoMask, scene.maskBitmap);
    scene.scratchSurface = newSurfaceWithBuffer(region.width, region.height, &scene.scratchBuffer);
    scene.pictureSource = createSurface(scene.window);
    showInitialPicture();
    scene.tickCount = 1;
    scene.underLogo = newSurfaceWithBuffer(region.width, region.height, &scene.underLogoBuffer);
    scene.revealSurface = createSurface(scene.window);

    // After the initial picture, so a picture under the start is part of the background.
    blockCopy(scene.underLogo, 0, 0, region.width, region.height, scene.window, scene.logoX, scene.logoY,
              RasterOp::copy);
}

void advanceScene() {
    bounceLogo();
    if (scene.tickCount % revealInterval == 0 && scene.settings.picturesEnabled)
        pictureStep();
    else
        ++scene.tickCount;
    playSoundCue();
    if (scene.settings.logoEnabled)
        moveLogo();
}

void playSoundCue() {
    if (scene.settings.soundEnabled && scene.tickCount % soundInterval == 0)
        playSound(ownModule(), ID_CHIME, SND_RESOURCE | SND_ASYNC | SND_NOWAIT);
}
