// The floor against which the saver's cost is measured: the least a full-screen Win32
// program with the saver's clock can cost. A topmost popup covering the screen, of the
// same window and class styles as the saver's (so its own DC), one window timer of 5 ms
// whose ticks do nothing but get counted, and one paint (black, with a small white
// square in the middle) on the first WM_PAINT. A key or a mouse button ends it.
//
//   user_cost_baseline.exe RESULT-FILE [yield] [dc] [copy]
//
// At the end it writes to RESULT-FILE (a Windows path; "-" for none):
//   ticks N            timer messages received
//   tick_span_ms T     from the first tick to the last
//
// The optional words add per-tick work for taking a saver's tick apart, each on top of
// the ones before it in a tick: "yield" a zero-length Sleep, "dc" GetDC and ReleaseDC of
// the window, "copy" (implies dc) a 237 x 116 block copied window -> memory -> window.
#define _WIN32_WINNT 0x0601
#define WINVER 0x0601
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT_PTR tickTimer = 1;
constexpr UINT tickPeriod = 5;      // milliseconds, as the saver asks for
constexpr int blockWidth = 237;     // the logo (230 x 110) and a step of 7 x 6
constexpr int blockHeight = 116;

const char* resultFile;
bool doYield, doDc, doCopy;
bool painted;
unsigned long ticks;
LARGE_INTEGER frequency, firstTick, lastTick;
HDC blockSurface;

double milliseconds(LONGLONG counts) {
    return 1000.0 * static_cast<double>(counts) / static_cast<double>(frequency.QuadPart);
}

void writeResult() {
    if (std::strcmp(resultFile, "-") == 0)
        return;
    FILE* out = std::fopen(resultFile, "wb");
    if (out == nullptr)
        return;
    std::fprintf(out, "ticks %lu\n", ticks);
    std::fprintf(out, "tick_span_ms %.3f\n",
                 ticks > 1 ? milliseconds(lastTick.QuadPart - firstTick.QuadPart) : 0.0);
    std::fclose(out);
}

void tick(HWND window) {
    QueryPerformanceCounter(&lastTick);
    if (ticks++ == 0)
        firstTick = lastTick;
    if (doYield)
        Sleep(0);
    if (doDc) {
        HDC dc = GetDC(window);
        if (doCopy) {
            if (blockSurface == nullptr) {
                blockSurface = CreateCompatibleDC(dc);
                SelectObject(blockSurface, CreateCompatibleBitmap(dc, blockWidth, blockHeight));
            }
            BitBlt(blockSurface, 0, 0, blockWidth, blockHeight, dc, 100, 100, SRCCOPY);
            BitBlt(dc, 100, 100, blockWidth, blockHeight, blockSurface, 0, 0, SRCCOPY);
        }
        ReleaseDC(window, dc);
    }
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetTimer(window, tickTimer, tickPeriod, nullptr);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers everything
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (!painted) {
            RECT client;
            GetClientRect(window, &client);
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            RECT square = {client.right / 2 - 16, client.bottom / 2 - 16, client.right / 2 + 16,
                           client.bottom / 2 + 16};
            FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
        EndPaint(window, &paint);
        painted = true;
        return 0;
    }
    case WM_TIMER:
        tick(window);
        return 0;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        KillTimer(window, tickTimer);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    QueryPerformanceFrequency(&frequency);
    if (__argc < 2)
        return 2;
    resultFile = __argv[1];
    for (int i = 2; i < __argc; ++i) {
        if (std::strcmp(__argv[i], "yield") == 0)
            doYield = true;
        else if (std::strcmp(__argv[i], "dc") == 0)
            doDc = true;
        else if (std::strcmp(__argv[i], "copy") == 0)
            doDc = doCopy = true;
        else
            return 2;
    }

    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "UserCostBaseline";
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "Baseline",
                                  WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                  0, 0, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance,
                                  nullptr);
    if (window == nullptr)
        return 1;
    SetForegroundWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    writeResult();
    return 0;
}
