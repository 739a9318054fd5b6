// The plug-in's process-wide state (the three settings, the INI file's path
// and the library's own instance handle) and the INI file that keeps the
// settings and the mail domains the user adds to the carriers' rules.
#pragma once

#include <windows.h>

#include <cstdint>

#include "outgoing/carriers.h"

namespace telepost {

// Three flags, zero meaning off; every reader tests them only as zero or not.
struct SettingsRecord {
    std::int32_t ConvertToHankaku = 1;
    std::int32_t ConvertToEmoji = 1;
    std::int32_t DeleteCrlf = 0;
};

// One setting as the INI file keeps it, in the order the settings are read
// and written.
struct SettingKey {
    const char* key;
    std::int32_t SettingsRecord::*flag;
};

// The INI file's section that holds the settings.
inline constexpr char kSettingsSection[] = "k-tai";

inline constexpr SettingKey kSettingKeys[] = {
    {"convert to hankaku", &SettingsRecord::ConvertToHankaku},
    {"convert to emoji", &SettingsRecord::ConvertToEmoji},
    {"delete crlf", &SettingsRecord::DeleteCrlf},
};

// The keys, in the same section, that add mail domains to a carrier's rule.
// Only the user writes them; the plug-in reads them at start.
struct DomainKey {
    const char* key;
    Carrier carrier;
};

inline constexpr DomainKey kDomainKeys[] = {
    {"j domains", Carrier::GroupJ},
    {"docomo domains", Carrier::DoCoMo},
    {"d domains", Carrier::GroupD},
};

constexpr int kPathSize = 260;  // bytes of a path, its terminator included

extern SettingsRecord Settings;
extern char IniPath[kPathSize];  // empty until the library is attached
extern HINSTANCE ModuleInstance;

// Derives the INI file's path from the library's path: the same name with the
// extension ".ini", or ".ini" appended when the file name has no dot. Only the
// file name's last dot counts, never one in a folder name, and the search for
// the last path separator steps over double-byte characters, whose trail byte
// may be a backslash. A result that does not fit in kPathSize bytes leaves
// `iniPath` empty and gives false.
bool MakeIniPath(const char* modulePath, char (&iniPath)[kPathSize]);

// Sets IniPath from the path of the library `instance`.
void LocateIniFile(HINSTANCE instance);

// Reads one setting from the INI file, 0 when absent. Without an INI path no
// file is touched and the setting reads as 0.
std::int32_t ReadSetting(const char* key);
// Writes one setting to the INI file as "%d"; nothing without an INI path.
void WriteSetting(const char* key, std::int32_t value);

// Replaces all three settings and the added domains with the INI file's
// values; a domain list longer than kDomainListSize is taken up to it.
void LoadSettings();

}  // namespace telepost
