#include "tests/native/fake_platform.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "host/command_line.h"
#include "host/host.h"
#include "scene/scene.h"

FakePlatform fake;
const WindowHandle fakeSaverWindow = reinterpret_cast<WindowHandle>(0x5A5A);
const Surface fakeWindowSurface = reinterpret_cast<Surface>(0xDC);

namespace {

std::uintptr_t nextHandle = 0x10000;

void* newHandle() {
    return reinterpret_cast<void*>(nextHandle++);
}

void log(const std::string& entry) {
    if (fake.recordCalls)
        fake.calls.push_back(entry);
}

void log(const char* entry) {
    if (fake.recordCalls)
        fake.calls.emplace_back(entry);
}

std::string lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

Pixels* pixelsOf(Surface surface) {
    if (surface == fakeWindowSurface)
        return &fake.screenPixels;
    auto s = fake.selected.find(surface);
    if (s == fake.selected.end())
        return nullptr;
    auto b = fake.bitmaps.find(s->second);
    return b == fake.bitmaps.end() ? nullptr : &b->second;
}

Pixels makePixels(std::int32_t width, std::int32_t height) {
    Pixels p;
    p.width = width > 0 ? width : 0;
    p.height = height > 0 ? height : 0;
    if (fake.storePixels)
        p.data.assign(static_cast<std::size_t>(p.width) * p.height, 0);
    return p;
}

void deliver(const QueuedMessage& m) {
    if (fake.windows.count(m.window))
        hostWindowProcedure(m.window, m.message, m.wParam, m.lParam);
}

}  // namespace

WindowHandle fakeHandle(std::uintptr_t value) {
    return reinterpret_cast<WindowHandle>(value);
}

std::string hex(std::uintptr_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%#lx", static_cast<unsigned long>(value));
    return text;
}

void resetFake() {
    fake = FakePlatform();
    host = initialHostState;
    scene = SceneState();
    nextHandle = 0x10000;
}

const char* commandLine() { return fake.line.c_str(); }
const char* nextCharacter(const char* text) { return *text ? text + 1 : text; }
ModuleHandle ownModule() { return reinterpret_cast<ModuleHandle>(0x400000); }

bool queryPlatformId(std::uint32_t* platformId) {
    if (!fake.versionQuerySucceeds)
        return false;
    *platformId = fake.platformId;
    return true;
}

void exitProcess(std::int32_t code) {
    log("exitProcess(" + std::to_string(code) + ")");
    throw ProcessExit{code};
}

std::int32_t runGuarded(std::int32_t (*body)(void*), void* argument, void (*)()) {
    fake.faultGuardRan = true;
    return body(argument);
}

bool registerSaverClass(const WindowClassRecord& record) {
    log(std::string("registerSaverClass(") + record.name + ", " + hex(record.style) + ", icon " +
        std::to_string(record.iconId) + ")");
    return fake.classRegisters;
}

WindowHandle createWindow(std::uint32_t exStyle, const char* className, const char* title,
                          std::uint32_t style, Rect r, WindowHandle parent, ModuleHandle) {
    log(std::string("createWindow(") + hex(exStyle) + ", " + className + ", " + title + ", " +
        hex(style) + ", " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
        std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + ", parent " +
        hex(reinterpret_cast<std::uintptr_t>(parent)) + ")");
    if (!fake.windowCreates)
        return nullptr;
    fake.windows[fakeSaverWindow] = {0, 0, r.right - r.left, r.bottom - r.top};
    fake.screenPixels = makePixels(r.right - r.left, r.bottom - r.top);
    hostWindowProcedure(fakeSaverWindow, 1 /* WM_CREATE */, 0, 0);
    return fakeSaverWindow;
}

WindowHandle findWindow(const char* className, const char* title) {
    log(std::string("findWindow(") + className + ", " + title + ")");
    return fake.runningSaver;
}

bool isWindow(WindowHandle window) { return fake.windows.count(window) != 0; }

void setForegroundWindow(WindowHandle window) {
    log("setForegroundWindow(" + hex(reinterpret_cast<std::uintptr_t>(window)) + ")");
}

WindowHandle foregroundWindow() { return fake.foreground; }
WindowHandle parentWindow(WindowHandle) { return fake.parentOf; }

Rect clientRect(WindowHandle window) {
    auto w = fake.windows.find(window);
    return w == fake.windows.end() ? Rect{0, 0, 0, 0} : w->second;
}

Size screenSize() { return fake.screen; }

std::int32_t runMessageLoop() {
    log("runMessageLoop()");
    while (!fake.quitPosted && !(fake.posted.empty() && fake.queue.empty())) {
        std::deque<QueuedMessage>& from = fake.posted.empty() ? fake.queue : fake.posted;
        const QueuedMessage m = from.front();
        from.pop_front();
        deliver(m);
    }
    return fake.quitCode;
}

MessageResult defaultProcedure(WindowHandle window, std::uint32_t message, WParam, LParam) {
    log("defaultProcedure(" + hex(message) + ")");
    if (message == 0x0010 /* WM_CLOSE */) {
        hostWindowProcedure(window, 0x0002 /* WM_DESTROY */, 0, 0);
        fake.windows.erase(window);
    }
    return 0;
}

void postMessage(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
    log("postMessage(" + hex(reinterpret_cast<std::uintptr_t>(window)) + ", " + hex(message) +
        ", " + hex(wParam) + ", " + hex(static_cast<std::uintptr_t>(lParam)) + ")");
    fake.posted.push_back({window, message, wParam, lParam});
}

MessageResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam,
                          LParam lParam) {
    log("sendMessage(" + hex(message) + ")");
    return hostWindowProcedure(window, message, wParam, lParam);
}

bool removeTimerMessage(WindowHandle window) {
    log("removeTimerMessage()");
    for (std::deque<QueuedMessage>* q : {&fake.posted, &fake.queue})
        for (auto m = q->begin(); m != q->end(); ++m)
            if (m->window == window && m->message == 0x0113 /* WM_TIMER */) {
                q->erase(m);
                return true;
            }
    return false;
}

void postQuitMessage(std::int32_t code) {
    log("postQuitMessage(" + std::to_string(code) + ")");
    fake.quitPosted = true;
    fake.quitCode = code;
}

void hideCursor() { log("hideCursor()"); }

Point cursorPosition() {
    log("cursorPosition()");
    return fake.cursor;
}

void yieldProcessor() { log("yieldProcessor()"); }

ModuleHandle loadedModule(const char* name) {
    const bool loaded = std::find(fake.alreadyLoaded.begin(), fake.alreadyLoaded.end(), name) !=
                        fake.alreadyLoaded.end();
    log(std::string("loadedModule(") + name + ")");
    return loaded ? reinterpret_cast<ModuleHandle>(0x1000) : nullptr;
}

ModuleHandle loadLibrary(const char* name) {
    log(std::string("loadLibrary(") + name + ")");
    if (!fake.libraries.count(name))
        return nullptr;
    ModuleHandle module = newHandle();
    fake.moduleNames[module] = name;
    return module;
}

void freeLibrary(ModuleHandle module) { log("freeLibrary(" + fake.moduleNames[module] + ")"); }

ProcAddress procAddress(ModuleHandle module, const char* name) {
    const std::string library =
        module == reinterpret_cast<ModuleHandle>(0x1000) ? "IMM32.DLL" : fake.moduleNames[module];
    log("procAddress(" + library + ", " + name + ")");
    const auto& entries = fake.libraries[library];
    return std::find(entries.begin(), entries.end(), name) == entries.end()
               ? nullptr
               : reinterpret_cast<ProcAddress>(0x2000);
}

std::uintptr_t callImeAssociateContext(ProcAddress, WindowHandle, std::uintptr_t context) {
    log("ImmAssociateContext(" + hex(context) + ")");
    return 0x77;
}

std::intptr_t callVerifier(ProcAddress, WindowHandle window) {
    log("VerifyScreenSavePwd()");
    return fake.verifier ? fake.verifier(window) : 0;
}

void callPasswordChange(ProcAddress, const char* provider, WindowHandle window) {
    log(std::string("PwdChangePasswordA(") + provider + ", " +
        hex(reinterpret_cast<std::uintptr_t>(window)) + ")");
}

RegistryKey openUserKey(const char* path) {
    log(std::string("openUserKey(") + path + ")");
    return fake.desktopKeyOpens ? reinterpret_cast<RegistryKey>(0x3000) : nullptr;
}

bool queryValue32(RegistryKey, const char* name, std::uint32_t* value) {
    log(std::string("queryValue32(") + name + ")");
    if (!fake.passwordValuePresent)
        return false;
    *value = fake.passwordValue;
    return true;
}

void closeKey(RegistryKey) { log("closeKey()"); }

void setScreenSaverRunning(std::uint32_t on) {
    log("setScreenSaverRunning(" + std::to_string(on) + ")");
}

std::uint32_t tickCount() { return fake.milliseconds; }
std::uint32_t calendarSeconds() { return fake.seconds; }

std::uint32_t readProfileInt(const char* section, const char* key, std::int32_t fallback,
                             const char* file) {
    log(std::string("readProfileInt(") + section + ", " + key + ", " + std::to_string(fallback) +
        ", " + file + ")");
    auto v = fake.profile.find(lower(key));
    if (v == fake.profile.end())
        return static_cast<std::uint32_t>(fallback);
    return parseDecimal(v->second.c_str());
}

void writeProfileString(const char* section, const char* key, const char* value,
                        const char* file) {
    log(std::string("writeProfileString(") + section + ", " + key + ", " + value + ", " + file +
        ")");
    fake.profile[lower(key)] = value;
}

std::intptr_t runDialog(ModuleHandle, int templateId, WindowHandle owner) {
    log("runDialog(" + std::to_string(templateId) + ", " +
        hex(reinterpret_cast<std::uintptr_t>(owner)) + ")");
    return fake.dialogReturns;
}

void setDialogCheck(WindowHandle, int control, std::uint32_t state) {
    log("setDialogCheck(" + std::to_string(control) + ", " + std::to_string(state) + ")");
    fake.checks[control] = state;
}

std::uint32_t dialogCheck(WindowHandle, int control) { return fake.checks[control]; }

void endDialog(WindowHandle, std::intptr_t result) {
    log("endDialog(" + std::to_string(result) + ")");
    fake.dialogResult = result;
}

Surface windowSurface(WindowHandle) {
    log("windowSurface()");
    return fakeWindowSurface;
}

void releaseWindowSurface(WindowHandle, Surface) { log("releaseWindowSurface()"); }

Surface createSurface(Surface) {
    Surface surface = newHandle();
    // A new drawing context holds a 1 x 1 bitmap of its own.
    Bitmap stock = newHandle();
    fake.bitmaps[stock] = makePixels(1, 1);
    fake.selected[surface] = stock;
    return surface;
}

Bitmap createBitmap(Surface, std::int32_t width, std::int32_t height) {
    Bitmap bitmap = newHandle();
    fake.bitmaps[bitmap] = makePixels(width, height);
    return bitmap;
}

Bitmap selectBitmap(Surface surface, Bitmap bitmap) {
    if (surface == nullptr || bitmap == nullptr || !fake.selected.count(surface) ||
        !fake.bitmaps.count(bitmap))
        return nullptr;  // a failed selection leaves the surface as it was
    const Bitmap previous = fake.selected[surface];
    fake.selected[surface] = bitmap;
    return previous;
}

void deleteBitmap(Bitmap bitmap) {
    for (const auto& s : fake.selected)
        if (s.second == bitmap)
            return;  // a selected bitmap cannot be deleted
    fake.bitmaps.erase(bitmap);
}

void blockCopy(Surface target, std::int32_t x, std::int32_t y, std::int32_t width,
               std::int32_t height, Surface source, std::int32_t sourceX, std::int32_t sourceY,
               RasterOp op) {
    if (fake.recordCopies)
        fake.copies.push_back({target, x, y, width, height, source, sourceX, sourceY, op});
    Pixels* to = pixelsOf(target);
    Pixels* from = pixelsOf(source);
    if (to == nullptr || from == nullptr) {
        ++fake.strayDrawing;
        return;
    }
    // Clip to the source and the target at once: offsets [i0, i1) x [j0, j1) of the copy.
    const std::int64_t i0 = std::max<std::int64_t>({0, -std::int64_t{x}, -std::int64_t{sourceX}});
    const std::int64_t j0 = std::max<std::int64_t>({0, -std::int64_t{y}, -std::int64_t{sourceY}});
    const std::int64_t i1 = std::min<std::int64_t>(
        {width, std::int64_t{to->width} - x, std::int64_t{from->width} - sourceX});
    const std::int64_t j1 = std::min<std::int64_t>(
        {height, std::int64_t{to->height} - y, std::int64_t{from->height} - sourceY});
    if (i0 >= i1 || j0 >= j1 || to->data.empty() || from->data.empty())
        return;  // nothing visible, or a raster that keeps sizes only
    Pixels copyOfSelf;
    if (to == from) {  // a surface copied onto itself reads what it held before
        copyOfSelf = *from;
        from = &copyOfSelf;
    }
    for (std::int64_t j = j0; j < j1; ++j) {
        const std::uint32_t* s = &from->at(static_cast<std::int32_t>(sourceX + i0),
                                           static_cast<std::int32_t>(sourceY + j));
        std::uint32_t* d = &to->at(static_cast<std::int32_t>(x + i0), static_cast<std::int32_t>(y + j));
        for (std::int64_t i = i0; i < i1; ++i, ++s, ++d)
            *d = op == RasterOp::copy ? *s : op == RasterOp::and_ ? (*d & *s) : (*d | *s);
    }
}

void fillBlack(Surface surface, Rect rect) {
    if (fake.recordCopies)
        fake.fills.push_back(rect);
    Pixels* to = pixelsOf(surface);
    if (to == nullptr) {
        ++fake.strayDrawing;
        return;
    }
    if (to->data.empty())
        return;
    for (std::int32_t y = std::max(rect.top, 0); y < std::min(rect.bottom, to->height); ++y)
        for (std::int32_t x = std::max(rect.left, 0); x < std::min(rect.right, to->width); ++x)
            to->at(x, y) = 0;
}

Bitmap loadBitmap(ModuleHandle, int id) {
    auto r = fake.resources.find(id);
    if (r == fake.resources.end())
        return nullptr;
    Bitmap bitmap = newHandle();
    fake.bitmaps[bitmap] = r->second;
    return bitmap;
}

Size bitmapSize(Bitmap bitmap) {
    auto b = fake.bitmaps.find(bitmap);
    return b == fake.bitmaps.end() ? Size{0, 0} : Size{b->second.width, b->second.height};
}

std::uintptr_t startTimer(WindowHandle, std::uintptr_t id, std::uint32_t milliseconds) {
    log("startTimer(" + std::to_string(id) + ", " + std::to_string(milliseconds) + ")");
    return fake.timerStarts ? id : 0;
}

void stopTimer(WindowHandle, std::uintptr_t id) { log("stopTimer(" + std::to_string(id) + ")"); }

void playSound(ModuleHandle, int id, std::uint32_t flags) {
    log("playSound(" + std::to_string(id) + ", " + std::to_string(flags) + ")");
}
