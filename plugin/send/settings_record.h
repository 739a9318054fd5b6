// The settings as the plug-in holds them while it runs: one flag for each
// row of settings.inc. The send path takes them as a parameter; the frame
// reads them from the INI file and the settings dialog writes them.
#pragma once

#include <cstdint>
#include <iterator>

#include "telepost/ini_file.h"

namespace telepost {

// One flag for each row of settings.inc, zero meaning off; every reader tests
// them only as zero or not.
struct SettingsRecord {
#define TELEPOST_SETTING(field, key, initial, ...) std::int32_t field = initial;
#include "telepost/settings.inc"
#undef TELEPOST_SETTING
};

// Each setting's key in the INI file and its flag, in the order the settings
// are read and written.
struct SettingFlag {
    const char* key;
    std::int32_t SettingsRecord::*flag;
};

#define TELEPOST_SETTING(field, key, ...) {key, &SettingsRecord::field},
inline constexpr SettingFlag kSettingFlags[] = {
#include "telepost/settings.inc"
};
#undef TELEPOST_SETTING
static_assert(std::size(kSettingFlags) == kSettingCount);

}  // namespace telepost
