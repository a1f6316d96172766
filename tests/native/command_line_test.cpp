#include <gtest/gtest.h>

#include <string>

#include "host/command_line.h"
#include "tests/native/fake_platform.h"

namespace {

const char* byteStep(const char* text) {
    return *text ? text + 1 : text;
}

// A double-byte code page where 0x81 to 0xFE lead a two-byte character.
const char* doubleByteStep(const char* text) {
    if (*text == '\0')
        return text;
    const unsigned char lead = static_cast<unsigned char>(*text);
    if (lead >= 0x81 && lead <= 0xFE && text[1] != '\0')
        return text + 2;
    return text + 1;
}

struct NameCase {
    const char* line;
    const char* tail;
};

TEST(SkipProgramName, LeavesTheTailBehindNameAndBlanks) {
    const NameCase cases[] = {
        {"VARNO.scr /s", "/s"},
        {"VARNO.scr", ""},
        {"\"C:\\Program Files\\VARNO.scr\" /s", "/s"},
        {"\"C:\\VARNO.scr\"/s", "/s"},                   // no blank needed after the quote
        {"\"C:\\Never Closed /s", ""},                   // an open quote is all name
        {"VARNO.scr \t\r\n  /p 12", "/p 12"},             // every byte up to 0x20 is blank
        {"  /s", "/s"},                                   // a blank first: nothing is skipped
        {"", ""},
        {"VARNO\x81\x20.scr /c", ".scr /c"},              // a single-byte step stops at 0x20
        {"VARNO\xE9.scr /c", "/c"},                       // 0x80..0xFF are not blanks
    };
    for (const NameCase& c : cases)
        EXPECT_STREQ(skipProgramName(c.line, byteStep), c.tail) << "line: " << c.line;
}

TEST(SkipProgramName, StepsOverDoubleByteCharacters) {
    // The trail byte 0x22 of a double-byte character inside the quotes is not a quote.
    EXPECT_STREQ(skipProgramName("\"C:\\\x81\x22name.scr\" /s", doubleByteStep), "/s");
    // Nor is a trail byte 0x20 a blank that ends an unquoted name.
    EXPECT_STREQ(skipProgramName("VARNO\x81\x20.scr /c", doubleByteStep), "/c");
}

struct SwitchCase {
    const char* tail;
    std::uint32_t win95;
    bool recognised;
    RunMode mode;
    bool ownedByForeground;
    const char* rest;  // nullptr: not looked at
};

TEST(ReadSwitch, FollowsTheSwitchTable) {
    const SwitchCase cases[] = {
        {"", 0, true, RunMode::configure, false, nullptr},
        {"- /", 0, true, RunMode::configure, false, nullptr},
        {"/c", 0, true, RunMode::configure, true, nullptr},
        {"-C", 0, true, RunMode::configure, true, nullptr},
        {"/c:1234", 0, true, RunMode::configure, true, nullptr},
        {"/s", 0, true, RunMode::fullScreen, false, nullptr},
        {"/S", 0, true, RunMode::fullScreen, false, nullptr},
        {"-s", 0, true, RunMode::fullScreen, false, nullptr},
        {"s", 0, true, RunMode::fullScreen, false, nullptr},
        {"//s", 0, true, RunMode::fullScreen, false, nullptr},
        {"/ s", 0, true, RunMode::fullScreen, false, nullptr},
        {"/sx", 0, true, RunMode::fullScreen, false, nullptr},
        {"/p 1234", 0, true, RunMode::preview, false, "1234"},
        {"/p1234", 0, true, RunMode::preview, false, "1234"},
        {"/P   1234", 0, true, RunMode::preview, false, "1234"},
        {"/l 1234", 0, true, RunMode::preview, false, "1234"},
        {"/L1234", 0, true, RunMode::preview, false, "1234"},
        {"/p\t1234", 0, true, RunMode::preview, false, "\t1234"},  // only spaces are skipped
        {"/a 77", 1, true, RunMode::passwordChange, false, "77"},
        {"/A", 1, true, RunMode::passwordChange, false, ""},
        {"/a 77", 0, false, RunMode::passwordChange, false, nullptr},
        {"/x", 0, false, RunMode::configure, false, nullptr},
        {"/?", 0, false, RunMode::configure, false, nullptr},
        {"1", 0, false, RunMode::configure, false, nullptr},
        {"/\ts", 0, false, RunMode::configure, false, nullptr},
        {"\xE9", 0, false, RunMode::configure, false, nullptr},
    };
    for (const SwitchCase& c : cases) {
        const SwitchReading r = readSwitch(c.tail, c.win95);
        SCOPED_TRACE(std::string("tail '") + c.tail + "' win95 " + std::to_string(c.win95));
        EXPECT_EQ(r.recognised, c.recognised);
        if (!c.recognised)
            continue;
        EXPECT_EQ(r.mode, c.mode);
        EXPECT_EQ(r.ownedByForeground, c.ownedByForeground);
        if (c.rest) {
            EXPECT_STREQ(r.rest, c.rest);
        }
    }
}

TEST(ParseDecimal, ReadsDigitsUntilTheFirstOtherByteAndWraps) {
    const struct {
        const char* text;
        std::uint32_t value;
    } cases[] = {
        {"1234", 1234},           {"12ab", 12},        {"0", 0},
        {"", 0},                  {"x12", 0},          {" 12", 0},
        {"-12", 0},               {"+12", 0},          {"4294967295", 4294967295u},
        {"4294967296", 0},        {"4294967297", 1},   {"99999999999", 1215752191u},
        {"00042:7", 42},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseDecimal(c.text), c.value) << c.text;
}

// hostMain end to end over the recording platform.
class HostMain : public ::testing::Test {
protected:
    void SetUp() override { resetFake(); }
    std::int32_t run(const char* tail) { return hostMain(ownModule(), tail); }
};

TEST_F(HostMain, TellsTheWindows95FamilyOnlyFromASuccessfulQueryOfPlatformOne) {
    const struct {
        bool succeeds;
        std::uint32_t id;
        std::uint32_t win95;
    } cases[] = {{true, 1, 1}, {true, 2, 0}, {true, 0, 0}, {false, 1, 0}};
    for (const auto& c : cases) {
        resetFake();
        fake.versionQuerySucceeds = c.succeeds;
        fake.platformId = c.id;
        run("/x");
        EXPECT_EQ(host.isWin95Family, c.win95);
        EXPECT_EQ(host.moduleInstance, ownModule());
    }
}

TEST_F(HostMain, RejectsUnknownSwitchesAndBadPreviewHandles) {
    fake.windows[fakeHandle(1234)] = {0, 0, 100, 80};
    for (const char* tail : {"/x", "/?", "1", "/p", "/p 0", "/p x", "/p\t1234", "/\ts", "/p 99",
                             "/a", "/a 1234"}) {
        fake.calls.clear();
        EXPECT_EQ(run(tail), -1) << tail;
        for (const std::string& call : fake.calls)
            EXPECT_EQ(call.find("createWindow"), std::string::npos) << tail;
    }
    EXPECT_TRUE(fake.faultGuardRan);
}

TEST_F(HostMain, PreviewRunsInTheNamedWindow) {
    fake.windows[fakeHandle(1234)] = {0, 0, 152, 112};
    EXPECT_EQ(run("/p 12345"), -1);  // names no window
    fake.calls.clear();
    EXPECT_EQ(run("/p1234"), 0);
    EXPECT_EQ(host.isPreview, 1u);
    ASSERT_FALSE(fake.calls.empty());
    EXPECT_EQ(fake.calls[1],
              "createWindow(0, WindowsScreenSaverClass, Preview, 0x52000000, 0,0 152x112, "
              "parent 0x4d2)");
}

TEST_F(HostMain, ConfigureOpensTheDialogWithOrWithoutTheForegroundOwner) {
    fake.foreground = fakeHandle(0x99);
    fake.dialogReturns = 1;
    EXPECT_EQ(run(""), 1);
    EXPECT_EQ(fake.calls.back(), "runDialog(2003, 0)");
    fake.dialogReturns = 0;
    EXPECT_EQ(run("/c:1234"), 0);
    EXPECT_EQ(fake.calls.back(), "runDialog(2003, 0x99)");
    fake.dialogReturns = -1;
    EXPECT_EQ(run("-C"), -1);
}

TEST_F(HostMain, PasswordChangeFallsBackToTheForegroundWindow) {
    fake.platformId = 1;
    fake.libraries["MPR.DLL"] = {"PwdChangePasswordA"};
    fake.foreground = fakeHandle(0x99);
    fake.windows[fakeHandle(1234)] = {0, 0, 10, 10};
    const struct {
        const char* tail;
        const char* passed;
    } cases[] = {{"/a 1234", "0x4d2"}, {"/a", "0x99"}, {"/a 4321", "0x99"}, {"/a0", "0x99"}};
    for (const auto& c : cases) {
        fake.calls.clear();
        EXPECT_EQ(run(c.tail), 0) << c.tail;
        EXPECT_EQ(fake.calls, (std::vector<std::string>{
                                  "loadLibrary(MPR.DLL)", "procAddress(MPR.DLL, PwdChangePasswordA)",
                                  std::string("PwdChangePasswordA(SCRSAVE, ") + c.passed + ")",
                                  "freeLibrary(MPR.DLL)"}))
            << c.tail;
    }
}

TEST(HostStart, SkipsTheNameAndExitsWithTheModeResult) {
    resetFake();
    fake.line = "\"C:\\My Savers\\VARNO.scr\" /x";
    try {
        hostStart();
        FAIL() << "hostStart returned";
    } catch (const ProcessExit& exit) {
        EXPECT_EQ(exit.code, -1);
    }
}

}  // namespace
