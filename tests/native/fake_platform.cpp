// The recording platform behind the seam for the native tests, with its software raster.
#include "tests/native/fake_platform.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "host/host.h"
#include "scene/scene.h"

FakePlatform fake;
const WindowHandle fakeSaverWindow = reinterpret_cast<WindowHandle>(0x5A5A);
const Surface fakeWindowSurface = reinterpret_cast<Surface>(0xDC);
const ModuleHandle fakeModule = reinterpret_cast<ModuleHandle>(0x400000);

namespace {

const ModuleHandle immModule = reinterpret_cast<ModuleHandle>(0x1000);
const RegistryKey desktopKey = reinterpret_cast<RegistryKey>(0x3000);
std::uintptr_t nextHandle = 0x10000;
std::map<const void*, std::string> names;  // of the libraries loaded and the entries found

template <typename Handle>
Handle newHandle(const std::string& name = "") {
    names[reinterpret_cast<const void*>(nextHandle)] = name;
    return reinterpret_cast<Handle>(nextHandle++);
}

template <typename Value>
std::string hex(Value value) {
    char text[24];
    std::snprintf(text, sizeof text, "%#llx", static_cast<unsigned long long>((std::uintptr_t)value));
    return text;
}

void note(Effects effect) {
    fake.effects |= effect;
    fake.calls.push_back(effect);
}

// A component called through the entry that procAddress found by its own name.
void noteCall(ProcAddress entry, const char* name, Effects effect) { note(names.count(entry) && names[entry] == name ? effect : BAD_CALL); }

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), ::tolower);
    return text;
}

bool isTheSettingsFile(const char* section, const char* file) { return lower(section) == "varno" && lower(file) == "varno.ini"; }

std::string storePath() { return fake.localAppData + "\\VirtualStore\\Windows\\VARNO.INI"; }
bool isTheStore(const char* section, const char* file) { return lower(section) == "varno" && !fake.localAppData.empty() && file == storePath(); }

MessageResult deliver(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
    const WindowProcedure procedure = window == fakeSaverWindow ? fake.saverClass.procedure : nullptr;
    return procedure ? procedure(window, message, wParam, lParam) : 0;
}

Pixels makePixels(std::int32_t width, std::int32_t height) {
    Pixels p{std::max(width, 0), std::max(height, 0), {}};
    p.data.resize(fake.storePixels ? static_cast<std::size_t>(p.width) * p.height : 0);
    return p;
}

Pixels* pixelsOf(Surface surface) {
    if (surface == fakeWindowSurface)
        return &fake.screenPixels;
    auto s = fake.selected.find(surface);
    auto b = s == fake.selected.end() ? fake.bitmaps.end() : fake.bitmaps.find(s->second);
    return b == fake.bitmaps.end() ? nullptr : &b->second;
}

}  // namespace

std::string effectNames(Effects effects) {
#define VARNO_EFFECT_NAME(name) #name,
    static const char* const names[] = {VARNO_EFFECTS(VARNO_EFFECT_NAME)};
    std::string text;
    for (int bit = 0; bit < EFFECT_COUNT; ++bit)
        if (effects >> bit & 1)
            text += (text.empty() ? "" : "|") + std::string(names[bit]);
    return text.empty() ? "0" : text;
}

WindowHandle fakeHandle(std::uintptr_t value) { return reinterpret_cast<WindowHandle>(value); }

void resetFake() {
    fake = FakePlatform();
    host = initialHostState;
    scene = SceneState();
    nextHandle = 0x10000;
    names.clear();
}

// A double-byte code page: 0x81 to 0xFE lead a two-byte character.
const char* nextCharacter(const char* text) {
    const unsigned char lead = static_cast<unsigned char>(*text);
    return text + (*text == '\0' ? 0 : lead >= 0x81 && lead <= 0xFE && text[1] ? 2 : 1);
}

const char* commandLine() { return fake.line.c_str(); }
ModuleHandle ownModule() { return fakeModule; }

bool queryPlatformId(std::uint32_t* id) {
    *id = fake.platformId;  // written even when the query fails
    return fake.versionQuerySucceeds;
}

std::int32_t runGuarded(std::int32_t (*body)(const char*), const char* tail, void (*cleanup)()) {
    fake.guardCleanup = cleanup;
    return body(tail);
}

bool registerWindowClass(const WindowClassRecord* record) {
    note(REGISTERS);
    if (fake.classRegisters && !fake.saverClass.name)
        fake.saverClass = *record;
    else if (fake.classRegisters)
        fake.otherClasses[record->name] = *record;
    return fake.classRegisters;
}

// Only a registered class makes a window; WM_CREATE reaches its procedure before the handle returns.
WindowHandle createWindow(std::uint32_t, const char* className, const char* title, std::uint32_t, Rect r, WindowHandle parent, ModuleHandle instance) {
    note(CREATES);
    if (fake.otherClasses.count(className)) {  // styles are the Wine tests' business
        fake.others.push_back(std::string(className) + " " + title + " (" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
                              std::to_string(r.right) + "," + std::to_string(r.bottom) + ") owner " + hex(parent) + " " + hex(instance));
        return newHandle<WindowHandle>();
    }
    fake.createdParent = parent;
    if (!fake.windowCreates || !fake.saverClass.name || std::string(className) != fake.saverClass.name)
        return nullptr;
    fake.windows[fakeSaverWindow] = {0, 0, r.right - r.left, r.bottom - r.top};
    fake.screenPixels = makePixels(r.right - r.left, r.bottom - r.top);
    deliver(fakeSaverWindow, WM_CREATE, 0, 0);
    return fakeSaverWindow;
}

void destroyWindow(WindowHandle window) {
    note(DESTROYS);
    if (fake.windows.erase(window))
        deliver(window, WM_DESTROY, 0, 0);
}

void placeTopmost(WindowHandle, Rect) { note(PLACES); }

WindowHandle findWindow(const char* className, const char* title) {
    note(FINDS);
    const bool match = std::string(className) == "WindowsScreenSaverClass" && std::string(title) == "Screen Saver";
    return match ? fake.runningSaver : nullptr;
}

bool isWindow(WindowHandle window) { return fake.windows.count(window) != 0; }
WindowHandle foregroundWindow() { return fake.foreground; }
WindowHandle parentWindow(WindowHandle window) { return isWindow(window) ? fake.parentOf : nullptr; }
Rect clientRect(WindowHandle window) { return isWindow(window) ? fake.windows[window] : Rect{0, 0, 0, 0}; }
Size screenSize() { return fake.screen; }

int listMonitors(Monitor* monitors, int capacity) {
    const int count = std::min(capacity, static_cast<int>(fake.monitors.size()));
    std::copy_n(fake.monitors.begin(), count, monitors);
    return count;
}

void setForegroundWindow(WindowHandle window) {
    note(FOREGROUND);
    fake.broughtForward = window;
}

// Delivers the queue; once it runs dry the system closes the window, as a logoff would.
std::int32_t runMessageLoop() {
    note(LOOPS);
    for (bool closed = false; fake.quitCode == -99;) {
        if (fake.queue.empty()) {
            if (closed || !isWindow(fakeSaverWindow))
                break;
            closed = true;
            fake.queue.push_back({fakeSaverWindow, WM_CLOSE, 0, 0});
        }
        const QueuedMessage m = fake.queue.front();
        fake.queue.pop_front();
        if (isWindow(m.window))
            deliver(m.window, m.message, m.wParam, m.lParam);
    }
    return fake.quitCode;
}

MessageResult defaultProcedure(WindowHandle window, std::uint32_t message, WParam, LParam) {
    note(DEFAULT);
    if (message == WM_CLOSE && isWindow(window)) {
        deliver(window, WM_DESTROY, 0, 0);
        fake.windows.erase(window);
    }
    return DEF;
}

void postMessage(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
    const bool close = window == fakeSaverWindow && message == WM_CLOSE && !wParam && !lParam;
    note(close ? CLOSES : window && window == fake.parentOf ? RELAYS : window == fakeSaverWindow ? POSTS : BAD_CALL);
    fake.queue.push_back({window, message, wParam, lParam});
}

MessageResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) { return deliver(window, message, wParam, lParam); }

bool removeTimerMessage(WindowHandle window) {
    auto m = std::find_if(fake.queue.begin(), fake.queue.end(), [window](const QueuedMessage& q) { return q.window == window && q.message == WM_TIMER; });
    return m != fake.queue.end() && (fake.queue.erase(m), true);
}

void postQuitMessage(std::int32_t code) {
    note(QUITS);
    fake.quitCode = code;
}

void hideCursor() { note(HIDES); }
Point cursorPosition() { return fake.cursor; }
void yieldProcessor() { note(YIELDS); }

ModuleHandle loadedModule(const char* name) { return fake.immLoaded && std::string(name) == "IMM32.DLL" ? immModule : nullptr; }

ModuleHandle loadLibrary(const char* name) {
    note(LOADS);
    return fake.libraries.count(name) ? newHandle<ModuleHandle>(name) : nullptr;
}

void freeLibrary(ModuleHandle module) { note(names.erase(module) ? FREES : BAD_CALL); }

ProcAddress procAddress(ModuleHandle module, const char* name) {
    const auto& exports = fake.libraries[module == immModule ? "IMM32.DLL" : names[module]];
    const bool found = std::find(exports.begin(), exports.end(), name) != exports.end();
    return found ? newHandle<ProcAddress>(name) : nullptr;
}

InputContext callImeAssociateContext(ProcAddress entry, WindowHandle, InputContext) {
    noteCall(entry, "ImmAssociateContext", ASSOCIATES);
    return nullptr;  // the window had none
}

std::intptr_t callVerifier(ProcAddress entry, WindowHandle window) {
    noteCall(entry, "VerifyScreenSavePwd", VERIFIES);
    return fake.verifier ? fake.verifier(window) : 3;
}

void callPasswordChange(ProcAddress entry, const char*, WindowHandle window) {
    noteCall(entry, "PwdChangePasswordA", CHANGES);
    fake.changedFor = window;
}

RegistryKey openUserKey(const char* path) {
    note(OPENS_KEY);
    return fake.desktopKeyOpens && std::string(path) == "Control Panel\\Desktop" ? desktopKey : nullptr;
}

bool queryValue32(RegistryKey key, const char* name, std::uint32_t* value) {
    if (key != desktopKey || !fake.passwordValuePresent || std::string(name) != "ScreenSaveUsePassword")
        return false;
    *value = fake.passwordValue;
    return true;
}

void closeKey(RegistryKey key) { note(key == desktopKey ? CLOSES_KEY : BAD_CALL); }
void setScreenSaverRunning(std::uint32_t on) { note(on == 1 ? RUNNING_ON : on == 0 ? RUNNING_OFF : BAD_CALL); }
std::uint32_t tickCount() { return fake.milliseconds; }
// The last 100 ns of the second, 2^32 seconds on (in 2106): a seed is whole seconds modulo 2^32.
std::uint64_t systemFileTime() { return fileTimeOf1970 + (fake.seconds + (1ull << 32)) * fileTimeUnitsPerSecond + 9999999; }

// The number at the start of the value text, the fallback when file, section or key is missing.
std::uint32_t readProfileInt(const char* section, const char* key, std::int32_t fallback, const char* file) {
    const auto& profile = isTheStore(section, file) ? fake.storeProfile : fake.profile;
    auto v = profile.find(lower(key));
    if (!(isTheSettingsFile(section, file) || isTheStore(section, file)) || v == profile.end())
        return static_cast<std::uint32_t>(fallback);
    std::uint32_t value = 0;
    for (const char* c = v->second.c_str(); *c >= '0' && *c <= '9'; ++c)
        value = value * 10 + static_cast<std::uint32_t>(*c - '0');
    return value;
}

bool writeProfileString(const char* section, const char* key, const char* value, const char* file) {
    if (isTheStore(section, file)) {  // only where it exists: no folder is made
        if (fake.storeExists)
            fake.storeProfile[lower(key)] = value, fake.written.push_back("store:" + std::string(key) + "=" + value);
        return fake.storeExists;
    }
    if (fake.writesBeforeFailure == 0) {  // the obstacle goes once it has been met
        fake.writesBeforeFailure = -1;
        return false;
    }
    --fake.writesBeforeFailure;
    const bool ours = isTheSettingsFile(section, file);
    if (ours)
        fake.profile[lower(key)] = value;
    fake.written.push_back((ours ? "" : "elsewhere:") + std::string(key) + "=" + value);
    return true;
}

std::uint32_t lastErrorCode() { return fake.lastError; }
bool systemVirtualisesWrites() { return fake.virtualised; }
bool localAppDataFolder(char* path, std::uint32_t capacity) { return std::snprintf(path, capacity, "%s", fake.localAppData.c_str()) > 0; }
bool fileExists(const char* path) { return fake.storeExists && path == storePath(); }
void createFolder(const char*) {}  // the folders made are the Wine tests' business
void windowsFolder(char* path, std::uint32_t capacity) { std::snprintf(path, capacity, "C:\\WINDOWS"); }

void systemErrorText(std::uint32_t code, char* text, std::uint32_t capacity) { std::snprintf(text, capacity, "%s", code == 5 ? "Access is denied." : ""); }

void messageBox(WindowHandle owner, const char* text, const char* title, std::uint32_t flags) {
    fake.messageBoxes.push_back(hex(owner) + "|" + title + "|" + hex(flags) + "|" + text);
}

// The dialog opens and is painted, then the user's commands arrive until one ends it;
// automatic check boxes toggle themselves before their click reaches the procedure, and
// states that no click makes (forced) are set after the opening.
std::intptr_t runDialog(ModuleHandle instance, int templateId, WindowHandle owner, WindowProcedure procedure) {
    note(DIALOG);
    fake.dialog = hex(instance) + " " + std::to_string(templateId);
    fake.dialogOwner = owner;
    fake.answers = std::to_string(procedure(fakeHandle(0xD1A), WM_INITDIALOG, 0, 0)) + " " + std::to_string(procedure(fakeHandle(0xD1A), WM_PAINT, 0, 0));
    fake.shown = fake.checks;
    for (auto [box, state] : fake.forced)
        fake.checks[box] = state;
    for (std::size_t i = 0; i < fake.commands.size() && fake.dialogResult == -2; ++i) {
        const WParam command = fake.commands[i];
        if (command >= ID_LOGO_BOX && command <= ID_SOUND_BOX)
            fake.checks[static_cast<int>(command)] ^= 1;
        fake.answers += " " + std::to_string(procedure(fakeHandle(0xD1A), WM_COMMAND, command, 0));
    }
    return fake.dialogResult;
}

void setDialogCheck(WindowHandle, int control, std::uint32_t state) { fake.checks[control] = state; }
std::uint32_t dialogCheck(WindowHandle, int control) { return fake.checks[control]; }
void endDialog(WindowHandle, std::intptr_t result) { fake.dialogResult = result; }
void releaseWindowSurface(WindowHandle, Surface) {}

Surface windowSurface(WindowHandle) {
    note(DRAWS);
    return fakeWindowSurface;
}

Bitmap createBitmap(Surface, std::int32_t width, std::int32_t height) {
    const Bitmap bitmap = newHandle<Bitmap>();
    fake.bitmaps[bitmap] = makePixels(width, height);
    return bitmap;
}

// A new drawing context holds a 1 x 1 bitmap of its own.
Surface createSurface(Surface) {
    const Surface surface = newHandle<Surface>();
    fake.selected[surface] = createBitmap(nullptr, 1, 1);
    return surface;
}

// A failed selection leaves the surface as it was.
Bitmap selectBitmap(Surface surface, Bitmap bitmap) {
    if (!fake.selected.count(surface) || !fake.bitmaps.count(bitmap))
        return nullptr;
    std::swap(fake.selected[surface], bitmap);
    return bitmap;
}

// Its bitmap is free again.
void deleteSurface(Surface surface) { fake.selected.erase(surface); }

// A selected bitmap cannot be deleted.
void deleteBitmap(Bitmap bitmap) {
    if (std::none_of(fake.selected.begin(), fake.selected.end(), [bitmap](auto& s) { return s.second == bitmap; }))
        fake.bitmaps.erase(bitmap);
}

void blockCopy(Surface target, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, Surface source, std::int32_t sourceX,
               std::int32_t sourceY, RasterOp op) {
    fake.copies.push_back({target, x, y, width, height, source, sourceX, sourceY, op});
    Pixels* to = pixelsOf(target);
    Pixels* from = pixelsOf(source);
    fake.strayDrawing += !to || !from;
    if (!to || !from || to->data.empty() || from->data.empty())
        return;
    // Offsets [i0, i1) x [j0, j1) of the copy fall inside both surfaces.
    using W = std::int64_t;
    const W i0 = std::max<W>({0, -W{x}, -W{sourceX}}), j0 = std::max<W>({0, -W{y}, -W{sourceY}});
    const W i1 = std::min<W>({width, W{to->width} - x, W{from->width} - sourceX});
    const W j1 = std::min<W>({height, W{to->height} - y, W{from->height} - sourceY});
    for (W j = j0; i0 < i1 && j < j1; ++j) {  // the scene never copies a surface onto itself
        const std::uint32_t* s = from->data.data() + (sourceY + j) * from->width + sourceX + i0;
        std::uint32_t* d = to->data.data() + (y + j) * to->width + x + i0;
        for (W i = i0; i < i1; ++i, ++s, ++d)
            *d = op == RasterOp::copy ? *s : op == RasterOp::and_ ? (*d & *s) : (*d | *s);
    }
}

void fillBlack(Surface surface, Rect rect) {
    fake.fills.push_back(rect);
    Pixels* to = pixelsOf(surface);
    fake.strayDrawing += !to;
    for (std::int32_t y = std::max(rect.top, 0); to && !to->data.empty() && y < std::min(rect.bottom, to->height); ++y)
        for (std::int32_t x = std::max(rect.left, 0); x < std::min(rect.right, to->width); ++x)
            to->at(x, y) = 0;
}

Bitmap loadBitmap(ModuleHandle instance, int id) {
    if (instance != fakeModule || !fake.resources.count(id))
        return nullptr;
    const Bitmap bitmap = newHandle<Bitmap>();
    fake.bitmaps[bitmap] = fake.resources[id];
    return bitmap;
}

Size bitmapSize(Bitmap bitmap) { return fake.bitmaps.count(bitmap) ? Size{fake.bitmaps[bitmap].width, fake.bitmaps[bitmap].height} : Size{0, 0}; }

std::uintptr_t startTimer(WindowHandle window, std::uintptr_t id, std::uint32_t milliseconds) {
    note(STARTS_TIMER);
    fake.timer = hex(window) + " " + std::to_string(id) + " " + std::to_string(milliseconds);
    return id;
}

void startThreadTimer(std::uint32_t milliseconds, void (*tick)()) {
    fake.watchPeriod = milliseconds;
    fake.watch = tick;
}

void stopTimer(WindowHandle window, std::uintptr_t id) {
    note(fake.timer.rfind(hex(window) + " " + std::to_string(id) + " ", 0) == 0 ? STOPS_TIMER : BAD_CALL);
}

void playSound(ModuleHandle, int, std::uint32_t) { note(CUE); }  // what is played is the Wine tests' business

PowerNotice registerPowerNotice(WindowHandle window, const Guid* setting) {
    const bool granted = std::count(fake.powerSettings.begin(), fake.powerSettings.end(), setting->data1);
    fake.notices += hex(window) + " power " + hex(setting->data1) + (granted ? " " : " refused ");
    if (granted && fake.stateOnRequest != 0)
        hostWindowProcedure(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, fake.stateOnRequest);
    return granted ? newHandle<PowerNotice>("power") : nullptr;
}
void unregisterPowerNotice(PowerNotice notice) { fake.notices += names[notice] == "power" ? "unpower " : "bad "; }
ModuleHandle registerSessionNotice(WindowHandle window) {
    fake.notices += hex(window) + " session" + (fake.sessionNotices ? " " : " absent ");
    return fake.sessionNotices ? newHandle<ModuleHandle>("WTSAPI32.DLL") : nullptr;
}
void unregisterSessionNotice(ModuleHandle library, WindowHandle window) {
    fake.notices += names[library] == "WTSAPI32.DLL" ? "unsession " + hex(window) + " " : "bad ";
}

void openWindow(std::uint32_t state) {
    resetFake();
    fake.saverClass.procedure = hostWindowProcedure;
    fake.windows[fakeSaverWindow] = {0, 0, 64, 48};
    host.saverWindow = fakeSaverWindow;
    fake.parentOf = fakeHandle(0x300);
    if (!(state & ORPHAN))
        fake.windows[fake.parentOf] = {0, 0, 152, 112};
    host.isPreview = state & PREVIEW;
    host.isWin95Family = (state & WIN95) != 0;
    if (state & VERIFIER) {
        fake.passwordValuePresent = true;
        fake.passwordValue = 1;
        fake.libraries["PASSWORD.CPL"] = {"VerifyScreenSavePwd"};
        loadVerifier();
    }
    if (state & REFUSES)
        fake.verifier = [](WindowHandle) -> std::intptr_t { return 0; };
    host.closeConfirmed = state & CONFIRMED ? 1 : 0;
    host.checkInProgress = state & CHECKING ? 1 : 0;
    host.mouseAnchor = {100, 100};
    fake.cursor = {103, 102};
    fake.effects = 0;
    fake.calls.clear();
}
