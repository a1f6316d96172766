// The 95 family's INI files, edited line by line (see system_ini.h). Links no C
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

// The line [start, next) opens the section `name`.
bool opens(const char* start, const char* next, const char* name) {
    if (start == next || *start != '[')
        return false;
    const char* close = ++start;
    while (close < next && *close != ']')
        ++close;
    return close < next && sameWord(start, close, name);
}

// The end of the line at `line` (after its line break).
const char* lineEnd(const char* line, const char* end) {
    while (line < end && *line != '\n')
        ++line;
    return line < end ? line + 1 : line;
}

const char* skipBlanks(const char* from, const char* to) {
    while (from < to && isBlank(*from))
        ++from;
    return from;
}

}  // namespace

std::size_t addToSection(const char* text, std::size_t length, const char* section, const char* line, char* out) {
    Writer writer{out};
    const char* end = text + length;
    const char* at = text;
    while (at < end && !opens(skipBlanks(at, end), lineEnd(at, end), section))
        at = lineEnd(at, end);
    if (at < end) {
        at = lineEnd(at, end);
        writer.put(text, at);
        writer.endLine();
    } else {
        writer.put(text, end);
        writer.endLine();
        writer.put("[");
        writer.put(section);
        writer.put("]\r\n");
    }
    writer.put(line);
    writer.put(at, end);
    return writer.length;
}

std::size_t rewriteBootSaver(const char* text, std::size_t length, const char* value, char* out) {
    enum { BeforeBoot, InBoot, Done } state = BeforeBoot;
    Writer writer{out};
    const char* end = text + length;
    for (const char* line = text; line < end;) {
        const char* next = lineEnd(line, end);
        const char* start = skipBlanks(line, next);
        if (start < next && *start == '[') {
            if (state == InBoot) {
                writer.saverLine(value);
                state = Done;
            }
            if (state == BeforeBoot && opens(start, next, "boot"))
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
