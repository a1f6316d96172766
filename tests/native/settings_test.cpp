#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/messages.h"
#include "settings/settings.h"
#include "tests/native/fake_platform.h"

namespace {

using Calls = std::vector<std::string>;
const WindowHandle dialog = fakeHandle(0xD1A);

MessageResult command(int id, int notification = 0) {
    return settingsDialogProc(dialog, WM_COMMAND,
                              static_cast<WParam>(notification) << 16 | static_cast<WParam>(id), 0);
}

TEST(SettingsFile, ReadsSoundLogoPicsWithTheirDefaults) {
    const struct {
        std::map<std::string, std::string> stored;
        SceneSettings expected;
    } cases[] = {
        {{}, {0, 1, 1}},
        {{{"sound", "2"}, {"logo", "0"}, {"pics", "10"}}, {2, 0, 10}},  // kept as read
        {{{"logo", "yes"}}, {0, 0, 1}},                                   // a word reads as 0
        {{{"pics", "1x"}}, {0, 1, 1}},
    };
    for (const auto& c : cases) {
        resetFake();
        fake.profile = c.stored;
        const SceneSettings s = readSceneSettings();
        EXPECT_EQ(s.soundEnabled, c.expected.soundEnabled);
        EXPECT_EQ(s.logoEnabled, c.expected.logoEnabled);
        EXPECT_EQ(s.picturesEnabled, c.expected.picturesEnabled);
        EXPECT_EQ(fake.calls, (Calls{"readProfileInt(VARNO, Sound, 0, VARNO.INI)",
                                     "readProfileInt(VARNO, Logo, 1, VARNO.INI)",
                                     "readProfileInt(VARNO, Pics, 1, VARNO.INI)"}));
    }
}

TEST(SettingsFile, FormatsDecimalsAsPrintfWould) {
    char text[12];
    for (std::uint32_t value : {0u, 1u, 10u, 4294967295u}) {
        formatDecimal(value, text);
        EXPECT_EQ(std::string(text), std::to_string(value));
    }
}

class SettingsDialog : public ::testing::Test {
protected:
    void SetUp() override { resetFake(); }
};

TEST_F(SettingsDialog, OpensWithTheStoredSwitchesAndGivesOkTheFocus) {
    fake.profile = {{"sound", "2"}, {"logo", "0"}};
    EXPECT_EQ(settingsDialogProc(dialog, WM_INITDIALOG, 0, 0), 1);
    const Calls expected = {"readProfileInt(VARNO, Sound, 0, VARNO.INI)",
                            "readProfileInt(VARNO, Logo, 1, VARNO.INI)",
                            "readProfileInt(VARNO, Pics, 1, VARNO.INI)",
                            "setDialogCheck(1003, 0)", "setDialogCheck(1004, 1)",
                            "setDialogCheck(1005, 1)"};
    EXPECT_EQ(fake.calls, expected);
}

TEST_F(SettingsDialog, OkStoresSoundLogoPicsAsZeroOrOne) {
    const struct {
        std::uint32_t logo, pictures, sound;
        const char *storedLogo, *storedPictures, *storedSound;
    } cases[] = {
        {1, 1, 0, "1", "1", "0"},
        {0, 0, 1, "0", "0", "1"},
        {2, 1, 1, "0", "1", "1"},  // only a state of exactly 1 is checked
    };
    for (const auto& c : cases) {
        resetFake();
        fake.checks = {{logoBox, c.logo}, {picturesBox, c.pictures}, {soundBox, c.sound}};
        EXPECT_EQ(command(okButton), 1);
        EXPECT_EQ(fake.calls,
                  (Calls{std::string("writeProfileString(VARNO, Sound, ") + c.storedSound + ", VARNO.INI)",
                         std::string("writeProfileString(VARNO, Logo, ") + c.storedLogo + ", VARNO.INI)",
                         std::string("writeProfileString(VARNO, Pics, ") + c.storedPictures + ", VARNO.INI)",
                         "endDialog(1)"}));
    }
}

TEST_F(SettingsDialog, CancelEscapeAndTheCloseBoxStoreNothing) {
    for (int id : {cancelButton, 2}) {
        resetFake();
        EXPECT_EQ(command(id), 1);
        EXPECT_EQ(fake.calls, Calls{"endDialog(0)"});
    }
}

TEST_F(SettingsDialog, ClicksAndOtherMessagesAreLeftToThePlatform) {
    EXPECT_EQ(command(logoBox), 0);
    EXPECT_EQ(command(soundBox, 0 /* BN_CLICKED */), 0);
    resetFake();
    EXPECT_EQ(command(0x12345), 0);  // the low 16 bits are 0x2345: not a control of ours
    EXPECT_EQ(settingsDialogProc(dialog, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(settingsDialogProc(dialog, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(fake.calls.empty());
}

TEST_F(SettingsDialog, TheNotificationCodeIsIgnored) {
    EXPECT_EQ(command(cancelButton, 0x0005), 1);
    EXPECT_EQ(fake.calls, Calls{"endDialog(0)"});
}

TEST_F(SettingsDialog, IsPreparedWithoutConditions) {
    EXPECT_EQ(prepareSettingsDialog(nullptr), 1);
}

}  // namespace
