// Stand-ins for the system's password libraries, one DLL that the tests copy beside the
// saver as PASSWORD.CPL (the verifier) and as MPR.DLL (the password change). Each call
// is appended to the file VARNO_CALLS_LOG names. The verifier refuses its first call
// and accepts every later one; with VARNO_VERIFIER_FAULT set it stores through a null
// pointer instead, as a crashing verifier would.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

int* volatile nowhere;  // volatile: the store cannot be dropped

unsigned long long number(const void* handle) { return reinterpret_cast<ULONG_PTR>(handle); }

void record(const char* line) {
    const char* path = std::getenv("VARNO_CALLS_LOG");
    if (FILE* log = path ? std::fopen(path, "ab") : nullptr)
        std::fputs(line, log), std::fclose(log);
}

}  // namespace

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
    static int calls;
    if (std::getenv("VARNO_VERIFIER_FAULT"))
        *nowhere = 1;
    char line[80];
    std::snprintf(line, sizeof line, "verify window=%llu call=%d\n", number(window), ++calls);
    record(line);
    return calls > 1;
}

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND window, DWORD third, LPVOID fourth) {
    char line[160];
    std::snprintf(line, sizeof line, "change provider=%.40s window=%llu third=%lu fourth=%llu\n", provider ? provider : "(null)", number(window), third,
                  number(fourth));
    record(line);
    return 0;
}
