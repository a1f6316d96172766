// The Win32 side of the seam: each function is the platform call it names.
#include <windows.h>
#include <mmsystem.h>

#include "platform/platform.h"

namespace {

HWND hwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}

WindowHandle handle(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

HDC hdc(Surface surface) {
    return reinterpret_cast<HDC>(surface);
}

HINSTANCE hinstance(ModuleHandle module) {
    return reinterpret_cast<HINSTANCE>(module);
}

HGDIOBJ gdiObject(Bitmap bitmap) {
    return reinterpret_cast<HGDIOBJ>(bitmap);
}

// The program's procedures, handed over at registration (one per class, in the
// order the classes are registered) and at the dialog's start.
WindowProcedure classProcedures[2];
WindowProcedure dialogProcedure;

template <int slot>
LRESULT CALLBACK windowThunk(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return classProcedures[slot](handle(window), message, wParam, lParam);
}

constexpr WNDPROC classThunks[] = {windowThunk<0>, windowThunk<1>};
int registeredClasses;

INT_PTR CALLBACK dialogThunk(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return dialogProcedure(handle(dialog), message, wParam, lParam);
}

using MonitorEnumerator = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
using DescribeMonitor = BOOL(WINAPI*)(HMONITOR, MONITORINFO*);

struct MonitorListing {
    DescribeMonitor describe;
    Monitor* monitors;
    int capacity, count;
};

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    MonitorListing& list = *reinterpret_cast<MonitorListing*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (list.count < list.capacity && list.describe(monitor, &info)) {
        const RECT& area = info.rcMonitor;
        list.monitors[list.count++] = {{area.left, area.top, area.right, area.bottom},
                                       (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
    }
    return TRUE;
}

using ImeAssociate = HANDLE(WINAPI*)(HWND, HANDLE);
using RegisterPowerSetting = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
using UnregisterPowerSetting = BOOL(WINAPI*)(HANDLE);
using RegisterSession = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterSession = BOOL(WINAPI*)(HWND);
using Verifier = BOOL(WINAPI*)(HWND);
using PasswordChange = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);

// Looked up, not imported: Windows 95 and NT 4 have none of the functions found with it.
template <typename Function>
Function entry(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

const char* commandLine() {
    return GetCommandLineA();
}

const char* nextCharacter(const char* text) {
    return CharNextA(text);
}

ModuleHandle ownModule() {
    return reinterpret_cast<ModuleHandle>(GetModuleHandleA(nullptr));
}

bool queryPlatformId(std::uint32_t* platformId) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version))
        return false;
    *platformId = version.dwPlatformId;
    return true;
}

// The program registers two classes, the saver window's and the covers'; a third has no
// thunk to call its procedure and fails as RegisterClassA itself would, with false.
bool registerWindowClass(const WindowClassRecord* record) {
    if (registeredClasses == static_cast<int>(sizeof classThunks / sizeof classThunks[0]))
        return false;
    const int slot = registeredClasses;
    classProcedures[slot] = record->procedure;
    WNDCLASSA windowClass = {};
    if (record->iconId != 0)
        windowClass.hIcon = LoadIconA(hinstance(record->instance), MAKEINTRESOURCEA(record->iconId));
    windowClass.style = record->style;
    windowClass.lpfnWndProc = classThunks[slot];
    windowClass.hInstance = hinstance(record->instance);
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = record->name;
    if (RegisterClassA(&windowClass) == 0)
        return false;
    ++registeredClasses;
    return true;
}

WindowHandle createWindow(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
                          Rect placement, WindowHandle parent, ModuleHandle instance) {
    return handle(CreateWindowExA(exStyle, className, title, style, placement.left, placement.top,
                                  placement.right - placement.left, placement.bottom - placement.top, hwnd(parent),
                                  nullptr, hinstance(instance), nullptr));
}

void destroyWindow(WindowHandle window) {
    DestroyWindow(hwnd(window));
}

void placeTopmost(WindowHandle window, Rect placement) {
    SetWindowPos(hwnd(window), HWND_TOPMOST, placement.left, placement.top, placement.right - placement.left,
                 placement.bottom - placement.top, SWP_NOACTIVATE);
}

WindowHandle findWindow(const char* className, const char* title) {
    return handle(FindWindowA(className, title));
}

bool isWindow(WindowHandle window) {
    return IsWindow(hwnd(window)) != 0;
}

void setForegroundWindow(WindowHandle window) {
    SetForegroundWindow(hwnd(window));
}

WindowHandle foregroundWindow() {
    return handle(GetForegroundWindow());
}

WindowHandle parentWindow(WindowHandle window) {
    return handle(GetParent(hwnd(window)));
}

Rect clientRect(WindowHandle window) {
    RECT client = {};
    GetClientRect(hwnd(window), &client);
    return {client.left, client.top, client.right, client.bottom};
}

Size screenSize() {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

int listMonitors(Monitor* monitors, int capacity) {
    // Looked up, not imported: Windows 95 and NT 4 have neither function.
    const HMODULE user = GetModuleHandleA("USER32.DLL");
    const auto enumerate =
        reinterpret_cast<MonitorEnumerator>(reinterpret_cast<void*>(GetProcAddress(user, "EnumDisplayMonitors")));
    MonitorListing listing = {
        reinterpret_cast<DescribeMonitor>(reinterpret_cast<void*>(GetProcAddress(user, "GetMonitorInfoA"))), monitors,
        capacity, 0};
    if (enumerate == nullptr || listing.describe == nullptr)
        return 0;
    enumerate(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&listing));
    return listing.count;
}

std::int32_t runMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<std::int32_t>(message.wParam);
}

MessageResult defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
    return DefWindowProcA(hwnd(window), message, wParam, lParam);
}

void postMessage(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
    PostMessageA(hwnd(window), message, wParam, lParam);
}

MessageResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam) {
    return SendMessageA(hwnd(window), message, wParam, lParam);
}

bool removeTimerMessage(WindowHandle window) {
    MSG message;
    return PeekMessageA(&message, hwnd(window), WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD) != 0;
}

void postQuitMessage(std::int32_t code) {
    PostQuitMessage(code);
}

void hideCursor() {
    SetCursor(nullptr);
}

Point cursorPosition() {
    POINT position = {};
    GetCursorPos(&position);
    return {position.x, position.y};
}

void yieldProcessor() {
    Sleep(0);
}

ModuleHandle loadedModule(const char* name) {
    return reinterpret_cast<ModuleHandle>(GetModuleHandleA(name));
}

ModuleHandle loadLibrary(const char* name) {
    return reinterpret_cast<ModuleHandle>(LoadLibraryA(name));
}

void freeLibrary(ModuleHandle module) {
    FreeLibrary(reinterpret_cast<HMODULE>(module));
}

ProcAddress procAddress(ModuleHandle module, const char* name) {
    return reinterpret_cast<ProcAddress>(GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

InputContext callImeAssociateContext(ProcAddress entry, WindowHandle window, InputContext context) {
    const auto associate = reinterpret_cast<ImeAssociate>(entry);
    return reinterpret_cast<InputContext>(associate(hwnd(window), reinterpret_cast<HANDLE>(context)));
}

std::intptr_t callVerifier(ProcAddress entry, WindowHandle window) {
    return reinterpret_cast<Verifier>(entry)(hwnd(window));
}

void callPasswordChange(ProcAddress entry, const char* provider, WindowHandle window) {
    reinterpret_cast<PasswordChange>(entry)(provider, hwnd(window), 0, nullptr);
}

RegistryKey openUserKey(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, path, &key) != ERROR_SUCCESS)
        return nullptr;
    return reinterpret_cast<RegistryKey>(key);
}

bool queryValue32(RegistryKey key, const char* name, std::uint32_t* value) {
    DWORD buffer = 0;
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(reinterpret_cast<HKEY>(key), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&buffer),
                         &size) != ERROR_SUCCESS)
        return false;
    *value = buffer;
    return true;
}

void closeKey(RegistryKey key) {
    RegCloseKey(reinterpret_cast<HKEY>(key));
}

void setScreenSaverRunning(std::uint32_t on) {
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, on, &previous, 0);
}

std::uint32_t tickCount() {
    return GetTickCount();
}

std::uint64_t systemFileTime() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::uint32_t readProfileInt(const char* section, const char* key, std::int32_t fallback, const char* file) {
    return GetPrivateProfileIntA(section, key, fallback, file);
}

bool writeProfileString(const char* section, const char* key, const char* value, const char* file) {
    return WritePrivateProfileStringA(section, key, value, file) != 0;
}

std::uint32_t lastErrorCode() {
    return GetLastError();
}

void windowsFolder(char* path, std::uint32_t capacity) {
    if (GetWindowsDirectoryA(path, capacity) >= capacity)
        path[0] = '\0';
}

bool systemVirtualisesWrites() {
    return sizeof(void*) == 4;
}

bool localAppDataFolder(char* path, std::uint32_t capacity) {
    const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", path, capacity);
    return length > 0 && length < capacity;
}

bool fileExists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void createFolder(const char* path) {
    CreateDirectoryA(path, nullptr);
}

void systemErrorText(std::uint32_t code, char* text, std::uint32_t capacity) {
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                  capacity, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n'))
        --length;  // the system's text ends with a line break
    text[length] = '\0';
}

void messageBox(WindowHandle owner, const char* text, const char* title, std::uint32_t flags) {
    MessageBoxA(hwnd(owner), text, title, flags);
}

std::intptr_t runDialog(ModuleHandle instance, int templateId, WindowHandle owner, WindowProcedure procedure) {
    dialogProcedure = procedure;
    return DialogBoxParamA(hinstance(instance), MAKEINTRESOURCEA(templateId), hwnd(owner), dialogThunk, 0);
}

void setDialogCheck(WindowHandle dialog, int control, std::uint32_t state) {
    SendDlgItemMessageA(hwnd(dialog), control, BM_SETCHECK, state, 0);
}

std::uint32_t dialogCheck(WindowHandle dialog, int control) {
    return static_cast<std::uint32_t>(SendDlgItemMessageA(hwnd(dialog), control, BM_GETCHECK, 0, 0));
}

void endDialog(WindowHandle dialog, std::intptr_t result) {
    EndDialog(hwnd(dialog), result);
}

Surface windowSurface(WindowHandle window) {
    return reinterpret_cast<Surface>(GetDC(hwnd(window)));
}

void releaseWindowSurface(WindowHandle window, Surface surface) {
    ReleaseDC(hwnd(window), hdc(surface));
}

Surface createSurface(Surface compatibleWith) {
    return reinterpret_cast<Surface>(CreateCompatibleDC(hdc(compatibleWith)));
}

void deleteSurface(Surface surface) {
    DeleteDC(hdc(surface));
}

Bitmap createBitmap(Surface compatibleWith, std::int32_t width, std::int32_t height) {
    return reinterpret_cast<Bitmap>(CreateCompatibleBitmap(hdc(compatibleWith), width, height));
}

Bitmap selectBitmap(Surface surface, Bitmap bitmap) {
    return reinterpret_cast<Bitmap>(SelectObject(hdc(surface), gdiObject(bitmap)));
}

void deleteBitmap(Bitmap bitmap) {
    DeleteObject(gdiObject(bitmap));
}

void blockCopy(Surface target, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, Surface source,
               std::int32_t sourceX, std::int32_t sourceY, RasterOp op) {
    static const DWORD rop[] = {SRCCOPY, SRCAND, SRCPAINT};
    BitBlt(hdc(target), x, y, width, height, hdc(source), sourceX, sourceY, rop[static_cast<int>(op)]);
}

void fillBlack(Surface surface, Rect rect) {
    const RECT area = {rect.left, rect.top, rect.right, rect.bottom};
    FillRect(hdc(surface), &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

Bitmap loadBitmap(ModuleHandle instance, int id) {
    return reinterpret_cast<Bitmap>(LoadBitmapA(hinstance(instance), MAKEINTRESOURCEA(id)));
}

Size bitmapSize(Bitmap bitmap) {
    BITMAP description = {};
    GetObjectA(gdiObject(bitmap), sizeof description, &description);
    return {description.bmWidth, description.bmHeight};
}

std::uintptr_t startTimer(WindowHandle window, std::uintptr_t id, std::uint32_t milliseconds) {
    return SetTimer(hwnd(window), id, milliseconds, nullptr);
}

void stopTimer(WindowHandle window, std::uintptr_t id) {
    KillTimer(hwnd(window), id);
}

namespace {
void (*threadTick)();
VOID CALLBACK onThreadTimer(HWND, UINT, UINT_PTR, DWORD) {
    threadTick();
}
}  // namespace

void startThreadTimer(std::uint32_t milliseconds, void (*tick)()) {
    threadTick = tick;
    SetTimer(nullptr, 0, milliseconds, onThreadTimer);
}

void playSound(ModuleHandle instance, int id, std::uint32_t flags) {
    PlaySoundA(MAKEINTRESOURCEA(id), reinterpret_cast<HMODULE>(instance), flags);
}

PowerNotice registerPowerNotice(WindowHandle window, const Guid* setting) {
    const auto registerSetting =
        entry<RegisterPowerSetting>(GetModuleHandleA("USER32.DLL"), "RegisterPowerSettingNotification");
    constexpr DWORD toWindow = 0;  // DEVICE_NOTIFY_WINDOW_HANDLE
    return registerSetting == nullptr ? nullptr
                                      : reinterpret_cast<PowerNotice>(registerSetting(
                                            hwnd(window), reinterpret_cast<const GUID*>(setting), toWindow));
}

void unregisterPowerNotice(PowerNotice notice) {
    const auto unregisterSetting =
        entry<UnregisterPowerSetting>(GetModuleHandleA("USER32.DLL"), "UnregisterPowerSettingNotification");
    if (unregisterSetting != nullptr)
        unregisterSetting(reinterpret_cast<HANDLE>(notice));
}

ModuleHandle registerSessionNotice(WindowHandle window) {
    const HMODULE library = LoadLibraryA("WTSAPI32.DLL");
    const auto registerSession = entry<RegisterSession>(library, "WTSRegisterSessionNotification");
    constexpr DWORD thisSession = 0;  // NOTIFY_FOR_THIS_SESSION
    if (registerSession != nullptr && registerSession(hwnd(window), thisSession))
        return reinterpret_cast<ModuleHandle>(library);
    if (library != nullptr)
        FreeLibrary(library);
    return nullptr;
}

void unregisterSessionNotice(ModuleHandle library, WindowHandle window) {
    const auto module = reinterpret_cast<HMODULE>(library);
    const auto unregisterSession = entry<UnregisterSession>(module, "WTSUnRegisterSessionNotification");
    if (unregisterSession != nullptr)
        unregisterSession(hwnd(window));
    FreeLibrary(module);
}
