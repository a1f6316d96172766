// What the password tests need to see or do from inside Wine beyond the shared driver:
//   close-burst WINDOW  sends WM_CLOSE to WINDOW twice back to back, then once more
//                       when 300 ms have passed since the second was answered, and
//                       prints each answer with GetTickCount before and after it:
//                       first=R first.start=T first.end=T second=R ... third=R ...
//   foreground          prints the window that GetForegroundWindow returns and its class
//                       name: foreground=H class=NAME (class=- for no window)
// Every command prints one line and ends with 0, or 2 on misuse.
#define _WIN32_WINNT 0x0601
#define WINVER 0x0601
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Request {
    DWORD start, end;
    LRESULT answer;
};

Request sendClose(HWND window) {
    Request request;
    request.start = GetTickCount();
    request.answer = SendMessageA(window, WM_CLOSE, 0, 0);
    request.end = GetTickCount();
    return request;
}

int closeBurst(HWND window) {
    Request requests[3];
    requests[0] = sendClose(window);
    requests[1] = sendClose(window);
    while (GetTickCount() - requests[1].end < 300)
        Sleep(10);
    requests[2] = sendClose(window);
    static const char* const names[] = {"first", "second", "third"};
    for (int i = 0; i < 3; ++i)
        std::printf("%s%s=%lld %s.start=%lu %s.end=%lu", i ? " " : "", names[i],
                    static_cast<long long>(requests[i].answer), names[i], requests[i].start,
                    names[i], requests[i].end);
    std::printf("\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // plain \n line ends for the shell scripts
    if (argc == 3 && std::strcmp(argv[1], "close-burst") == 0)
        return closeBurst(reinterpret_cast<HWND>(std::strtoull(argv[2], nullptr, 0)));
    if (argc == 2 && std::strcmp(argv[1], "foreground") == 0) {
        const HWND window = GetForegroundWindow();
        char name[256] = "-";
        if (window)
            GetClassNameA(window, name, sizeof name);
        std::printf("foreground=%llu class=%s\n",
                    static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(window)), name);
        return 0;
    }
    std::fprintf(stderr, "usage: probe close-burst WINDOW | probe foreground\n");
    return 2;
}
