// The settings dialog from its opening to its end, over the settings file.
#include <gtest/gtest.h>

#include "host/host.h"
#include "settings/settings.h"
#include "tests/native/fake_platform.h"

namespace {
// clang-format off

enum : WParam { OK = ID_OK, CANCEL = ID_CANCEL, ESCAPE = 2, LOGO_BOX = ID_LOGO_BOX, PICS_BOX = ID_PICTURES_BOX, SOUND_BOX = ID_SOUND_BOX };

// The dialog opens from template 2003 with each stored non-zero switch checked (missing:
// sound off, logo and pictures on); clicks only toggle boxes; OK stores all three as 0 or 1
// (a check state other than 1 is off) and ends with 1, Cancel and Escape end with 0 and
// store nothing. The notification code in the high word is not looked at. The procedure
// answers the opening with 1 (the focus goes to OK), OK and Cancel with 1, a paint and the
// clicks with 0: they are left to the platform.
TEST(Settings, TheDialogShowsStoresOrLeavesTheSwitches) {
    const struct {
        int line;
        std::map<std::string, std::string> stored;
        std::map<int, std::uint32_t> forced;  // check states set after the opening, as no click sets them
        std::vector<WParam> commands;
        std::map<int, std::uint32_t> shown;
        std::int32_t exitCode;
        std::vector<std::string> written;
        const char* answers;  // to the opening, a paint and each command
    } rows[] = {
        {__LINE__, {}, {}, {OK}, {{LOGO_BOX, 1}, {PICS_BOX, 1}, {SOUND_BOX, 0}}, 1, {"Sound=0", "Logo=1", "Pics=1"}, "1 0 1"},
        {__LINE__, {{"sound", "2"}, {"logo", "0"}}, {}, {OK}, {{LOGO_BOX, 0}, {PICS_BOX, 1}, {SOUND_BOX, 1}}, 1, {"Sound=1", "Logo=0", "Pics=1"}, "1 0 1"},
        {__LINE__, {}, {{LOGO_BOX, 2}}, {OK}, {{LOGO_BOX, 1}, {PICS_BOX, 1}, {SOUND_BOX, 0}}, 1, {"Sound=0", "Logo=0", "Pics=1"}, "1 0 1"},
        {__LINE__, {}, {}, {PICS_BOX, 0x12345, 1 << 16 | OK}, {{LOGO_BOX, 1}, {PICS_BOX, 1}, {SOUND_BOX, 0}}, 1, {"Sound=0", "Logo=1", "Pics=0"}, "1 0 0 0 1"},
        {__LINE__, {}, {}, {SOUND_BOX, ESCAPE}, {{LOGO_BOX, 1}, {PICS_BOX, 1}, {SOUND_BOX, 0}}, 0, {}, "1 0 0 1"},
        {__LINE__, {}, {}, {5 << 16 | CANCEL}, {{LOGO_BOX, 1}, {PICS_BOX, 1}, {SOUND_BOX, 0}}, 0, {}, "1 0 1"},
    };
    FOR_EACH_ROW(row, rows) {
        resetFake();
        fake.profile = row.stored;
        fake.forced = row.forced;
        fake.commands = row.commands;
        EXPECT_EQ(hostMain(fakeModule, "/c"), row.exitCode);
        EXPECT_EQ(fake.dialog, "0x400000 2003");
        EXPECT_EQ(fake.answers, row.answers);
        EXPECT_EQ(fake.shown, row.shown);
        EXPECT_EQ(fake.written, row.written);
    }
}

// The file the build keeps its settings in: the Windows folder's, where the 32-bit build's
// writes are redirected by the system, so that it never looks at the user's VirtualStore copy;
// that copy (logo off there) once it exists for the 64-bit build. OK with a file that cannot
// be written: the first failed write stops the others, a warning owned by the dialog names the
// file and the system's reason, and the dialog stays open, for Escape or for OK once the
// obstacle is gone. (Making the copy's folders when the Windows folder refuses, and the
// warning when that fails too, are the Wine tests' business: they see the folders made.)
TEST(Settings, TheSwitchesAreSavedWhereTheBuildKeepsThemOrTheFailureIsReported) {
    const std::string warning = "0xd1a|VARNO|0x30|The settings could not be saved to\nC:\\WINDOWS\\VARNO.INI\n\n";
    const struct {
        int line;
        bool virtualised;
        int writesBeforeFailure;
        std::uint32_t error;
        std::vector<WParam> commands;
        std::int32_t exitCode;
        std::vector<std::string> written, boxes;
    } rows[] = {
        {__LINE__, true, 2, 5, {SOUND_BOX, OK, ESCAPE}, 0, {"Sound=1", "Logo=1"}, {warning + "Access is denied."}},
        {__LINE__, true, 0, 1234, {OK, OK}, 1, {"Sound=0", "Logo=1", "Pics=1"}, {warning + "System error 1234."}},
        {__LINE__, false, -1, 5, {OK}, 1, {"store:Sound=0", "store:Logo=0", "store:Pics=1"}, {}},
    };
    FOR_EACH_ROW(row, rows) {
        resetFake();
        fake.virtualised = row.virtualised, fake.localAppData = "C:\\Users\\u\\AppData\\Local";
        fake.storeExists = true, fake.storeProfile = {{"logo", "0"}};
        fake.writesBeforeFailure = row.writesBeforeFailure;
        fake.lastError = row.error;
        fake.commands = row.commands;
        EXPECT_EQ(hostMain(fakeModule, "/c"), row.exitCode);
        EXPECT_EQ(fake.written, row.written);
        EXPECT_EQ(fake.messageBoxes, row.boxes);
    }
}

// clang-format on
}  // namespace
