#include "plugin_copy.h"

#include <windows.h>

#include <filesystem>
#include <random>
#include <system_error>

#include "host.h"

namespace hostsim {

namespace fs = std::filesystem;

namespace {

constexpr char kFolderPrefix[] = "hostsim-";
constexpr int kFolderAttempts = 16;

std::string Reason(const std::error_code& code) {
    return code.message();
}

// A new, empty folder of this run's own in the system's temporary folder.
bool MakeFolder(fs::path* folder, std::string* error) {
    std::error_code code;
    fs::path temporary = fs::temp_directory_path(code);
    if (code) {
        *error = "no temporary folder: " + Reason(code);
        return false;
    }
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
        fs::path candidate = temporary / (kFolderPrefix + std::to_string(random()));
        if (fs::create_directory(candidate, code)) {
            *folder = candidate;
            return true;
        }
        if (code) {
            *error = "cannot make a folder in " + temporary.string() + ": " + Reason(code);
            return false;
        }
    }
    *error = "cannot make a folder of its own in " + temporary.string();
    return false;
}

// What GetPrivateProfileStringA gives back for a value written: blanks at
// either end are not kept.
std::string AsRead(const std::string& value) {
    size_t first = value.find_first_not_of(" \t");
    size_t last = value.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

}  // namespace

PluginCopy::~PluginCopy() {
    if (!folder_.empty()) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

bool PluginCopy::Make(const std::string& plugin, const std::vector<IniValue>& values,
                      std::string* error) {
    fs::path folder;
    if (!MakeFolder(&folder, error)) {
        *error = "cannot give the plug-in settings of its own: " + *error;
        return false;
    }
    folder_ = folder.string();
    fs::path source(plugin);
    plugin_ = (folder / source.filename()).string();
    ini_ = IniBeside(plugin_);
    std::error_code code;
    if (!fs::copy_file(source, plugin_, code)) {
        *error = "cannot copy the plug-in " + plugin + " to " + folder_ + ": " + Reason(code);
        return false;
    }
    std::string userIni = IniBeside(plugin);
    if (fs::exists(userIni, code) && !fs::copy_file(userIni, ini_, code)) {
        *error = "cannot copy the settings " + userIni + " to " + folder_ + ": " + Reason(code);
        return false;
    }
    for (const IniValue& value : values) {
        std::string intended = AsRead(value.value);
        std::vector<char> read(intended.size() + 2);
        bool held = value.value.find_first_of("\r\n") == std::string::npos &&
                    WritePrivateProfileStringA(value.section, value.key, value.value.c_str(),
                                               ini_.c_str()) &&
                    GetPrivateProfileStringA(value.section, value.key, "", read.data(),
                                             static_cast<DWORD>(read.size()),
                                             ini_.c_str()) == intended.size() &&
                    intended == read.data();
        if (!held) {
            *error = "cannot set " + std::string(value.key) + " to '" + value.value + "' in " +
                     ini_ + " for this run";
            return false;
        }
    }
    return true;
}

}  // namespace hostsim
