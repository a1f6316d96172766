// The fault guard of the run modes, under Wine:
//   fault_guard_test fault   a null store inside runGuarded; the system's last-chance
//                            filter decides, the cleanup runs, the process ends with
//                            the fault's code. Nothing after runGuarded may run.
//   fault_guard_test value   a body that does not fault: runGuarded returns its value.
// Progress goes to stderr unbuffered, so that it interleaves in order with Wine's
// relay trace of UnhandledExceptionFilter.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace {

int* volatile nowhere = nullptr;  // volatile: the compiler may not drop the store

void say(const char* text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)),
              &written, nullptr);
}

std::int32_t storeThroughNull(void*) {
    say("fault_guard_test: body stores through a null pointer\n");
    *nowhere = 1;
    say("fault_guard_test: body went on after the fault\n");
    return 7;
}

std::int32_t returnArgument(void* argument) {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(argument));
}

void cleanup() {
    say("fault_guard_test: cleanup ran\n");
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // plain \n line ends for the shell scripts
    if (argc == 2 && std::strcmp(argv[1], "fault") == 0) {
        const std::int32_t result = runGuarded(storeThroughNull, nullptr, cleanup);
        std::fprintf(stderr, "fault_guard_test: runGuarded returned %ld\n",
                     static_cast<long>(result));
        return 3;
    }
    if (argc == 2 && std::strcmp(argv[1], "value") == 0) {
        const std::int32_t result =
            runGuarded(returnArgument, reinterpret_cast<void*>(std::intptr_t{1234567}), cleanup);
        std::printf("returned %ld\n", static_cast<long>(result));
        return 0;
    }
    std::fprintf(stderr, "usage: fault_guard_test fault|value\n");
    return 2;
}
