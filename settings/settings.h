// The user's three switches: the settings file and the settings dialog.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct SceneSettings {
    std::uint32_t soundEnabled;
    std::uint32_t logoEnabled;
    std::uint32_t picturesEnabled;
};

constexpr const char* settingsFile = "VARNO.INI";
constexpr const char* settingsSection = "VARNO";

// Control identifiers of the settings dialog.
constexpr int okButton = 1000;
constexpr int cancelButton = 1001;
constexpr int logoBox = 1003;
constexpr int picturesBox = 1004;
constexpr int soundBox = 1005;

SceneSettings readSceneSettings();

// The decimal text of a value, as "%u" writes it; the switches are only ever 0 or 1.
void formatDecimal(std::uint32_t value, char (&text)[12]);

std::int32_t prepareSettingsDialog(ModuleHandle instance);
std::intptr_t settingsDialogProc(WindowHandle dialog, std::uint32_t message, WParam wParam,
                                 LParam lParam);
