// Whether this system refuses to write a read-only file for whoever runs the
// tests. Windows does, and so does the Linux layer, whoever runs it; Wine run
// by root does not, since root may write any file. A test of a read-only
// INI file runs only where it means something.
#pragma once

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace telepost_tests {

inline bool ReadOnlyFilesRefused() {
    static const bool refused = [] {
        namespace fs = std::filesystem;
        const fs::path probe = fs::temp_directory_path() / "telepost-read-only-probe.ini";
        std::error_code ignored;
        fs::remove(probe, ignored);
        std::ofstream(probe, std::ios::binary) << "[probe]\r\nkey=1\r\n";
        fs::permissions(probe,
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove, ignored);
        const bool written =
            WritePrivateProfileStringA("probe", "key", "2", probe.string().c_str()) != FALSE;
        fs::permissions(probe, fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove(probe, ignored);
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
