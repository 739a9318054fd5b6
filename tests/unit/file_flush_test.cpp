// The Linux layer's FlushFileBuffers puts a file on the disk with fsync, and
// MoveFileExA with MOVEFILE_WRITE_THROUGH the folder that holds the new name:
// seen by an fsync of this program's own, which the layer's calls reach in
// place of the C library's.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <windows.h>

#include <string>
#include <vector>

#include "temp_folder.h"

namespace {

// The kinds of what fsync was called on, in order: 'f' a regular file, 'd' a
// folder, '?' anything else or a descriptor that is none.
std::vector<char> g_synced;

}  // namespace

extern "C" int fsync(int descriptor) {
    struct stat status {};
    g_synced.push_back(fstat(descriptor, &status) != 0 ? '?'
                       : S_ISREG(status.st_mode)       ? 'f'
                       : S_ISDIR(status.st_mode)       ? 'd'
                                                       : '?');
    return static_cast<int>(syscall(SYS_fsync, descriptor));
}

namespace {

TEST(FileFlushTest, FlushAndMoveReachTheDisk) {
    const telepost_tests::TempFolder folder("flush");
    const std::string path = folder / "TELEPOST.ini.new";
    const std::string moved = folder / "TELEPOST.ini";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD wrote = 0;
    EXPECT_TRUE(WriteFile(file, "[k-tai]\r\n", 9, &wrote, nullptr));
    g_synced.clear();
    EXPECT_TRUE(FlushFileBuffers(file));
    EXPECT_EQ(g_synced, std::vector<char>{'f'});
    EXPECT_TRUE(CloseHandle(file));

    g_synced.clear();
    EXPECT_TRUE(MoveFileExA(path.c_str(), moved.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_EQ(g_synced, std::vector<char>{'d'});

    // A flush that fails is told: here of a handle already closed.
    g_synced.clear();
    SetLastError(0);
    EXPECT_FALSE(FlushFileBuffers(file));
    EXPECT_NE(GetLastError(), 0u);
    EXPECT_EQ(g_synced, std::vector<char>{'?'});
}

}  // namespace
#endif
