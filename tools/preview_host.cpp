// The saver's preview in a window of its own, as the display settings would host it, with
// the saver's host and scene running in this same process: Wine shows no child window of
// another process (VARNO.scr /p HANDLE runs there, but nothing of it is seen or read back).
// It carries the saver's own code and resources; tools/run.sh and the Wine tests start it.
// Its window can be resized, and the preview with it.
//   preview_host W H                 a W x H preview until its window is closed
//   preview_host W H SECONDS FILE    after SECONDS, writes the preview's pixels to FILE (PPM)
//                                    and ends; 1 when there was nothing to read back
//   ... SECONDS FILE W2 H2           the same, the window resized to a W2 x H2 client halfway
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "host/host.h"

namespace {

const char* frameFile;
bool frameWritten;
int newWidth, newHeight;
WNDPROC staticProcedure;

// As a resizable host does, the preview fills the client area whatever its size.
LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && host.saverWindow)
        MoveWindow(reinterpret_cast<HWND>(host.saverWindow), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return CallWindowProcA(staticProcedure, window, message, wParam, lParam);
}

RECT frameFor(int width, int height) {
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    return frame;
}

void CALLBACK resize(HWND parent, UINT, UINT_PTR timer, DWORD) {
    KillTimer(parent, timer);
    const RECT frame = frameFor(newWidth, newHeight);
    SetWindowPos(parent, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
}

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
    if (argc != 3 && argc != 5 && argc != 7)
        return std::fputs("usage: preview_host W H [SECONDS FILE [W2 H2]]\n", stderr), 2;
    const RECT frame = frameFor(std::atoi(argv[1]), std::atoi(argv[2]));
    const HWND parent =
        CreateWindowExA(0, "STATIC", "VARNO preview", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30,
                        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
    if (!parent)
        return 1;
    staticProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hostProcedure)));
    const UINT seconds = argc >= 5 ? static_cast<UINT>(std::atof(argv[3]) * 1000) : 0;
    if (argc >= 5) {
        frameFile = argv[4];
        SetTimer(parent, 1, seconds, readBack);
    }
    if (argc == 7) {
        newWidth = std::atoi(argv[5]), newHeight = std::atoi(argv[6]);
        SetTimer(parent, 2, seconds / 2, resize);
    }
    char tail[32];
    std::snprintf(tail, sizeof tail, "/p %llu", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(parent)));
    const int exitCode = hostMain(ownModule(), tail);
    return argc >= 5 && !frameWritten ? 1 : exitCode;
}
