// The process entry of the saver, which links no C runtime: it hands WinMain the
// module and the command tail and ends the process with its result. Also the two
// functions that GCC may call for block copies and fills.
#include <windows.h>

#include <cstddef>

#include "platform/platform.h"

// The linker's entry (-e); the system calls it with no arguments we need.
extern "C" [[noreturn]] void varnoStartup() {
    char* tail = const_cast<char*>(commandTail());
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, tail, SW_SHOWDEFAULT)));
}

// Without this attribute GCC recognises the loops as a copy and a fill and compiles
// them into calls to memcpy and memset: themselves.
#define NO_LIBRARY_CALLS __attribute__((optimize("no-tree-loop-distribute-patterns")))

extern "C" NO_LIBRARY_CALLS void* memcpy(void* target, const void* source, std::size_t size) {
    auto* to = static_cast<unsigned char*>(target);
    const auto* from = static_cast<const unsigned char*>(source);
    while (size--)
        *to++ = *from++;
    return target;
}

extern "C" NO_LIBRARY_CALLS void* memset(void* target, int value, std::size_t size) {
    auto* to = static_cast<unsigned char*>(target);
    while (size--)
        *to++ = static_cast<unsigned char>(value);
    return target;
}
