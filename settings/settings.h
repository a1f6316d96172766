// The user's three switches: the settings file and the settings dialog.
#pragma once

#include <cstdint>

#include "assets/resource_ids.h"
#include "platform/platform.h"

struct SceneSettings {
    std::uint32_t soundEnabled;
    std::uint32_t logoEnabled;
    std::uint32_t picturesEnabled;
};

constexpr const char* settingsFile = "VARNO.INI";
constexpr const char* settingsSection = "VARNO";
constexpr const char* saverName = "VARNO";

SceneSettings readSceneSettings();

MessageResult settingsDialogProc(WindowHandle dialog, std::uint32_t message, WParam wParam, LParam lParam);
