// The setup's own NSIS plug-in (varno.dll): the steps that NSIS has no instruction for.
// Built like the saver, with no C runtime, so that it loads on a clean Windows 95; what
// Windows 95 or NT 4 lacks is looked up at run time. Each function takes its arguments
// from the NSIS stack and leaves one answer there.
#include <windows.h>

#include "installer/system_ini.h"

namespace {

// Room for any path or answer; NSIS strings are at most 1024 bytes in the release's
// makensis, 8192 in a large-string build.
constexpr int kText = 8192;

// The NSIS plug-in interface: a stack of strings, each in a GlobalAlloc'd block.
struct StackEntry {
    StackEntry* next;
    char text[1];
};

struct Call {
    int size;  // of every NSIS string, with its NUL
    StackEntry** stack;

    // The top string into `text`, which has room for kText bytes (whatever size NSIS
    // passes), "" on an empty stack.
    void pop(char* text) const {
        text[0] = '\0';
        if (StackEntry* top = *stack) {
            lstrcpynA(text, top->text, size < kText ? size : kText);
            *stack = top->next;
            GlobalFree(top);
        }
    }
    void push(const char* text) const {
        auto* entry = static_cast<StackEntry*>(GlobalAlloc(GPTR, sizeof(StackEntry) + size));
        if (!entry)
            return;
        lstrcpynA(entry->text, text, size);
        entry->next = *stack;
        *stack = entry;
    }
};

bool isNt() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool isWindows2000OrLater() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
}

template <typename Function>
Function systemFunction(const char* module, const char* name) {
    HMODULE handle = GetModuleHandleA(module);
    return handle ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(handle, name))) : nullptr;
}

// The processor that Windows itself runs on.
enum class Processor { X86, X64, Arm64 };

Processor nativeMachine() {
    using Wow64Process2 = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
    using Wow64Process = BOOL(WINAPI*)(HANDLE, BOOL*);
    USHORT process = 0, native = 0;
    if (auto query = systemFunction<Wow64Process2>("KERNEL32", "IsWow64Process2"))
        if (query(GetCurrentProcess(), &process, &native))
            return native == 0xAA64 ? Processor::Arm64 : native == 0x8664 ? Processor::X64 : Processor::X86;
    BOOL wow64 = FALSE;
    if (auto query = systemFunction<Wow64Process>("KERNEL32", "IsWow64Process"))
        if (query(GetCurrentProcess(), &wow64) && wow64)
            return Processor::X64;
    return Processor::X86;
}

// While one lives, this thread's file names reach the real System32 on 64-bit Windows.
// Only around our own file calls: a system DLL loaded meanwhile would be the 64-bit one.
struct RealSystemFolder {
    using Disable = BOOL(WINAPI*)(void**);
    using Revert = BOOL(WINAPI*)(void*);
    void* old = nullptr;
    bool off = false;

    RealSystemFolder() {
        if (auto disable = systemFunction<Disable>("KERNEL32", "Wow64DisableWow64FsRedirection"))
            off = disable(&old);
    }
    ~RealSystemFolder() {
        if (auto revert = systemFunction<Revert>("KERNEL32", "Wow64RevertWow64FsRedirection"))
            if (off)
                revert(old);
    }
};

// A failed file call in the words the setup's messages choose from.
const char* fileFailure(DWORD error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "busy";
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
        return "denied";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "full";
    default:
        return "failed";
    }
}

// Why `path` cannot be opened for writing alone (another program has it open or runs
// it, or it may not be written), or 0 when it can or does not exist.
DWORD openError(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return 0;
    }
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? 0 : error;
}

// The folder part of `path`, with its last backslash.
void folderOf(const char* path, char* folder) {
    lstrcpynA(folder, path, kText);
    char* cut = folder;
    for (char* c = folder; *c; c = CharNextA(c))
        if (*c == '\\')
            cut = c + 1;
    *cut = '\0';
}

// A new file of the setup's own in the folder of `path`: the name is one that was free.
bool ownFile(const char* path, char* name) {
    char folder[kText];
    folderOf(path, folder);
    return GetTempFileNameA(folder, "VRN", 0, name) != 0;
}

// A free name of the setup's own in the folder of `path`.
bool freeName(const char* path, char* name) {
    return ownFile(path, name) && DeleteFileA(name);
}

// Lets our own `path` be replaced or deleted: a copy from a CD keeps the read-only
// attribute. Returns the attributes it had, for putting them back when nothing changed.
DWORD writable(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
    return attributes;
}

void restoreAttributes(const char* path, DWORD attributes) {
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesA(path, attributes);
}

// Renames `path` (when it is there) to `old` and `replacement` to `path`. Returns 0, or the
// error with `path` put back as it was; `*stranded` when putting it back failed too: the
// old file is then `old`. The caller deletes what it no longer needs.
DWORD swapIn(const char* replacement, const char* path, const char* old, bool* stranded) {
    *stranded = false;
    bool existed = GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
    if (existed && !MoveFileA(path, old))
        return GetLastError();
    if (MoveFileA(replacement, path))
        return 0;
    DWORD error = GetLastError();
    *stranded = existed && !MoveFileA(old, path);
    return error;
}

// Writes all of `data` to a new file of the setup's own beside `path`; its name in `name`.
DWORD writeBeside(const char* path, const char* data, DWORD size, char* name) {
    if (!ownFile(path, name))
        return GetLastError();
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = 0, written = 0;
    if (file == INVALID_HANDLE_VALUE) {
        error = GetLastError();
    } else {
        if (!WriteFile(file, data, size, &written, nullptr) || written != size || !FlushFileBuffers(file))
            error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        if (!CloseHandle(file) && !error)
            error = GetLastError();
    }
    if (error)
        DeleteFileA(name);
    return error;
}

// Reads all of `path` into a new block (nullptr and an error when it cannot); a missing
// file reads as empty. SYSTEM.INI is a few kilobytes: more than 4 MB is not one.
char* readAll(const char* path, DWORD* size, DWORD* error) {
    *size = 0;
    *error = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        if (*error != ERROR_FILE_NOT_FOUND)
            return nullptr;
        *error = 0;
        return static_cast<char*>(GlobalAlloc(GPTR, 1));
    }
    DWORD length = GetFileSize(file, nullptr), read = 0;
    char* data = nullptr;
    if (length == INVALID_FILE_SIZE || length > 4u << 20)
        *error = length == INVALID_FILE_SIZE ? GetLastError() : ERROR_FILE_TOO_LARGE;
    else if (!(data = static_cast<char*>(GlobalAlloc(GPTR, length + 1))))
        *error = ERROR_NOT_ENOUGH_MEMORY;
    else if (!ReadFile(file, data, length, &read, nullptr) || read != length)
        *error = GetLastError() ? GetLastError() : ERROR_READ_FAULT;
    CloseHandle(file);
    if (*error && data) {
        GlobalFree(data);
        data = nullptr;
    }
    *size = length;
    return data;
}

// Deletes `path`, or has Windows delete it as it starts next when it cannot be now (on the
// NT family a running program's file can be renamed but not deleted).
void deleteNowOrAtRestart(const char* path) {
    if (DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND)
        return;
    using MoveFileEx = BOOL(WINAPI*)(const char*, const char*, DWORD);
    if (isNt()) {
        if (auto move = systemFunction<MoveFileEx>("KERNEL32", "MoveFileExA"))
            move(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        return;
    }
    // The 95 family: a "NUL=" line of WININIT.INI's [rename], by 8.3 name, as Windows
    // documents; written by hand, as the profile functions keep one line per key.
    char shortPath[kText], wininit[MAX_PATH + 16];
    UINT folder = GetWindowsDirectoryA(wininit, MAX_PATH);
    if (!GetShortPathNameA(path, shortPath, kText) || !folder || folder >= MAX_PATH)
        return;
    lstrcatA(wininit, "\\WININIT.INI");
    DWORD length = 0, error = 0;
    char* text = readAll(wininit, &length, &error);
    char line[kText + 8] = "NUL=";
    lstrcatA(lstrcatA(line, shortPath), "\r\n");
    char* edited = text ? static_cast<char*>(GlobalAlloc(GPTR, length + lstrlenA(line) + kSectionSlack)) : nullptr;
    if (edited) {
        DWORD editedLength = static_cast<DWORD>(addToSection(text, length, "rename", line, edited));
        HANDLE file = CreateFileA(wininit, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        if (file != INVALID_HANDLE_VALUE) {
            WriteFile(file, edited, editedLength, &written, nullptr);
            SetEndOfFile(file);
            CloseHandle(file);
        }
        GlobalFree(edited);
    }
    if (text)
        GlobalFree(text);
}

// A failure: its word on top of the stack, the system's error number below it.
void pushError(const Call& call, const char* word, DWORD error) {
    char number[16];
    wsprintfA(number, "%lu", error);
    call.push(number);
    call.push(word);
}

}  // namespace

#define PLUGIN_FUNCTION(name) \
    extern "C" __declspec(dllexport) void __cdecl name(HWND, int size, char*, StackEntry** stack, void*)

// Start: the only setup or uninstaller running on this machine (every session from
// Windows 2000 on). Answers "ok" or "busy"; the mutex lives as long as the process. A
// mutex that can be neither made nor opened (another session's, access denied) is busy.
PLUGIN_FUNCTION(Start) {
    Call call{size, stack};
    HANDLE mutex = CreateMutexA(nullptr, FALSE, isWindows2000OrLater() ? "Global\\VARNO setup" : "VARNO setup");
    call.push(!mutex || GetLastError() == ERROR_ALREADY_EXISTS ? "busy" : "ok");
}

// Machine: "x86", "x64" or "arm64", the processor Windows runs on.
PLUGIN_FUNCTION(Machine) {
    Call call{size, stack};
    Processor machine = nativeMachine();
    call.push(machine == Processor::Arm64 ? "arm64" : machine == Processor::X64 ? "x64" : "x86");
}

// SameUser: "1" when the setup runs as the user of the desktop (the owner of the shell's
// process), whose HKCU it then is; "0" when not, or when that cannot be told. The 95
// family has one user.
PLUGIN_FUNCTION(SameUser) {
    Call call{size, stack};
    if (!isNt()) {
        call.push("1");
        return;
    }
    using ShellWindow = HWND(WINAPI*)();
    auto shellWindow = systemFunction<ShellWindow>("USER32", "GetShellWindow");
    HWND shell = shellWindow ? shellWindow() : nullptr;
    if (!shell)  // the taskbar: also the shell's own, and the one Wine's shell has
        shell = FindWindowA("Shell_TrayWnd", nullptr);
    DWORD shellProcess = 0;
    if (shell)
        GetWindowThreadProcessId(shell, &shellProcess);
    HANDLE processes[2] = {GetCurrentProcess(), nullptr};
    if (shellProcess)
        processes[1] = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, shellProcess);
    if (shellProcess && !processes[1])  // PROCESS_QUERY_LIMITED_INFORMATION, Vista and later
        processes[1] = OpenProcess(0x1000, FALSE, shellProcess);
    union {
        TOKEN_USER user;
        char room[256];
    } users[2];
    // From ADVAPI32, which the setup has loaded; looked up so that nothing of the NT
    // family's security is imported on the 95 family.
    using OpenToken = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE*);
    using TokenInformation = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, void*, DWORD, DWORD*);
    using SameSid = BOOL(WINAPI*)(PSID, PSID);
    auto openToken = systemFunction<OpenToken>("ADVAPI32", "OpenProcessToken");
    auto tokenInformation = systemFunction<TokenInformation>("ADVAPI32", "GetTokenInformation");
    auto sameSid = systemFunction<SameSid>("ADVAPI32", "EqualSid");
    bool known = processes[1] && openToken && tokenInformation && sameSid;
    for (int i = 0; i < 2 && known; ++i) {
        HANDLE token = nullptr;
        DWORD length = 0;
        known = openToken(processes[i], TOKEN_QUERY, &token) &&
                tokenInformation(token, TokenUser, &users[i], sizeof users[i], &length);
        if (token)
            CloseHandle(token);
    }
    if (processes[1])
        CloseHandle(processes[1]);
    call.push(known && sameSid(users[0].user.User.Sid, users[1].user.User.Sid) ? "1" : "0");
}

// SetActive 0|1: screen savers on or off, for this session and in the user's profile
// (without SPIF_UPDATEINIFILE the 95 family forgets it at the next start). "ok", or
// "failed" above the error number.
PLUGIN_FUNCTION(SetActive) {
    Call call{size, stack};
    char active[kText];
    call.pop(active);
    if (SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active[0] == '1', nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE))
        call.push("ok");
    else
        pushError(call, "failed", GetLastError());
}

// ShortPath PATH: the 8.3 form of PATH in the real System32, "" when it does not exist.
PLUGIN_FUNCTION(ShortPath) {
    Call call{size, stack};
    char path[kText], shortPath[kText];
    call.pop(path);
    RealSystemFolder real;
    DWORD length = GetShortPathNameA(path, shortPath, kText);
    call.push(length > 0 && length < kText ? shortPath : "");
}

// Place SOURCE TARGET: copies SOURCE over TARGET (in the real System32), or changes
// nothing. "ok", or "busy", "denied", "full", "failed" or "lost" (the old TARGET could
// not be put back and is gone) above the error number.
PLUGIN_FUNCTION(Place) {
    Call call{size, stack};
    char source[kText], target[kText], copy[kText], old[kText];
    call.pop(source);
    call.pop(target);
    RealSystemFolder real;
    DWORD attributes = writable(target);
    DWORD error = openError(target);
    bool stranded = false;
    if (!error && !ownFile(target, copy))
        error = GetLastError();
    else if (!error) {
        if (!CopyFileA(source, copy, FALSE) || !freeName(target, old))
            error = GetLastError();
        else
            error = swapIn(copy, target, old, &stranded);
        if (error)
            DeleteFileA(copy);
        if (!error || stranded)
            deleteNowOrAtRestart(old);
    }
    if (!error)
        return call.push("ok");
    restoreAttributes(target, attributes);
    pushError(call, stranded ? "lost" : fileFailure(error), error);
}

// Remove TARGET: deletes TARGET in the real System32. "ok" (also when it was not there),
// or "busy", "denied" or "failed" above the error number.
PLUGIN_FUNCTION(Remove) {
    Call call{size, stack};
    char target[kText];
    call.pop(target);
    RealSystemFolder real;
    DWORD attributes = writable(target);
    if (DeleteFileA(target) || GetLastError() == ERROR_FILE_NOT_FOUND)
        return call.push("ok");
    DWORD error = GetLastError();
    restoreAttributes(target, attributes);
    DWORD busy = openError(target);  // a running program's file is "access denied" too
    pushError(call, fileFailure(busy ? busy : error), busy ? busy : error);
}

bool sameBytes(const char* a, DWORD aLength, const char* b, DWORD bLength) {
    bool same = aLength == bLength;
    for (DWORD i = 0; same && i < aLength; ++i)
        same = a[i] == b[i];
    return same;
}

// Whether `path` holds exactly `data`.
bool holds(const char* path, const char* data, DWORD size) {
    DWORD length = 0, error = 0;
    char* text = readAll(path, &length, &error);
    bool same = text && sameBytes(text, length, data, size);
    if (text)
        GlobalFree(text);
    return same;
}

// WriteBoot INI VALUE: the SCRNSAVE.EXE line of INI's [boot] becomes VALUE, or goes when
// VALUE is empty (system_ini.h); every other byte stays. INI is replaced only by a
// complete new copy, and the old one is kept as SYSTEM.VRN beside it until the new one
// reads back as written. "ok"; or, INI untouched, "readonly", "copy" (SYSTEM.VRN is
// already there), "large", "unreadable", "other" (the system reads another value from
// the new text, which is then undone) or "failed" above the error number; or "stranded"
// above it: the old INI could not be put back and is SYSTEM.VRN.
PLUGIN_FUNCTION(WriteBoot) {
    Call call{size, stack};
    char ini[kText], value[kText], copy[kText], kept[kText + 16], readBack[kText];
    call.pop(ini);
    call.pop(value);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini);  // the system's cached edits first
    DWORD attributes = GetFileAttributesA(ini);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return pushError(call, "readonly", ERROR_ACCESS_DENIED);
    DWORD length = 0, error = 0;
    char* text = readAll(ini, &length, &error);
    if (!text)
        return pushError(call, error == ERROR_FILE_TOO_LARGE ? "large" : "unreadable", error);
    char* edited = static_cast<char*>(GlobalAlloc(GPTR, length + lstrlenA(value) + kBootSaverSlack));
    if (!edited) {
        GlobalFree(text);
        return pushError(call, "failed", ERROR_NOT_ENOUGH_MEMORY);
    }
    DWORD editedLength = static_cast<DWORD>(rewriteBootSaver(text, length, value, edited));
    folderOf(ini, kept);
    lstrcatA(kept, "SYSTEM.VRN");
    const char* failure = "failed";
    bool stranded = false, swapped = false;
    if (sameBytes(text, length, edited, editedLength))
        ;
    else if (GetFileAttributesA(kept) != INVALID_FILE_ATTRIBUTES)
        failure = "copy", error = ERROR_ALREADY_EXISTS;
    else if (!(error = writeBeside(ini, edited, editedLength, copy))) {
        error = swapIn(copy, ini, kept, &stranded);
        swapped = !error;
        if (error)
            DeleteFileA(copy);
    }
    DWORD kind = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    if (swapped && attributes != INVALID_FILE_ATTRIBUTES && kind)
        SetFileAttributesA(ini, kind);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini);  // the system reads the new file
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", readBack, kText, ini);
    if (!error && (lstrcmpA(readBack, value) != 0 || !holds(ini, edited, editedLength))) {
        failure = "other", error = ERROR_INVALID_DATA;
        if (swapped && (!freeName(ini, copy) || swapIn(kept, ini, copy, &stranded)))
            stranded = true;  // the new text stays, the old one is SYSTEM.VRN
        else if (swapped)
            swapped = false, deleteNowOrAtRestart(copy);
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini);
    }
    if (swapped && !stranded)
        deleteNowOrAtRestart(kept);
    GlobalFree(text);
    GlobalFree(edited);
    if (error)
        pushError(call, stranded ? "stranded" : failure, error);
    else
        call.push("ok");
}

// The DLL's entry: nothing to set up.
extern "C" BOOL WINAPI varnoPluginEntry(HINSTANCE, DWORD, void*) {
    return TRUE;
}
