// A folder of a test's own in the temporary folder: made fresh when it is
// made, under a name no other folder there has (so that test programs run at
// once, and tests in one program, never meet in a file), and removed with
// everything in it when it goes. Every test that writes a file writes it in
// one of these.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

namespace telepost_tests {

class TempFolder {
  public:
    // Named "telepost-`what`-" and what makes it unique.
    explicit TempFolder(const std::string& what = "test") {
        const std::string start = testing::TempDir() + "telepost-" + what + "-";
#ifdef _WIN32
        // The process's number keeps it apart from other programs' folders;
        // a name left by an ended process of the same number is passed over.
        for (unsigned long tried = 0; path_.empty() && tried < 10000; ++tried) {
            const std::string name =
                start + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(Counter()++);
            if (CreateDirectoryA(name.c_str(), nullptr)) {
                path_ = name + "\\";
            } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
                break;
            }
        }
#else
        std::string name = start + "XXXXXX";
        if (mkdtemp(name.data())) {
            path_ = name + "/";
        }
#endif
        if (path_.empty()) {
            ADD_FAILURE() << "cannot make a folder named " << start << "...";
            path_ = start + "unmade/";  // every file written there fails
        }
    }

    ~TempFolder() {
        namespace fs = std::filesystem;
#ifdef _WIN32
        // In its long form, which reaches the paths a test made longer than
        // MAX_PATH.
        const fs::path folder = "\\\\?\\" + path_.substr(0, path_.size() - 1);
#else
        const fs::path folder = path_.substr(0, path_.size() - 1);
#endif
        // Write permission back first, where a test took it; never through a
        // link, which may lead out of the folder.
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
        std::error_code error;
        for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            if (it->is_symlink(ignored)) {
                continue;
            }
            fs::permissions(
                it->path(),
                it->is_directory(ignored) ? fs::perms::owner_all : fs::perms::owner_write,
                fs::perm_options::add, ignored);
        }
        error.clear();
        fs::remove_all(folder, error);
        if (error) {
            std::fprintf(stderr, "note: %s is left: %s\n", path_.c_str(), error.message().c_str());
        }
    }

    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // With its final separator: a name appended is a path in it.
    const std::string& Path() const {
        return path_;
    }
    std::string operator/(const std::string& name) const {
        return path_ + name;
    }

  private:
#ifdef _WIN32
    static unsigned long& Counter() {
        static unsigned long counter = 0;
        return counter;
    }
#endif
    std::string path_;
};

}  // namespace telepost_tests
