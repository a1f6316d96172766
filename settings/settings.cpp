// The settings: the three switches read from and written to VARNO.INI, and the dialog.
#include "settings/settings.h"

#include "platform/messages.h"

namespace {

constexpr const char* soundKey = "Sound";
constexpr const char* logoKey = "Logo";
constexpr const char* picturesKey = "Pics";

// The decimal text of a value, as "%u" writes it; the switches are only ever 0 or 1.
void formatDecimal(std::uint32_t value, char (&text)[12]) {
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = 0; i < count; ++i)
        text[i] = digits[count - 1 - i];
    text[count] = '\0';
}

std::uint32_t readSetting(const char* file, const char* key, std::int32_t fallback) {
    return readProfileInt(settingsSection, key, fallback, file);
}

bool writeSetting(const char* file, const char* key, std::uint32_t value) {
    char text[12];
    formatDecimal(value, text);
    return writeProfileString(settingsSection, key, text, file);
}

std::uint32_t checkedAsSwitch(WindowHandle dialog, int box) {
    return dialogCheck(dialog, box) == BST_CHECKED ? 1 : 0;
}

// Appends text to the NUL-terminated buffer, cutting what does not fit.
void append(char* buffer, std::uint32_t capacity, const char* text) {
    std::uint32_t length = 0;
    while (buffer[length] != '\0')
        ++length;
    while (*text != '\0' && length + 1 < capacity)
        buffer[length++] = *text++;
    buffer[length] = '\0';
}

// The user's copy in %LOCALAPPDATA%\VirtualStore\Windows, where Vista and later put the
// 32-bit build's settings; the 64-bit build keeps them there itself, so that both see one
// user's same settings. Empty where the system does it or there is no such folder.
struct StoreCopy {
    char folder[260] = "";
    char path[300] = "";
};

StoreCopy storeCopy() {
    StoreCopy store;
    if (systemVirtualisesWrites() || !localAppDataFolder(store.folder, sizeof store.folder))
        return store;
    append(store.folder, sizeof store.folder, "\\VirtualStore");
    append(store.path, sizeof store.path, store.folder);
    append(store.path, sizeof store.path, "\\Windows\\");
    append(store.path, sizeof store.path, settingsFile);
    return store;
}

// The file read first: the user's copy once it exists, as the system does it.
const char* readFile(const StoreCopy& store) {
    return store.path[0] != '\0' && fileExists(store.path) ? store.path : settingsFile;
}

bool writeSwitches(const char* file, std::uint32_t sound, std::uint32_t logo, std::uint32_t pictures) {
    // The first write that fails stops the rest.
    return writeSetting(file, soundKey, sound) && writeSetting(file, logoKey, logo) &&
           writeSetting(file, picturesKey, pictures);
}

// Tells the user that the choices were not stored: the first file tried, and why that failed.
void reportNotSaved(WindowHandle dialog, const char* file, std::uint32_t error) {
    char path[300] = "";
    if (file == settingsFile) {  // a bare name: the Windows folder's
        windowsFolder(path, sizeof path);
        append(path, sizeof path, "\\");
    }
    append(path, sizeof path, file);
    char reason[512] = "";
    systemErrorText(error, reason, sizeof reason);
    if (reason[0] == '\0') {
        char number[12];
        formatDecimal(error, number);
        append(reason, sizeof reason, "System error ");
        append(reason, sizeof reason, number);
        append(reason, sizeof reason, ".");
    }
    char text[1024] = "";
    append(text, sizeof text, "The settings could not be saved to\n");
    append(text, sizeof text, path);
    append(text, sizeof text, "\n\n");
    append(text, sizeof text, reason);
    messageBox(dialog, text, saverName, MB_ICONWARNING);
}

}  // namespace

SceneSettings readSceneSettings() {
    const StoreCopy store = storeCopy();
    const char* file = readFile(store);
    SceneSettings settings;
    settings.soundEnabled = readSetting(file, soundKey, 0);
    settings.logoEnabled = readSetting(file, logoKey, 1);
    settings.picturesEnabled = readSetting(file, picturesKey, 1);
    return settings;
}

MessageResult settingsDialogProc(WindowHandle dialog, std::uint32_t message, WParam wParam, LParam) {
    if (message == WM_INITDIALOG) {
        const SceneSettings stored = readSceneSettings();
        setDialogCheck(dialog, ID_LOGO_BOX, stored.logoEnabled != 0);
        setDialogCheck(dialog, ID_PICTURES_BOX, stored.picturesEnabled != 0);
        setDialogCheck(dialog, ID_SOUND_BOX, stored.soundEnabled != 0);
        return 1;  // the focus goes to the first control that takes it: OK
    }
    if (message != WM_COMMAND)
        return 0;
    switch (lowWord(wParam)) {
    case ID_OK: {
        const std::uint32_t logo = checkedAsSwitch(dialog, ID_LOGO_BOX);
        const std::uint32_t pictures = checkedAsSwitch(dialog, ID_PICTURES_BOX);
        const std::uint32_t sound = checkedAsSwitch(dialog, ID_SOUND_BOX);
        // The Windows folder's file, unless the user's copy is read first or takes what
        // the Windows folder refuses; when both fail the dialog stays open to try again.
        StoreCopy store = storeCopy();
        const char* file = readFile(store);
        if (!writeSwitches(file, sound, logo, pictures)) {
            const std::uint32_t error = lastErrorCode();
            bool saved = false;
            if (file == settingsFile && store.path[0] != '\0') {
                createFolder(store.folder);
                append(store.folder, sizeof store.folder, "\\Windows");
                createFolder(store.folder);
                saved = writeSwitches(store.path, sound, logo, pictures);
            }
            if (!saved) {
                reportNotSaved(dialog, file, error);
                return 1;
            }
        }
        endDialog(dialog, 1);
        return 1;
    }
    case ID_CANCEL:
    case IDCANCEL:
        endDialog(dialog, 0);
        return 1;
    default:
        return 0;
    }
}
