// The fault guard: a structured-exception frame around the run modes.
//
// GCC has no __try/__except, so the frame is registered by hand: on i686 an
// exception registration record linked at fs:[0], on x86_64 a language-specific
// handler attached to runGuarded's unwind data. The handler asks the system's
// last-chance filter for its verdict; when the verdict is to handle the fault,
// it runs the cleanup and ends the process with the fault's code.
#include <windows.h>

#include "platform/platform.h"

namespace {

void (*guardCleanup)();

}  // namespace

extern "C" EXCEPTION_DISPOSITION __cdecl varnoGuardHandler(EXCEPTION_RECORD* record, void*, CONTEXT* context, void*) {
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    EXCEPTION_POINTERS pointers = {record, context};
    switch (UnhandledExceptionFilter(&pointers)) {
    case EXCEPTION_EXECUTE_HANDLER:
        if (guardCleanup)
            guardCleanup();
        ExitProcess(record->ExceptionCode);
    case EXCEPTION_CONTINUE_EXECUTION:
        return ExceptionContinueExecution;
    default:
        return ExceptionContinueSearch;
    }
}

#if defined(__x86_64__)

// Keep this function free of objects with destructors and of try/catch: GCC would
// attach its own personality routine and silently replace ours.
__attribute__((noinline)) std::int32_t runGuarded(std::int32_t (*body)(const char*), const char* tail,
                                                  void (*cleanup)()) {
    __asm__(".seh_handler varnoGuardHandler, @except");
    guardCleanup = cleanup;
    const std::int32_t result = body(tail);
    __asm__ __volatile__("nop");  // not a tail call: the frame must stay while body runs
    return result;
}

#elif defined(__i386__)

namespace {

struct GuardRegistration {
    GuardRegistration* next;
    void* handler;
};

}  // namespace

__attribute__((noinline)) std::int32_t runGuarded(std::int32_t (*body)(const char*), const char* tail,
                                                  void (*cleanup)()) {
    guardCleanup = cleanup;
    volatile GuardRegistration registration;
    registration.next = reinterpret_cast<GuardRegistration*>(__readfsdword(0));
    registration.handler = reinterpret_cast<void*>(varnoGuardHandler);
    __writefsdword(0, reinterpret_cast<DWORD>(&registration));
    const std::int32_t result = body(tail);
    __writefsdword(0, reinterpret_cast<DWORD>(registration.next));
    return result;
}

#else
#error "the fault guard supports i686 and x86_64"
#endif
