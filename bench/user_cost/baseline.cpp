// The floor against which the saver's cost is measured: the least a full-screen Win32
// program with the saver's clock can cost. A topmost popup covering the screen, of the
// same window and class styles as the saver's (so its own DC), one window timer of 5 ms
// whose ticks get counted, and one paint (black, with a small white square in the
// middle) on the first WM_PAINT. A key or a mouse button ends it.
//
//   user_cost_baseline.exe RESULT-FILE [STEP]
//
// At the end it writes to RESULT-FILE (a Windows path; "-" for none):
//   ticks N            timer messages received
//   tick_span_ms T     from the first tick to the last
//
// Without STEP a tick does nothing. STEP adds the saver's per-tick platform work, each
// step with the work of the ones before it:
//   yield   a zero-length Sleep
//   dc      GetDC and ReleaseDC of the window
//   window  the logo's region copied window -> memory -> window
//   copies  all seven block copies of the saver's tick, in its order: the two window
//           copies above and five between memory surfaces, two of them through the
//           logo's mask (AND) and image (OR)
#define _WIN32_WINNT 0x0601
#define WINVER 0x0601
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT_PTR tickTimer = 1;
constexpr UINT tickPeriod = 5;  // milliseconds, as the saver asks for
constexpr int logoWidth = 230;
constexpr int logoHeight = 110;
constexpr int step = 7;  // the largest step of the saver's logo, and so its largest region
constexpr int regionWidth = logoWidth + step;
constexpr int regionHeight = logoHeight + step;
constexpr int logoX = 100, logoY = 100;  // on the black of the paint

enum Step { none, yield, dc, window, copies };
const char* const stepNames[] = {"", "yield", "dc", "window", "copies"};

const char* resultFile;
Step work = none;
bool painted;
unsigned long ticks;
LARGE_INTEGER frequency, firstTick, lastTick;

// The saver's memory surfaces: all compatible with the window, as it makes them.
struct Surfaces {
    HDC underLogo, scratch, compose, mask, image;
} surfaces;

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
    std::fprintf(out, "tick_span_ms %.3f\n", ticks > 1 ? milliseconds(lastTick.QuadPart - firstTick.QuadPart) : 0.0);
    std::fclose(out);
}

HDC newSurface(HDC windowDc, int width, int height) {
    HDC surface = CreateCompatibleDC(windowDc);
    SelectObject(surface, CreateCompatibleBitmap(windowDc, width, height));
    return surface;
}

void makeSurfaces(HDC windowDc) {
    surfaces.underLogo = newSurface(windowDc, regionWidth, regionHeight);
    surfaces.scratch = newSurface(windowDc, regionWidth, regionHeight);
    surfaces.compose = newSurface(windowDc, regionWidth, regionHeight);
    surfaces.mask = newSurface(windowDc, logoWidth, logoHeight);
    surfaces.image = newSurface(windowDc, logoWidth, logoHeight);
}

// The saver's tick for a logo moving by (+step, +step) that stays where it is.
void copyRegion(HDC windowDc) {
    const Surfaces& s = surfaces;
    if (work < copies) {
        BitBlt(s.underLogo, 0, 0, regionWidth, regionHeight, windowDc, logoX, logoY, SRCCOPY);
        BitBlt(windowDc, logoX, logoY, regionWidth, regionHeight, s.underLogo, 0, 0, SRCCOPY);
        return;
    }
    BitBlt(s.scratch, 0, 0, regionWidth, regionHeight, s.underLogo, 0, 0, SRCCOPY);
    BitBlt(s.underLogo, 0, 0, regionWidth, regionHeight, windowDc, logoX, logoY, SRCCOPY);
    BitBlt(s.underLogo, 0, 0, logoWidth, logoHeight, s.scratch, step, step, SRCCOPY);
    BitBlt(s.compose, 0, 0, regionWidth, regionHeight, s.scratch, 0, 0, SRCCOPY);
    BitBlt(s.compose, step, step, logoWidth, logoHeight, s.mask, 0, 0, SRCAND);
    BitBlt(s.compose, step, step, logoWidth, logoHeight, s.image, 0, 0, SRCPAINT);
    BitBlt(windowDc, logoX, logoY, regionWidth, regionHeight, s.compose, 0, 0, SRCCOPY);
}

void tick(HWND hwnd) {
    QueryPerformanceCounter(&lastTick);
    if (ticks++ == 0)
        firstTick = lastTick;
    if (work >= yield)
        Sleep(0);
    if (work >= dc) {
        HDC windowDc = GetDC(hwnd);
        if (work >= window) {
            if (surfaces.underLogo == nullptr)
                makeSurfaces(windowDc);
            copyRegion(windowDc);
        }
        ReleaseDC(hwnd, windowDc);
    }
}

LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        SetTimer(hwnd, tickTimer, tickPeriod, nullptr);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers everything
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        if (!painted) {
            RECT client;
            GetClientRect(hwnd, &client);
            FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            RECT square = {client.right / 2 - 16, client.bottom / 2 - 16, client.right / 2 + 16,
                           client.bottom / 2 + 16};
            FillRect(dc, &square, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        }
        EndPaint(hwnd, &paint);
        painted = true;
        return 0;
    }
    case WM_TIMER:
        tick(hwnd);
        return 0;
    case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, tickTimer);
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    QueryPerformanceFrequency(&frequency);
    if (__argc < 2 || __argc > 3)
        return 2;
    resultFile = __argv[1];
    if (__argc == 3) {
        int known = copies;
        while (known > none && std::strcmp(__argv[2], stepNames[known]) != 0)
            --known;
        if (known == none)
            return 2;
        work = static_cast<Step>(known);
    }

    WNDCLASSA windowClass = {};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_OWNDC;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "UserCostBaseline";
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND hwnd = CreateWindowExA(
        WS_EX_TOPMOST, windowClass.lpszClassName, "Baseline", WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
        0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr)
        return 1;
    SetForegroundWindow(hwnd);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    writeResult();
    return 0;
}
