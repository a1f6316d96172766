// SYSTEM.INI's [boot] saver line, rewritten line by line (see system_ini.h). Links no C
// runtime: it is part of the setup's plug-in.
#include "installer/system_ini.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// [from, to) is `word` in any case.
bool sameWord(const char* from, const char* to, const char* word) {
    for (; from < to; ++from, ++word)
        if (*word == '\0' || upper(*from) != upper(*word))
            return false;
    return *word == '\0';
}

struct Writer {
    char* out;
    std::size_t length = 0;
    bool atLineStart = true;

    void put(const char* from, const char* to) {
        if (from == to)
            return;
        while (from < to)
            out[length++] = *from++;
        atLineStart = out[length - 1] == '\n';
    }
    void put(const char* text) {
        const char* end = text;
        while (*end)
            ++end;
        put(text, end);
    }
    void endLine() {
        if (!atLineStart)
            put("\r\n");
    }
    void saverLine(const char* value) {
        if (*value == '\0')
            return;
        endLine();
        put("SCRNSAVE.EXE=");
        put(value);
        put("\r\n");
    }
};

}  // namespace

std::size_t rewriteBootSaver(const char* text, std::size_t length, const char* value, char* out) {
    enum { BeforeBoot, InBoot, Done } state = BeforeBoot;
    Writer writer{out};
    const char* end = text + length;
    for (const char* line = text; line < end;) {
        const char* next = line;
        while (next < end && *next != '\n')
            ++next;
        if (next < end)
            ++next;
        const char* start = line;
        while (start < next && isBlank(*start))
            ++start;
        if (start < next && *start == '[') {
            if (state == InBoot) {
                writer.saverLine(value);
                state = Done;
            }
            const char* name = start + 1;
            const char* close = name;
            while (close < next && *close != ']')
                ++close;
            if (state == BeforeBoot && close < next && sameWord(name, close, "boot"))
                state = InBoot;
        } else if (state == InBoot) {
            const char* equals = start;
            while (equals < next && *equals != '=')
                ++equals;
            const char* keyEnd = equals;
            while (keyEnd > start && isBlank(keyEnd[-1]))
                --keyEnd;
            if (equals < next && sameWord(start, keyEnd, "SCRNSAVE.EXE")) {
                writer.saverLine(value);
                state = Done;
                line = next;
                continue;
            }
        }
        writer.put(line, next);
        line = next;
    }
    if (state == BeforeBoot && *value != '\0') {
        writer.endLine();
        writer.put("[boot]\r\n");
        state = InBoot;
    }
    if (state == InBoot)
        writer.saverLine(value);
    return writer.length;
}
