// Reading the command line: the program name skipped, the switch and the number after it.
#include "host/command_line.h"

namespace {

bool isBlank(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte >= 0x01 && byte <= 0x20;
}

const char* skipSpaces(const char* text) {
    while (*text == ' ')
        ++text;
    return text;
}

}  // namespace

const char* skipProgramName(const char* line, CharacterStep next) {
    const char* t = line;
    if (*t == '"') {
        // Blanks inside the quotes belong to the name; none is needed after them.
        do
            t = next(t);
        while (*t != '\0' && *t != '"');
        if (*t == '"')
            ++t;
    } else if (*t != '\0' && !isBlank(*t)) {
        while (*t != '\0' && !isBlank(*t))
            t = next(t);
    }
    while (isBlank(*t))
        t = next(t);
    return t;
}

SwitchReading readCommandSwitch(const char* tail, std::uint32_t isWin95Family) {
    for (const char* t = tail;; ++t) {
        switch (*t) {
        case '\0':
            return {true, RunMode::configure, false, t};
        case ' ':
        case '-':
        case '/':
            continue;
        case 'a':
        case 'A':
            if (!isWin95Family)
                return {false, RunMode::passwordChange, false, t};
            return {true, RunMode::passwordChange, false, skipSpaces(t + 1)};
        case 'c':
        case 'C':
            return {true, RunMode::configure, true, t + 1};
        case 'p':
        case 'P':
        case 'l':
        case 'L':
            return {true, RunMode::preview, false, skipSpaces(t + 1)};
        case 's':
        case 'S':
            return {true, RunMode::fullScreen, false, t + 1};
        default:
            return {false, RunMode::configure, false, t};
        }
    }
}

std::uint32_t parseDecimal(const char* text) {
    std::uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<std::uint32_t>(*text - '0');
    return value;
}
