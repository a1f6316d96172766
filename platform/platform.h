// The narrow seam between the saver's logic and the operating system.
//
// Everything that decides (host, scene, settings) is written against these
// functions and never includes <windows.h>. The executable links
// platform_win32.cpp, where each function carries out one operation with the Win32
// calls it takes; the native unit tests link a recording implementation with a
// software raster.
// The names are plain C names, so a test program can wrap any of them at link time.
#pragma once

#include <cstdint>

// Distinct handle types, as the platform's strict mode has them: two handles of
// different kinds cannot be swapped without a compile error.
struct WindowObject;
struct ModuleObject;
struct EntryObject;
struct InputContextObject;
struct KeyObject;
struct SurfaceObject;
struct BitmapObject;
struct PowerNoticeObject;
using WindowHandle = WindowObject*;
using ModuleHandle = ModuleObject*;
using ProcAddress = EntryObject*;
using InputContext = InputContextObject*;
using RegistryKey = KeyObject*;
using Surface = SurfaceObject*;  // a drawing context: the window's or an off-screen one
using Bitmap = BitmapObject*;    // a loaded image or a pixel buffer made for a surface
using PowerNotice = PowerNoticeObject*;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;
using MessageResult = std::intptr_t;

struct Point {
    std::int32_t x, y;
};

// (left, top, right, bottom); right and bottom are exclusive.
struct Rect {
    std::int32_t left, top, right, bottom;
};

struct Size {
    std::int32_t width, height;
};

using WindowProcedure = MessageResult (*)(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);

struct WindowClassRecord {
    const char* name;
    std::uint32_t style;
    int iconId;
    ModuleHandle instance;
    WindowProcedure procedure;
};

// One display monitor, in screen pixels.
struct Monitor {
    Rect area;
    bool primary;
};

enum class RasterOp { copy, and_, or_ };

// A power setting's identifier, laid out as the system's GUID.
struct Guid {
    std::uint32_t data1;
    std::uint16_t data2, data3;
    std::uint8_t data4[8];
};

extern "C" {

// The program's side, which the platform layer's entry calls: hostMain runs the mode that the
// command tail (the line after the program name and its blanks) asks for and returns
// the process's exit code.
std::int32_t hostMain(ModuleHandle instance, const char* tail);
const char* commandTail();

// Process.
const char* commandLine();
const char* nextCharacter(const char* text);  // one character on, DBCS-aware
ModuleHandle ownModule();
bool queryPlatformId(std::uint32_t* platformId);  // false when the version query fails
// Runs body(tail) under the fault guard. A fault that the system's last-chance filter
// decides to handle runs cleanup and ends the process with the fault's code.
std::int32_t runGuarded(std::int32_t (*body)(const char*), const char* tail, void (*cleanup)());

// Windows and messages.
bool registerWindowClass(const WindowClassRecord* record);
WindowHandle createWindow(std::uint32_t exStyle, const char* className, const char* title, std::uint32_t style,
                          Rect placement, WindowHandle parent, ModuleHandle instance);
void destroyWindow(WindowHandle window);
// Moves and sizes a top-level window to placement, above every window but topmost
// ones, without activating it.
void placeTopmost(WindowHandle window, Rect placement);
WindowHandle findWindow(const char* className, const char* title);
bool isWindow(WindowHandle window);
void setForegroundWindow(WindowHandle window);
WindowHandle foregroundWindow();
WindowHandle parentWindow(WindowHandle window);
Rect clientRect(WindowHandle window);
Size screenSize();
// The monitors the system reports, at most capacity of them; 0 where it cannot
// tell (Windows 95 and NT 4 have no monitor functions).
int listMonitors(Monitor* monitors, int capacity);
std::int32_t runMessageLoop();  // until WM_QUIT; returns its code
MessageResult defaultProcedure(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);
void postMessage(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);
MessageResult sendMessage(WindowHandle window, std::uint32_t message, WParam wParam, LParam lParam);
bool removeTimerMessage(WindowHandle window);  // takes at most one WM_TIMER
void postQuitMessage(std::int32_t code);
void hideCursor();
Point cursorPosition();
void yieldProcessor();  // a zero-length sleep

// Libraries and the components looked up in them.
ModuleHandle loadedModule(const char* name);  // only if already loaded
ModuleHandle loadLibrary(const char* name);
void freeLibrary(ModuleHandle module);
ProcAddress procAddress(ModuleHandle module, const char* name);
InputContext callImeAssociateContext(ProcAddress entry, WindowHandle window, InputContext context);
std::intptr_t callVerifier(ProcAddress entry, WindowHandle window);
void callPasswordChange(ProcAddress entry, const char* provider, WindowHandle window);

// Registry, system parameters, clock.
RegistryKey openUserKey(const char* path);  // 0 on failure
bool queryValue32(RegistryKey key, const char* name, std::uint32_t* value);
void closeKey(RegistryKey key);
void setScreenSaverRunning(std::uint32_t on);
std::uint32_t tickCount();       // milliseconds, wraps at 2^32
std::uint64_t systemFileTime();  // 100 ns units since 1601, UTC

// Settings file and dialog.
std::uint32_t readProfileInt(const char* section, const char* key, std::int32_t fallback, const char* file);
bool writeProfileString(const char* section, const char* key, const char* value,
                        const char* file);  // false when nothing was written
std::uint32_t lastErrorCode();
void windowsFolder(char* path, std::uint32_t capacity);  // where a bare profile name lives
// Vista and later redirect this build's writes to the Windows folder into the user's
// VirtualStore by themselves: true for the 32-bit build, which has no manifest.
bool systemVirtualisesWrites();
bool localAppDataFolder(char* path, std::uint32_t capacity);                   // false where there is none
bool fileExists(const char* path);                                             // a file, not a folder
void createFolder(const char* path);                                           // nothing if it exists
void systemErrorText(std::uint32_t code, char* text, std::uint32_t capacity);  // "" if none
void messageBox(WindowHandle owner, const char* text, const char* title, std::uint32_t flags);
std::intptr_t runDialog(ModuleHandle instance, int templateId, WindowHandle owner, WindowProcedure procedure);
void setDialogCheck(WindowHandle dialog, int control, std::uint32_t state);
std::uint32_t dialogCheck(WindowHandle dialog, int control);
void endDialog(WindowHandle dialog, std::intptr_t result);

// Drawing.
Surface windowSurface(WindowHandle window);
void releaseWindowSurface(WindowHandle window, Surface surface);
Surface createSurface(Surface compatibleWith);
void deleteSurface(Surface surface);  // the bitmap in it stays
Bitmap createBitmap(Surface compatibleWith, std::int32_t width, std::int32_t height);
Bitmap selectBitmap(Surface surface, Bitmap bitmap);  // returns the one it replaced
void deleteBitmap(Bitmap bitmap);
void blockCopy(Surface target, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, Surface source,
               std::int32_t sourceX, std::int32_t sourceY, RasterOp op);
void fillBlack(Surface surface, Rect rect);
Bitmap loadBitmap(ModuleHandle instance, int id);  // 0 when absent
Size bitmapSize(Bitmap bitmap);                    // 0 x 0 for an empty handle
std::uintptr_t startTimer(WindowHandle window, std::uintptr_t id, std::uint32_t milliseconds);
void stopTimer(WindowHandle window, std::uintptr_t id);
// A timer of the thread rather than of a window: tick runs from the message loop every
// period for as long as the process lives, whatever becomes of its windows.
void startThreadTimer(std::uint32_t milliseconds, void (*tick)());
void playSound(ModuleHandle instance, int id, std::uint32_t flags);

// The system's notices to a window, looked up where the system has them: a power setting's
// changes (Vista on; null where the function is absent or the setting refused), and this
// session's connections (XP on: the loaded WTSAPI32.DLL that holds the registration, null
// where there is none).
PowerNotice registerPowerNotice(WindowHandle window, const Guid* setting);
void unregisterPowerNotice(PowerNotice notice);
ModuleHandle registerSessionNotice(WindowHandle window);
void unregisterSessionNotice(ModuleHandle library, WindowHandle window);

}  // extern "C"
