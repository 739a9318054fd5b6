// Read-only files as the tests make them, and whether this system refuses to
// write one for whoever runs the tests. Windows does, and so does the Linux
// layer, whoever runs it; Wine run by root does not, since root may write any
// file. A test of a read-only INI file runs only where it means something.
#pragma once

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "temp_folder.h"

namespace telepost_tests {

// Takes every write permission from `path`, a file or a folder (on Windows:
// sets its read-only attribute).
inline void MakeReadOnly(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, ignored);
}

// Gives `path` back to its owner to write, if it exists.
inline void MakeWritable(const std::filesystem::path& path) {
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ignored);
}

inline bool ReadOnlyFilesRefused() {
    static const bool refused = [] {
        const TempFolder folder("read-only-probe");
        const std::string probe = folder / "probe.ini";
        std::ofstream(probe, std::ios::binary) << "[probe]\r\nkey=1\r\n";
        MakeReadOnly(probe);
        const bool written =
            WritePrivateProfileStringA("probe", "key", "2", probe.c_str()) != FALSE;
        MakeWritable(probe);
        if (written) {
            std::printf(
                "note: this system lets its user write read-only files (Wine run by "
                "root): the read-only cases are left out\n");
        }
        return !written;
    }();
    return refused;
}

}  // namespace telepost_tests
