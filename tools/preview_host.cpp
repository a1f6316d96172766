// The saver's preview in a window of its own, as the display settings would host it, with
// the saver's host and scene running in this same process: Wine shows no child window of
// another process (VARNO.scr /p HANDLE runs there, but nothing of it is seen or read back).
// It carries the saver's own code and resources; tools/run.sh starts it.
//   preview_host W H                 a W x H preview until its window is closed
//   preview_host W H SECONDS FILE    after SECONDS, writes the preview's pixels to FILE (PPM)
//                                    and ends; 1 when there was nothing to read back
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "host/host.h"

namespace {

const char* frameFile;
bool frameWritten;

void CALLBACK readBack(HWND parent, UINT, UINT_PTR timer, DWORD) {
    KillTimer(parent, timer);
    const HWND preview = reinterpret_cast<HWND>(host.saverWindow);
    RECT client;
    FILE* file = nullptr;
    if (preview && GetClientRect(preview, &client) && (file = std::fopen(frameFile, "wb"))) {
        std::fprintf(file, "P6\n%ld %ld\n255\n", client.right, client.bottom);
        const HDC surface = GetDC(preview);
        for (LONG y = 0; y < client.bottom; ++y)
            for (LONG x = 0; x < client.right; ++x) {
                const COLORREF colour = GetPixel(surface, x, y);
                const unsigned char rgb[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
                std::fwrite(rgb, 1, 3, file);
            }
        ReleaseDC(preview, surface);
        frameWritten = std::fclose(file) == 0;
    }
    DestroyWindow(parent);  // and with it the preview, which ends the saver's loop
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5)
        return std::fputs("usage: preview_host W H [SECONDS FILE]\n", stderr), 2;
    RECT frame = {0, 0, std::atoi(argv[1]), std::atoi(argv[2])};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    const HWND parent = CreateWindowExA(0, "STATIC", "VARNO preview", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30,
                                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                        nullptr, nullptr);
    if (!parent)
        return 1;
    if (argc == 5) {
        frameFile = argv[4];
        SetTimer(parent, 1, static_cast<UINT>(std::atof(argv[3]) * 1000), readBack);
    }
    char tail[32];
    std::snprintf(tail, sizeof tail, "/p %llu", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(parent)));
    const int exitCode = hostMain(ownModule(), tail);
    return argc == 5 && !frameWritten ? 1 : exitCode;
}
