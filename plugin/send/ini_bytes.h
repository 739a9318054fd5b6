// The INI file's own bytes, read whole, for what the profile functions cannot
// be trusted with (telepost/ini_text.h): the one place the plug-in reads them.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>

namespace telepost {

// The bytes of an INI file, up to kIniTextSize of them.
struct IniBytesRecord {
    std::unique_ptr<char[]> bytes;
    DWORD length = 0;

    std::string_view Text() const { return {bytes.get(), length}; }
};

// The file at `path` read into `bytes`, up to `size` of them; `length` gets
// how many were read. True when the file ended within them, with a byte to
// spare; false when it could not be opened or read, or goes on past them.
// Only read, never written: the file is shared for reading and writing.
bool ReadFileBytes(const char* path, char* bytes, DWORD size, DWORD& length);

// The whole INI file at `path` into `ini`: true when it was read whole
// (shorter than kIniTextSize); false, with nothing kept, for an empty path,
// a file that cannot be read, or one that goes on past kIniTextSize.
bool ReadIniBytes(const char* path, IniBytesRecord& ini);

// What ReadIniFile found at the INI file's path.
enum class IniFileRead {
    Read,        // the file, read whole
    Absent,      // no file (or no path)
    Folder,      // a folder in the file's place, which no profile function reads
    Unreadable,  // a file that exists but cannot be opened or read
    TooLarge,    // a file that goes on past kIniTextSize
};

// ReadIniBytes, telling why a file was not read; `error` gets the system's
// error for Unreadable, else ERROR_SUCCESS. A folder is told by its
// attributes, as Windows opens none (ERROR_ACCESS_DENIED).
IniFileRead ReadIniFile(const char* path, IniBytesRecord& ini, DWORD& error);

}  // namespace telepost
