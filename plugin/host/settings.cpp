#include "host/settings.h"

#include "host/process_state.h"

#include "convert/sjis.h"

#include <cstring>

namespace telepost {

namespace {

constexpr char kIniExtension[] = ".ini";
constexpr int kNumberSize = 32;  // a setting formatted as text

bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

}  // namespace

bool MakeIniPath(const char* modulePath, char (&iniPath)[MAX_PATH]) {
    // Find where the file name starts, stepping over double-byte characters.
    const char* fileName = modulePath;
    const char* p = modulePath;
    while (*p) {
        if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1]) {
            p += 2;
            continue;
        }
        if (IsPathSeparator(*p)) {
            fileName = p + 1;
        }
        ++p;
    }
    const char* dot = std::strrchr(fileName, '.');  // '.' is never a trail byte
    size_t stem = static_cast<size_t>((dot ? dot : p) - modulePath);
    if (stem + sizeof kIniExtension > sizeof iniPath) {
        iniPath[0] = '\0';
        return false;
    }
    std::memcpy(iniPath, modulePath, stem);
    std::memcpy(iniPath + stem, kIniExtension, sizeof kIniExtension);
    return true;
}

void LocateIniFile(HINSTANCE instance) {
    char modulePath[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(instance, modulePath, sizeof modulePath);
    if (length == 0 || length >= sizeof modulePath) {
        IniPath[0] = '\0';  // a cut path would name some other file
        return;
    }
    MakeIniPath(modulePath, IniPath);
}

std::int32_t ReadSetting(const char* key) {
    if (!IniPath[0]) {
        return 0;
    }
    return static_cast<std::int32_t>(GetPrivateProfileIntA(kSettingsSection, key, 0, IniPath));
}

bool WriteSetting(const char* key, std::int32_t value) {
    if (!IniPath[0]) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    char text[kNumberSize];
    wsprintfA(text, "%d", value);
    return WritePrivateProfileStringA(kSettingsSection, key, text, IniPath) != FALSE;
}

bool SettingStored(const char* key, std::int32_t value) {
    if (!IniPath[0]) {
        return false;
    }
    char written[kNumberSize];
    wsprintfA(written, "%d", value);
    // All three null: the documented flush, after which the next read comes
    // from the disk; it reports FALSE whatever happens.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, IniPath);
    char stored[kNumberSize] = {};
    GetPrivateProfileStringA(kSettingsSection, key, "", stored, sizeof stored, IniPath);
    return std::strcmp(stored, written) == 0;
}

void LoadSettings() {
    for (const SettingFlag& setting : kSettingFlags) {
        Settings.*setting.flag = ReadSetting(setting.key);
    }
}

}  // namespace telepost
