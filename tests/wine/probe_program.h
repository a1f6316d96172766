// What the Windows-side test programs share: handles read from the command line and
// printed back, and a table of subcommands, each printing one line and ending with
// 0 on success, 1 on failure, 2 on misuse.
#pragma once

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

// Handles, messages and parameters are given in decimal or as 0x... hex.
inline ULONG_PTR number(const char* text) {
    return static_cast<ULONG_PTR>(std::strtoull(text, nullptr, 0));
}

inline HWND handle(const char* text) {
    return reinterpret_cast<HWND>(number(text));
}

inline unsigned long long decimal(HWND window) {
    return reinterpret_cast<ULONG_PTR>(window);
}

struct Command {
    const char* name;
    int (*run)(int argc, char** argv);
    const char* usage;
};

// Runs the subcommand argv[1] names with the arguments after it.
template <std::size_t count>
int runCommand(const char* program, const Command (&commands)[count], int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // plain \n line ends for the shell scripts
    if (argc >= 2) {
        for (const Command& command : commands) {
            if (std::strcmp(argv[1], command.name) != 0)
                continue;
            const int result = command.run(argc - 2, argv + 2);
            if (result == 2)
                std::fprintf(stderr, "usage: %s %s\n", program, command.usage);
            return result;
        }
    }
    std::fprintf(stderr, "usage: %s COMMAND ...\n", program);
    for (const Command& command : commands)
        std::fprintf(stderr, "  %s\n", command.usage);
    return 2;
}
