// Reading the command line: pure functions of its text and the platform flag.
#pragma once

#include <cstdint>

#include "host/host.h"

// Steps one character on; the product passes the code-page-aware platform step.
using CharacterStep = const char* (*)(const char*);

// The command tail: the line after the program name and the blanks behind it.
const char* skipProgramName(const char* line, CharacterStep next);

struct SwitchReading {
    bool recognised;  // false: an unknown byte, or 'a' off the Windows 95 family
    RunMode mode;
    bool ownedByForeground;  // configure: 'c' gives the foreground window as owner
    const char* rest;        // preview and passwordChange: what follows the letter and spaces
};

SwitchReading readCommandSwitch(const char* tail, std::uint32_t isWin95Family);

std::uint32_t parseDecimal(const char* text);
