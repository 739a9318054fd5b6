// The settings and the INI file that keeps them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <string_view>

#include "send/ini_bytes.h"
#include "send/settings_record.h"
#include "telepost/ini_file.h"
#include "telepost/ini_text.h"

namespace telepost {

// Derives the INI file's path from the library's path: the same name with the
// extension ".ini", or ".ini" appended when the file name has no dot. Only the
// file name's last dot counts, never one in a folder name, and the search for
// the last path separator steps over double-byte characters, whose trail byte
// may be a backslash. A result that does not fit in MAX_PATH bytes leaves
// `iniPath` empty and gives false.
bool MakeIniPath(const char* modulePath, char (&iniPath)[MAX_PATH]);

// Sets `iniPath` from the path of the library `instance` (MakeIniPath): empty
// when that path cannot be had whole.
void LocateIniFile(HINSTANCE instance, char (&iniPath)[MAX_PATH]);

// Every function below works on the INI file at `iniPath`, an empty path
// when there is none (the library's path too long to name one).

// Reads one setting from the INI file, 0 when absent: from the file's bytes
// when it is in UTF-8 beyond ASCII (ListsReadFromBytes), else through the
// profile functions. Without an INI path no file is touched and the setting
// reads as 0.
std::int32_t ReadSetting(const char* iniPath, const char* key);
// Writes one setting to the INI file as "%d". False when it was not written,
// with the thread's last error saying why: the system's for a file that
// could not be written, ERROR_FILENAME_EXCED_RANGE without an INI path (the
// library's path too long to name one).
bool WriteSetting(const char* iniPath, const char* key, std::int32_t value);

// Writes `settings` into the INI file whose bytes `ini` holds, a file in
// UTF-8 whose settings are read from its bytes (ListsReadFromBytes): each
// setting's line replaced in place or added to the section, every other byte
// and line end kept (telepost::WriteIniSettings), the whole written to a new
// file beside it and moved over it (ReplaceIniFile). False, with the thread's
// last error, when it was not written; the file is then as it was.
bool WriteSettingsIntoBytes(const char* iniPath, const IniBytesRecord& ini,
                            std::span<const IniSettingValue> settings);

// Replaces the INI file with `text` in one step: written whole to
// "<INI path>.new" beside it, to the disk, then moved over the old file, so
// that a failure at any step leaves the old file as it was (and removes the
// new one). False, with the thread's last error, when a step failed; without
// an INI path, or one too long to name the new file beside it,
// ERROR_FILENAME_EXCED_RANGE.
bool ReplaceIniFile(const char* iniPath, std::string_view text);

// Whether the INI file holds `value` for `key` as WriteSetting writes it, read
// from the file itself: the system's cache of the file is flushed first, so
// that a write the disk did not take (a full disk, which the system's writer
// may pass as success) shows. False without an INI path.
bool SettingStored(const char* iniPath, const char* key, std::int32_t value);

// A digest of all the INI file holds besides the settings, as the
// system's profile functions read it from the disk: every section's name and
// lines, the settings' own lines left out. Alike before and after a save
// unless the save lost or damaged something else in the file (the system's
// writer may cut the file on a full disk and still report success). False
// when the file cannot be read whole (no INI path, no memory, or larger than
// a settings file ever is): there is nothing to compare then.
bool OtherContentsDigest(const char* iniPath, std::uint64_t& digest);

// Whether the INI file's text `text` starts with a UTF-8 byte order mark on
// the header of the settings' section, which the system then does not see:
// every setting and list of the file is lost to it.
bool SectionHiddenByByteOrderMark(std::string_view text);

// Reads the whole INI file into `copy`: true when it was read whole and its
// lists are read from its bytes, false (and nothing kept) for any other file,
// or one that cannot be read.
bool KeepIniBytes(const char* iniPath, IniBytesRecord& copy);

// What a save of the settings left of the file KeepIniBytes kept.
enum class IniBytesCheck {
    Kept,        // every line besides the settings' own as it was
    PutBack,     // a line was not: the kept bytes are in the file again
    NotPutBack,  // a line was not, and the kept bytes could not be written back
};

// Reads the INI file once the settings are written and compares it with
// `copy` (telepost::OtherLinesKept); a file that differs, or cannot be read,
// is put back (PutBackIniBytes).
IniBytesCheck CheckIniBytes(const char* iniPath, const IniBytesRecord& copy);

// Writes the INI file back whole from `copy`, the bytes it held before a
// save, and reads it again to make sure: PutBack or NotPutBack.
IniBytesCheck PutBackIniBytes(const char* iniPath, const IniBytesRecord& copy);

// Replaces every setting of `settings` with the INI file's value, 0 for a
// key it does not hold.
void LoadSettings(const char* iniPath, SettingsRecord& settings);

}  // namespace telepost
