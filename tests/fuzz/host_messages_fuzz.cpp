// Random message sequences through the saver window's handlers. Whatever arrives:
// the preview never closes or hides anything, a close is allowed only by the
// password check on the Windows 95 family, and the mouse anchor moves only when a
// movement asks to close or a refused check re-takes it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "host/host.h"
#include "tests/native/fake_platform.h"

namespace {

const std::uint32_t messages[] = {WM_KEYDOWN,    WM_SYSKEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_ACTIVATEAPP, WM_SETCURSOR,
                                  WM_SHOWWINDOW, WM_CLOSE,      WM_PAINT,     WM_SYSCOMMAND,  WM_HELP,        WM_SETTEXT,     WM_VERIFY,      WM_CONTEXTMENU};
const WParam commands[] = {SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE, SC_CLOSE, 0, 1};

struct Input {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::uint8_t next() { return at < size ? data[at++] : 0; }
    bool more() const { return at < size; }
};

Input* input;
// The anchor and the close verdict as the last delivery left them: a delivery nested
// inside the verifier accounts for its own changes.
Point knownAnchor;
std::intptr_t knownConfirmed;

void require(bool condition) {
    if (!condition)
        std::abort();
}

void deliver(std::uint32_t message, WParam wParam) {
    if (!fake.windows.count(fakeSaverWindow))
        return;
    const Effects outer = fake.effects;  // a nested delivery's effects are the outer's too
    fake.effects = 0;
    hostWindowProcedure(fakeSaverWindow, message, wParam, 0);
    const Effects effects = fake.effects;
    fake.effects |= outer;
    if (host.isPreview)
        require(!(effects & (CLOSES | HIDES)) && host.closeConfirmed == 0);
    if (!host.isWin95Family)
        require(host.closeConfirmed == 0);
    if (host.closeConfirmed != knownConfirmed)
        require(knownConfirmed == 0 && message == WM_CLOSE);
    knownConfirmed = host.closeConfirmed;
    if (knownAnchor.x != host.mouseAnchor.x || knownAnchor.y != host.mouseAnchor.y)
        require((message == WM_MOUSEMOVE && (effects & CLOSES)) || (message == WM_CLOSE && host.closeConfirmed == 0 && host.isWin95Family));
    knownAnchor = host.mouseAnchor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in{data, size};
    input = &in;
    const std::uint8_t setup = in.next();
    openWindow((setup & 1 ? PREVIEW : FULL) | (setup & 2 ? WIN95 : NT) | (setup & 4 ? VERIFIER : 0));
    // The verifier answers from the input and may dispatch a message of its own meanwhile.
    fake.verifier = [](WindowHandle) -> std::intptr_t {
        const std::uint8_t byte = input->next();
        if (byte & 0x80)
            deliver(messages[byte % 16], 0);
        return byte & 1;
    };
    hostWindowProcedure(fakeSaverWindow, WM_CREATE, 0, 0);
    knownAnchor = host.mouseAnchor;
    knownConfirmed = 0;

    for (int steps = 0; in.more() && steps < 200; ++steps) {
        const std::uint8_t what = in.next();
        const std::uint8_t argument = in.next();
        fake.cursor.x += static_cast<std::int8_t>(argument) % 4;
        fake.cursor.y += static_cast<std::int8_t>(argument >> 2) % 4;
        fake.milliseconds += argument;
        const std::uint32_t message = messages[what % 16];
        deliver(message, message == WM_SYSCOMMAND ? commands[argument % 6] : argument & 1);
        while (!fake.queue.empty()) {
            const QueuedMessage posted = fake.queue.front();
            fake.queue.pop_front();
            if (posted.window == fakeSaverWindow)
                deliver(posted.message, posted.wParam);
        }
    }
    return 0;
}
