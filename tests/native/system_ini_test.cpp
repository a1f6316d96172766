// The setup's edit of SYSTEM.INI on the Windows 95 family: the [boot] saver line set or
// taken out, every other byte kept.
#include <gtest/gtest.h>

#include <string>

#include "installer/system_ini.h"

namespace {

std::string rewritten(const std::string& text, const std::string& value) {
    std::string out(text.size() + value.size() + kBootSaverSlack, '\0');
    out.resize(rewriteBootSaver(text.data(), text.size(), value.c_str(), out.data()));
    return out;
}

const std::string kLong(1030, 'x');  // longer than the setup tool's strings

TEST(SystemIni, TheBootSaverLineIsSetOrTakenOutAndNothingElseChanges) {
    // clang-format off
    const struct {
        int line;
        std::string before, value, after;
    } rows[] = {
        {__LINE__, "[boot]\r\na=1\r\nSCRNSAVE.EXE=old\r\nb=2\r\n", "NEW", "[boot]\r\na=1\r\nSCRNSAVE.EXE=NEW\r\nb=2\r\n"},
        {__LINE__, "[Boot]\n \tscrnsave.exe\t = old\n", "NEW", "[Boot]\nSCRNSAVE.EXE=NEW\r\n"},
        {__LINE__, "[boot]\r\na=1\r\n\r\n[386Enh]\r\nSCRNSAVE.EXE=x\r\n", "NEW", "[boot]\r\na=1\r\n\r\nSCRNSAVE.EXE=NEW\r\n[386Enh]\r\nSCRNSAVE.EXE=x\r\n"},
        {__LINE__, "[boot]\r\na=1", "NEW", "[boot]\r\na=1\r\nSCRNSAVE.EXE=NEW\r\n"},
        {__LINE__, "[386Enh]\r\nd=1", "NEW", "[386Enh]\r\nd=1\r\n[boot]\r\nSCRNSAVE.EXE=NEW\r\n"},
        {__LINE__, "", "NEW", "[boot]\r\nSCRNSAVE.EXE=NEW\r\n"},
        {__LINE__, "[boot]\r\nSCRNSAVE.EXE=a\r\nSCRNSAVE.EXE=b\r\n[boot]\r\nSCRNSAVE.EXE=c\r\n", "NEW", "[boot]\r\nSCRNSAVE.EXE=NEW\r\nSCRNSAVE.EXE=b\r\n[boot]\r\nSCRNSAVE.EXE=c\r\n"},
        {__LINE__, "[boot]\r\nSCRNSAVE.EXE.OLD=a\r\nSCRNSAVE.EXE\r\n; SCRNSAVE.EXE=b\r\n", "NEW", "[boot]\r\nSCRNSAVE.EXE.OLD=a\r\nSCRNSAVE.EXE\r\n; SCRNSAVE.EXE=b\r\nSCRNSAVE.EXE=NEW\r\n"},
        {__LINE__, "[boot] ; the start\r\nk=" + kLong + "[boot]\r\n", "NEW", "[boot] ; the start\r\nk=" + kLong + "[boot]\r\nSCRNSAVE.EXE=NEW\r\n"},
        {__LINE__, "[boot]\r\na=1\r\nSCRNSAVE.EXE=old\r\nb=2\r\n", "", "[boot]\r\na=1\r\nb=2\r\n"},
        {__LINE__, "[boot]\r\na=1\r\n", "", "[boot]\r\na=1\r\n"},
        {__LINE__, "[386Enh]\r\nd=1", "", "[386Enh]\r\nd=1"},
    };
    // clang-format on
    for (const auto& row : rows) {
        const ::testing::ScopedTrace trace(__FILE__, row.line, "row");
        EXPECT_EQ(rewritten(row.before, row.value), row.after);
    }
}

TEST(SystemIni, ALineGoesFirstIntoItsSectionOrANewOneAtTheEnd) {
    const struct {
        int line;
        std::string before, after;
    } rows[] = {
        {__LINE__, "[x]\r\na=1\r\n [Rename] ; one\r\nNUL=B\r\n", "[x]\r\na=1\r\n [Rename] ; one\r\nNUL=A\r\nNUL=B\r\n"},
        {__LINE__, "[rename]", "[rename]\r\nNUL=A\r\n"},
        {__LINE__, "[x]\na=[rename]", "[x]\na=[rename]\r\n[rename]\r\nNUL=A\r\n"},
        {__LINE__, "", "[rename]\r\nNUL=A\r\n"},
    };
    for (const auto& row : rows) {
        const ::testing::ScopedTrace trace(__FILE__, row.line, "row");
        std::string out(row.before.size() + 32 + kSectionSlack, '\0');
        out.resize(addToSection(row.before.data(), row.before.size(), "rename", "NUL=A\r\n", out.data()));
        EXPECT_EQ(out, row.after);
    }
}

}  // namespace
