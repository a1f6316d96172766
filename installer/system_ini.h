// The edits the setup makes to the Windows 95 family's INI files: the screen saver line of
// SYSTEM.INI's [boot], a line of WININIT.INI's [rename]. Bytes in, bytes out, no Windows
// headers: the setup's plug-in does the file work, the native tests check the text.
#pragma once

#include <cstddef>

// Bytes rewriteBootSaver may add beyond the value: a line break, "[boot]" and the key.
constexpr std::size_t kBootSaverSlack = 32;

// Writes to `out` the text of SYSTEM.INI with the first SCRNSAVE.EXE key of the first
// [boot] section set to `value`, or taken out when `value` is empty. A missing key is
// added at the end of [boot], a missing [boot] at the end of the file. Section names and
// keys are read as the system's profile reader reads them: in any case, a key with the
// blanks and tabs around it ignored. Every other byte stays as it was. `out` has room
// for length + the value's length + kBootSaverSlack bytes; returns the new length.
std::size_t rewriteBootSaver(const char* text, std::size_t length, const char* value, char* out);

// Bytes addToSection may add beyond the line: a line break and the section's name.
constexpr std::size_t kSectionSlack = 32;

// Writes to `out` the text with `line` (a whole line with its line break; the section's
// name short) added as the first line of the first [section], a missing section added at
// the end. Every other byte stays. `out` has room for length + the line's length +
// kSectionSlack bytes; returns the new length.
std::size_t addToSection(const char* text, std::size_t length, const char* section, const char* line, char* out);
