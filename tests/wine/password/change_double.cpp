// A stand-in for the network provider library's password change, built as MPR.DLL for
// the end-to-end tests of "/a". It appends what it was given to change.log in its own
// folder, one line per call:
//   provider=NAME parent=H third=N fourth=P tick=T
// and returns 0 at once. Wine loads it instead of its own MPR.DLL only with "mpr=n" in
// WINEDLLOVERRIDES.
#define _WIN32_WINNT 0x0601
#define WINVER 0x0601
#include <windows.h>

#include <cstdio>

namespace {

HMODULE self;

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND parent,
                                                                 DWORD third, LPVOID fourth) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/')
        --length;
    std::snprintf(path + length, MAX_PATH - length, "change.log");
    char line[512];
    const int size = std::snprintf(
        line, sizeof line, "provider=%s parent=%llu third=%lu fourth=%llu tick=%lu\n",
        provider ? provider : "(null)",
        static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(parent)),
        static_cast<unsigned long>(third),
        static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(fourth)), GetTickCount());
    const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line, size > 0 ? static_cast<DWORD>(size) : 0, &written, nullptr);
        CloseHandle(file);
    }
    return 0;
}
