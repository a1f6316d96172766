// Stand-ins for the system's password libraries, one DLL that the tests copy beside the
// saver as PASSWORD.CPL (the verifier) and as MPR.DLL (the password change). Each call
// is appended to calls.log beside the copy. The verifier refuses its first call and
// accepts every later one; with VARNO_VERIFIER_FAULT set it stores through a null
// pointer instead, as a crashing verifier would.
#include <windows.h>

#include <cstdio>

namespace {

HMODULE self;
int* volatile nowhere;  // volatile: the store cannot be dropped

void record(const char* line) {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\')
        --length;
    std::snprintf(path + length, MAX_PATH - length, "calls.log");
    if (FILE* log = std::fopen(path, "ab"))
        std::fputs(line, log), std::fclose(log);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    static int calls;
    if (GetEnvironmentVariableA("VARNO_VERIFIER_FAULT", nullptr, 0) != 0)
        *nowhere = 1;
    char line[80];
    std::snprintf(line, sizeof line, "verify window=%llu call=%d\n", reinterpret_cast<ULONG_PTR>(window), ++calls);
    record(line);
    return calls > 1;
}

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND window,
                                                                 DWORD third, LPVOID fourth) {
    char line[160];
    std::snprintf(line, sizeof line, "change provider=%.40s window=%llu third=%lu fourth=%llu\n",
                  provider ? provider : "(null)", reinterpret_cast<ULONG_PTR>(window), third,
                  reinterpret_cast<ULONG_PTR>(fourth));
    record(line);
    return 0;
}
