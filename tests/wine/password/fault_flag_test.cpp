// The fault guard and the system's screen-saver-running flag, in-process: the saver's
// own hostMain runs "/s", and the full-screen mode is made to fault on purpose, which
// the product itself offers no honest way to do. The link wraps runSaverWindow and
// yieldProcessor (GNU ld --wrap):
//   password_fault_test start     runSaverWindow faults at once: no verifier is loaded
//   password_fault_test loaded    runSaverWindow loads the verifier, then faults
//   password_fault_test timer     the real saver window runs; the third timer message
//                                 faults inside the window procedure
// Each fault is a store through a null pointer. Progress goes to stderr unbuffered, so
// that it interleaves in order with Wine's relay trace.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "host/host.h"

extern "C" {
std::int32_t __real__Z14runSaverWindowPv(WindowHandle parent);
void __real__Z14yieldProcessorv();
}

namespace {

enum class Fault { start, loaded, timer };
Fault fault = Fault::start;
int timerMessages;
int* volatile nowhere = nullptr;  // volatile: the compiler may not drop the store

void say(const char* text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)),
              &written, nullptr);
}

[[noreturn]] void storeThroughNull(const char* where) {
    say("password_fault_test: null store ");
    say(where);
    say("\n");
    *nowhere = 1;
    say("password_fault_test: went on after the fault\n");
    ExitProcess(3);
}

}  // namespace

extern "C" std::int32_t __wrap__Z14runSaverWindowPv(WindowHandle parent) {
    switch (fault) {
    case Fault::start:
        storeThroughNull("before the window");
    case Fault::loaded:
        loadVerifier();
        storeThroughNull("with the verifier loaded");
    case Fault::timer:
        break;
    }
    return __real__Z14runSaverWindowPv(parent);
}

// Called once for each timer message that reaches the saver window's procedure.
extern "C" void __wrap__Z14yieldProcessorv() {
    if (fault == Fault::timer && ++timerMessages == 3)
        storeThroughNull("in the window procedure");
    __real__Z14yieldProcessorv();
}

int main(int argc, char** argv) {
    if (argc != 2) {
        say("usage: password_fault_test start|loaded|timer\n");
        return 2;
    }
    if (std::strcmp(argv[1], "loaded") == 0)
        fault = Fault::loaded;
    else if (std::strcmp(argv[1], "timer") == 0)
        fault = Fault::timer;
    else if (std::strcmp(argv[1], "start") != 0)
        return 2;
    hostMain(GetModuleHandleA(nullptr), "/s");
    say("password_fault_test: hostMain returned\n");
    return 4;
}
