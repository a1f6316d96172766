// How long a full-screen program takes from its start to its first frame on the screen:
// starts it, then reads the whole screen back every couple of milliseconds until the
// program's window covers it (at least half the pixels black) with something drawn on
// it (at least one pixel that is not black). Then it ends the program, waits for the
// screen to clear and a moment more, and goes on with the next start.
//
//   user_cost_first_frame.exe RESULT-FILE ROUNDS COMMAND-LINE...
//
// Each round starts every COMMAND-LINE (one argument each, program and arguments) once,
// in the order given. All starts are made from this one process, so the desktop process
// that Wine starts with the first window of a session stays up, as a user's desktop
// does. RESULT-FILE (a Windows path) gets one line a start:
//   ROUND INDEX window_ms T frame_ms T frame_pixels N poll_ms T read_ms T
// window_ms: start -> the first read-back with the screen at least half black;
// frame_ms: start -> the first one that also shows a pixel that is not black;
// frame_pixels: how many were not black in it; poll_ms: the mean time from one
// read-back to the next; read_ms: the mean time of one read-back. Times are those at
// which a read-back returned: the event lies at most one poll period before. "Start" is
// just before CreateProcess. Exit code 0 when every start showed a frame, 1 when not,
// 2 on misuse.
//
//   user_cost_first_frame.exe --display-off
//   user_cost_first_frame.exe --wake RESULT-FILE ROUNDS
//
// Play the system's part for the full-screen saver: --display-off reports the console
// display off to it, as Windows does (the record in the saver's own memory). --wake then
// reports it on again ROUNDS times, each after a moment off, and writes a line a round:
//   ROUND wake_ms T poll_ms T
// wake_ms: "on" sent -> the first read-back that differs from the screen while off. It
// leaves the display reported off.
#define _WIN32_WINNT 0x0601
#define WINVER 0x0601
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD pollSleep = 2;            // milliseconds between read-backs
constexpr double startTimeoutMs = 20000;  // no frame by then: give up on this start
constexpr DWORD settleMs = 500;           // after a start, before the next

LARGE_INTEGER frequency;

LONGLONG now() {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double milliseconds(LONGLONG counts) {
    return 1000.0 * static_cast<double>(counts) / static_cast<double>(frequency.QuadPart);
}

// The screen is read a row in every `stride`: under Wine a read of a whole 3840 x 2160
// screen takes some 170 ms, too coarse a clock for a first frame; a row in four keeps a
// read of it near that of 800 x 600, and still sees the baseline's 32 x 32 square.
struct Screen {
    int width = 0, height = 0, stride = 1, rows = 0;
    HDC screen = nullptr, memory = nullptr;
    const DWORD* pixels = nullptr;

    bool open() {
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
        stride = height > 600 ? (height + 539) / 540 : 1;
        rows = (height + stride - 1) / stride;
        screen = GetDC(nullptr);
        memory = CreateCompatibleDC(screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -rows;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (screen == nullptr || memory == nullptr || bitmap == nullptr)
            return false;
        SelectObject(memory, bitmap);
        pixels = static_cast<const DWORD*>(bits);
        return true;
    }

    long lit = 0;  // pixels that are not black, at the last read-back

    void read() {
        if (stride == 1)
            BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
        for (int row = 0; stride > 1 && row < rows; ++row)
            BitBlt(memory, 0, row, width, 1, screen, 0, row * stride, SRCCOPY);
        GdiFlush();
    }

    // Reads the screen back; true when it is at least half black, and then *drawn
    // tells whether any pixel is not black.
    bool covered(bool* drawn) {
        read();
        const long total = static_cast<long>(width) * rows;
        long black = 0;
        for (long i = 0; i < total; ++i)
            black += (pixels[i] & 0xFFFFFF) == 0;
        lit = total - black;
        *drawn = black < total;
        return black * 2 >= total;
    }
};

struct Outcome {
    double windowMs = -1, frameMs = -1, pollMs = 0, readMs = 0;
    long framePixels = 0;
};

// One start of the command line; false when it could not be started.
bool measure(Screen& screen, std::string commandLine, Outcome* outcome) {
    // Start on a screen that nothing covers (the X server's own background).
    bool drawn = false;
    const LONGLONG waitStart = now();
    while (screen.covered(&drawn)) {
        if (milliseconds(now() - waitStart) > 5000) {
            std::fprintf(stderr, "first_frame: the screen is already covered\n");
            return false;
        }
        Sleep(20);
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const LONGLONG start = now();
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "first_frame: cannot start %s (%lu)\n", commandLine.c_str(), GetLastError());
        return false;
    }

    long polls = 0;
    LONGLONG last = start;
    bool ended = false;
    for (;;) {
        const LONGLONG before = now();
        const bool covered = screen.covered(&drawn);
        last = now();
        outcome->readMs += milliseconds(last - before);
        ++polls;
        if (covered && outcome->windowMs < 0)
            outcome->windowMs = milliseconds(last - start);
        if (covered && drawn) {
            outcome->frameMs = milliseconds(last - start);
            outcome->framePixels = screen.lit;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            ended = true;
            std::fprintf(stderr, "first_frame: %s ended before its first frame\n", commandLine.c_str());
            break;
        }
        if (milliseconds(last - start) > startTimeoutMs)
            break;
        Sleep(pollSleep);
    }
    outcome->pollMs = milliseconds(last - start) / polls;
    outcome->readMs /= polls;

    if (!ended)
        TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    // The window gone from the screen (the next start waits a moment more).
    const LONGLONG gone = now();
    while (screen.covered(&drawn) && milliseconds(now() - gone) < 5000)
        Sleep(20);
    return true;
}

// GUID_CONSOLE_DISPLAY_STATE: 0 off, 1 on.
constexpr GUID consoleDisplayState = {0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}};

bool reportDisplay(HWND window, DWORD state) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    const struct {
        GUID setting;
        DWORD length, value;
    } record = {consoleDisplayState, sizeof(DWORD), state};
    const HANDLE target = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process);
    void* remote = target ? VirtualAllocEx(target, nullptr, sizeof record, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    DWORD_PTR answer = 0;
    const bool sent = remote && WriteProcessMemory(target, remote, &record, sizeof record, nullptr) &&
                      SendMessageTimeoutA(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                                          reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &answer);
    if (remote)
        VirtualFreeEx(target, remote, 0, MEM_RELEASE);
    if (target)
        CloseHandle(target);
    return sent;
}

int wake(const char* resultFile, long rounds) {
    HWND saver = nullptr;
    for (int tries = 0; tries < 200 && !(saver = FindWindowA("WindowsScreenSaverClass", "Screen Saver")); ++tries)
        Sleep(50);  // the saver may not have shown its window yet
    Screen screen;
    if (saver == nullptr || !screen.open() || !reportDisplay(saver, 0)) {
        std::fprintf(stderr, "first_frame: no saver to report the display to\n");
        return 1;
    }
    FILE* out = resultFile ? std::fopen(resultFile, "wb") : nullptr;
    const long total = static_cast<long>(screen.width) * screen.rows;
    for (long round = 0; out && round < rounds; ++round) {
        Sleep(settleMs);  // the last frame on the screen
        screen.read();
        const std::vector<DWORD> off(screen.pixels, screen.pixels + total);
        const LONGLONG start = now();
        if (!reportDisplay(saver, 1))
            return 1;
        long polls = 0;
        double wakeMs = -1;
        for (LONGLONG last = start; wakeMs < 0 && milliseconds(last - start) < startTimeoutMs; Sleep(pollSleep)) {
            screen.read();
            last = now();
            ++polls;
            if (!std::equal(off.begin(), off.end(), screen.pixels))
                wakeMs = milliseconds(last - start);
        }
        std::fprintf(out, "%ld wake_ms %.3f poll_ms %.3f\n", round, wakeMs, milliseconds(now() - start) / polls);
        if (wakeMs < 0 || !reportDisplay(saver, 0))
            return 1;
    }
    return out && std::fclose(out) == 0 ? 0 : resultFile != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    QueryPerformanceFrequency(&frequency);
    if (argc == 2 && std::strcmp(argv[1], "--display-off") == 0)
        return wake(nullptr, 0);
    if (argc == 4 && std::strcmp(argv[1], "--wake") == 0)
        return wake(argv[2], std::strtol(argv[3], nullptr, 10));
    if (argc < 4)
        return 2;
    const char* resultFile = argv[1];
    const long rounds = std::strtol(argv[2], nullptr, 10);
    if (rounds < 1)
        return 2;

    Screen screen;
    if (!screen.open()) {
        std::fprintf(stderr, "first_frame: cannot read the screen back\n");
        return 1;
    }
    FILE* out = std::fopen(resultFile, "wb");
    if (out == nullptr)
        return 1;
    bool allSeen = true;
    for (long round = 0; round < rounds; ++round) {
        for (int index = 3; index < argc; ++index) {
            Outcome outcome;
            if (round > 0 || index > 3)
                Sleep(settleMs);  // for what the last one's end set going
            if (!measure(screen, argv[index], &outcome)) {
                std::fclose(out);
                return 1;
            }
            allSeen = allSeen && outcome.frameMs >= 0;
            std::fprintf(out,
                         "%ld %d window_ms %.3f frame_ms %.3f frame_pixels %ld poll_ms %.3f "
                         "read_ms %.3f\n",
                         round, index - 3, outcome.windowMs, outcome.frameMs, outcome.framePixels, outcome.pollMs,
                         outcome.readMs);
            std::fflush(out);
        }
    }
    std::fclose(out);
    return allSeen ? 0 : 1;
}
