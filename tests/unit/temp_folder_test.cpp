// The tests' temporary folders: each new one apart from every other, and gone
// with all it holds when it ends, files a test made read-only and folders in
// it too, but never what a link in it leads to.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "temp_folder.h"

namespace telepost_tests {
namespace {

namespace fs = std::filesystem;

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found;
}

TEST(TempFolderTest, IsRemovedWithAllItHoldsWhenItEnds) {
    const TempFolder outside("outside");
    const std::string kept = outside / "kept.txt";
    std::ofstream(kept) << "kept";
    std::string path;
    {
        const TempFolder folder("removed");
        const TempFolder other("removed");
        path = folder.Path();
        ASSERT_TRUE(fs::is_directory(path));
        EXPECT_NE(other.Path(), path);
        std::ofstream(folder / "a.ini") << "[k-tai]\n";
        fs::create_directories(folder / "sub/deeper");
        std::ofstream(folder / "sub/deeper/b.txt") << "b";
        const std::string readOnly = folder / "sub/read-only.txt";
        std::ofstream(readOnly) << "r";
        fs::permissions(readOnly, fs::perms::owner_read);
        fs::permissions(folder / "sub/deeper", fs::perms::owner_read | fs::perms::owner_exec);
#ifndef _WIN32
        fs::create_symlink(kept, folder / "link");
        fs::create_directory_symlink(outside.Path(), folder / "folder-link");
#endif
        ASSERT_TRUE(fs::exists(folder / "sub/deeper/b.txt"));
    }
    EXPECT_FALSE(Exists(path)) << path << " is left";
    std::ifstream in(kept);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "kept") << "a link in the folder took what it leads to";
}

}  // namespace
}  // namespace telepost_tests
