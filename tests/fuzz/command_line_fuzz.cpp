// Raw command lines against a small, separately written model of the switch table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/command_line.h"

namespace {

const char* byteStep(const char* text) { return *text ? text + 1 : text; }

struct Expected {
    bool recognised;
    RunMode mode;
    bool owner;
    std::uint32_t handle;
};

bool blank(unsigned char c) { return c >= 1 && c <= 0x20; }

std::uint32_t digits(const std::string& s, std::size_t i) {
    std::uint64_t value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i)
        value = (value * 10 + static_cast<unsigned>(s[i] - '0')) & 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(value);
}

Expected model(const std::string& line, bool win95) {
    std::size_t i = 0;
    const auto at = [&](std::size_t k) { return k < line.size() ? static_cast<unsigned char>(line[k]) : 0; };
    if (at(0) == '"') {
        i = line.find('"', 1);
        i = i == std::string::npos ? line.size() : i + 1;
    } else {
        while (at(i) != 0 && !blank(at(i)))
            ++i;
    }
    while (blank(at(i)))
        ++i;
    while (at(i) == ' ' || at(i) == '-' || at(i) == '/')
        ++i;
    const unsigned char letter = at(i);
    std::size_t rest = i + 1;
    while (at(rest) == ' ')
        ++rest;
    switch (letter | 0x20) {
    case 0x20:  // the end of the line (NUL | 0x20) or a space, which was skipped above
        if (letter == 0)
            return {true, RunMode::configure, false, 0};
        break;
    case 'c':
        return {true, RunMode::configure, true, 0};
    case 's':
        return {true, RunMode::fullScreen, false, 0};
    case 'p':
    case 'l':
        return {true, RunMode::preview, false, digits(line, rest)};
    case 'a':
        if (win95)
            return {true, RunMode::passwordChange, false, digits(line, rest)};
        break;
    }
    return {false, RunMode::configure, false, 0};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool win95 = data[0] & 1;
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    line = line.substr(0, line.find('\0'));  // the command line is a C string

    const char* tail = skipProgramName(line.c_str(), byteStep);
    const SwitchReading reading = readCommandSwitch(tail, win95);
    const Expected expected = model(line, win95);
    bool agree = reading.recognised == expected.recognised;
    if (agree && expected.recognised) {
        agree = reading.mode == expected.mode && reading.ownedByForeground == expected.owner;
        if (reading.mode == RunMode::preview || reading.mode == RunMode::passwordChange)
            agree = agree && parseDecimal(reading.rest) == expected.handle;
    }
    if (!agree)
        std::abort();
    return 0;
}
