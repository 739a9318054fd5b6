// The three settings and the INI file that keeps them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <iterator>

#include "telepost/ini_file.h"

namespace telepost {

// Three flags, zero meaning off; every reader tests them only as zero or not.
struct SettingsRecord {
    std::int32_t ConvertToHankaku = 1;
    std::int32_t ConvertToEmoji = 1;
    std::int32_t DeleteCrlf = 0;
};

// Each setting's key in the INI file and its flag, in the order the settings
// are read and written.
struct SettingFlag {
    const char* key;
    std::int32_t SettingsRecord::*flag;
};

inline constexpr SettingFlag kSettingFlags[] = {
    {kSettingKeys[0], &SettingsRecord::ConvertToHankaku},
    {kSettingKeys[1], &SettingsRecord::ConvertToEmoji},
    {kSettingKeys[2], &SettingsRecord::DeleteCrlf},
};
static_assert(std::size(kSettingFlags) == std::size(kSettingKeys));

// Derives the INI file's path from the library's path: the same name with the
// extension ".ini", or ".ini" appended when the file name has no dot. Only the
// file name's last dot counts, never one in a folder name, and the search for
// the last path separator steps over double-byte characters, whose trail byte
// may be a backslash. A result that does not fit in MAX_PATH bytes leaves
// `iniPath` empty and gives false.
bool MakeIniPath(const char* modulePath, char (&iniPath)[MAX_PATH]);

// Sets IniPath from the path of the library `instance`.
void LocateIniFile(HINSTANCE instance);

// Reads one setting from the INI file, 0 when absent. Without an INI path no
// file is touched and the setting reads as 0.
std::int32_t ReadSetting(const char* key);
// Writes one setting to the INI file as "%d". False when it was not written,
// with the thread's last error saying why: the system's for a file that
// could not be written, ERROR_FILENAME_EXCED_RANGE without an INI path (the
// library's path too long to name one).
bool WriteSetting(const char* key, std::int32_t value);

// Whether the INI file holds `value` for `key` as WriteSetting writes it, read
// from the file itself: the system's cache of the file is flushed first, so
// that a write the disk did not take (a full disk, which the system's writer
// may pass as success) shows. False without an INI path.
bool SettingStored(const char* key, std::int32_t value);

// A digest of all the INI file holds besides the three settings, as the
// system's profile functions read it from the disk: every section's name and
// lines, the settings' own lines left out. Alike before and after a save
// unless the save lost or damaged something else in the file (the system's
// writer may cut the file on a full disk and still report success). False
// when the file cannot be read whole (no INI path, no memory, or larger than
// a settings file ever is): there is nothing to compare then.
bool OtherContentsDigest(std::uint64_t& digest);

// Replaces all three settings with the INI file's values.
void LoadSettings();

}  // namespace telepost
