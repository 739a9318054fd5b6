#include "plugin_copy.h"

#include <windows.h>

#include <charconv>
#include <random>
#include <system_error>
#include <type_traits>

#include "codec.h"
#include "host.h"
#include "paths.h"

namespace hostsim {

namespace fs = std::filesystem;

namespace {

// A private folder's name: the prefix, the identifier of the process that
// made it, a dash and a random number; the lock its run holds is on the
// file kOwnerLockName in it.
constexpr char kFolderPrefix[] = "hostsim-";
constexpr char kOwnerEnd = '-';
constexpr int kFolderAttempts = 16;

std::string Reason(const std::error_code& code) {
    return code.message();
}

// The path's file name when it is all ASCII, as every private folder's is;
// empty otherwise.
std::string AsciiName(const fs::path& path) {
    const fs::path file = path.filename();
    std::string name;
    for (auto c : file.native()) {
        if (static_cast<std::make_unsigned_t<decltype(c)>>(c) > 0x7F) {
            return {};
        }
        name += static_cast<char>(c);
    }
    return name;
}

// Whether `name` is one a run of hostsim gives its private folder.
bool IsPrivateFolderName(const std::string& name) {
    constexpr size_t kPrefix = sizeof kFolderPrefix - 1;
    if (name.compare(0, kPrefix, kFolderPrefix) != 0) {
        return false;
    }
    const char* end = name.data() + name.size();
    unsigned long owner = 0;
    auto [stop, code] = std::from_chars(name.data() + kPrefix, end, owner);
    unsigned long number = 0;
    return code == std::errc() && stop != end && *stop == kOwnerEnd && stop + 1 != end &&
           std::from_chars(stop + 1, end, number).ptr == end;
}

// A new folder of this run's own in the system's temporary folder, holding
// only the file of `lock`, which this run holds from then on.
bool MakeFolder(fs::path* folder, OwnerLock* lock, std::string* error) {
    std::error_code code;
    fs::path temporary = fs::temp_directory_path(code);
    if (code) {
        *error = "no temporary folder: " + Reason(code);
        return false;
    }
    std::random_device seed;
    std::mt19937 random(seed());
    const std::string owner = kFolderPrefix + std::to_string(ThisProcess()) + kOwnerEnd;
    for (int attempt = 0; attempt < kFolderAttempts; ++attempt) {
        fs::path candidate = temporary / (owner + std::to_string(random()));
        if (fs::create_directory(candidate, code)) {
            // A sweep that finds the folder before its lock is made takes it
            // for a leftover: then it is another's to remove, and another
            // name is tried.
            if (lock->Create(candidate / kOwnerLockName)) {
                *folder = candidate;
                return true;
            }
            continue;
        }
        if (code) {
            *error = "cannot make a folder in " + ForTerminal(temporary) + ": " + Reason(code);
            return false;
        }
    }
    *error = "cannot make a folder of its own in " + ForTerminal(temporary);
    return false;
}

// Copies `from` to `to` as a file of this run's own, writable (and so
// removable on Windows) whatever the original's attributes are.
bool CopyWritable(const fs::path& from, const fs::path& to, std::error_code* code) {
    if (!fs::copy_file(from, to, *code)) {
        return false;
    }
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                    *code);
    return !*code;
}

// What GetPrivateProfileStringA gives back for a value written: blanks at
// either end are not kept.
std::string AsRead(const std::string& value) {
    size_t first = value.find_first_not_of(" \t");
    size_t last = value.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

}  // namespace

void PluginCopy::SweepLeftovers() {
    std::error_code code;
    const fs::path temporary = fs::temp_directory_path(code);
    if (code) {
        return;  // nothing of this program's there either
    }
    for (fs::directory_iterator it(temporary, code), end; !code && it != end; it.increment(code)) {
        std::error_code ignored;
        if (!IsPrivateFolderName(AsciiName(it->path())) || !it->is_directory(ignored) ||
            it->is_symlink(ignored)) {
            continue;
        }
        // Its run has gone only when nothing holds the lock. A run killed
        // before it made its lock leaves a folder without one, which the
        // lock taken here stands for.
        const fs::path lockFile = it->path() / kOwnerLockName;
        OwnerLock lock;
        if (!lock.TakeOver(lockFile)) {
            continue;
        }
        for (fs::directory_iterator entry(it->path(), ignored), last; !ignored && entry != last;
             entry.increment(ignored)) {
            if (entry->path().filename() != kOwnerLockName) {
                std::error_code left;
                fs::remove_all(entry->path(), left);
            }
        }
        lock.Release();  // Windows removes no file that is open
        fs::remove(lockFile, ignored);
        fs::remove(it->path(), ignored);
    }
}

PluginCopy::~PluginCopy() {
    if (!folder_.empty()) {
        lock_.Release();  // Windows removes no file that is open
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    guard_.reset();  // only once the folder is gone
}

bool PluginCopy::Make(const std::string& plugin, const std::vector<IniValue>& values,
                      std::string* error) {
    if (!MakeFolder(&folder_, &lock_, error)) {
        *error = "cannot give the plug-in settings of its own: " + *error;
        return false;
    }
    const fs::path source = FsPath(plugin);
    const fs::path copy = folder_ / source.filename();
    const fs::path userIni = FsPath(IniBeside(plugin));
    const fs::path ini = folder_ / userIni.filename();
    guard_.emplace(std::vector<fs::path>{copy, ini, folder_ / kOwnerLockName}, folder_, &lock_);
    const std::string shownFolder = ForTerminal(folder_);
    plugin_ = NarrowPath(copy);
    ini_ = NarrowPath(ini);
    if (plugin_.empty() || ini_.empty()) {
        *error = "the temporary folder " + ForTerminal(folder_) +
                 " cannot be named in the system's code page";
        return false;
    }
    std::error_code code;
    if (!CopyWritable(source, copy, &code)) {
        *error = "cannot copy the plug-in " + ForTerminal(plugin) + " to " + shownFolder + ": " +
                 Reason(code);
        return false;
    }
    if (fs::exists(userIni, code) && !CopyWritable(userIni, ini, &code)) {
        *error = "cannot copy the settings " + ForTerminal(userIni) + " to " + shownFolder + ": " +
                 Reason(code);
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
            *error = "cannot set " + std::string(value.key) + " to '" + ShownCp932(value.value) +
                     "' in " + ForTerminal(ini_) + " for this run";
            return false;
        }
    }
    return true;
}

}  // namespace hostsim
