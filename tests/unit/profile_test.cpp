// How an INI value reads as an integer, and how a write that cannot be done
// fails. On Linux this is the platform layer's private-profile functions,
// under Wine the system's: one table for both, so the Linux build reads
// every awkward value, and reports every failed write, the way Windows does.
#include <gtest/gtest.h>

#include <windows.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "file_size_limit.h"
#include "read_only_files.h"
#include "temp_folder.h"

namespace {

struct IntCase {
    std::string value;  // written as "key=value"
    UINT read;
};

void PrintTo(const IntCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.value);
}

constexpr UINT kDefault = 99;

class ProfileIntTest : public testing::TestWithParam<IntCase> {
  protected:
    const telepost_tests::TempFolder folder_{"profile"};
    const std::string path_ = folder_ / "settings.ini";
};

TEST_P(ProfileIntTest, ReadsTheValueAsWindowsDoes) {
    std::ofstream(path_, std::ios::binary) << "[section]\r\nkey=" << GetParam().value << "\r\n";
    EXPECT_EQ(GetPrivateProfileIntA("section", "key", static_cast<INT>(kDefault), path_.c_str()),
              GetParam().read);
}

const std::string kThirtyDigits = std::string(28, '0') + "12";  // read as far as "...01"

INSTANTIATE_TEST_SUITE_P(
    Values, ProfileIntTest,
    testing::Values(
        // Nothing to read: the default.
        IntCase{"", kDefault}, IntCase{"   ", kDefault}, IntCase{"\"\"", kDefault},
        IntCase{"''", kDefault},
        // Blanks, control characters and enclosing quotes around the number.
        IntCase{" 7 ", 7}, IntCase{"\t7\t", 7}, IntCase{"\0015", 5},  // a control character, then 5
        IntCase{"\"5\"", 5}, IntCase{"'5'", 5}, IntCase{"\" 5 \"", 5}, IntCase{"\"-5\"", 0u - 5},
        IntCase{"\"5", 0}, IntCase{"5\"", 5}, IntCase{"'5\"", 0},
        // Signs: one, straight before the digits.
        IntCase{"+5", 5}, IntCase{"-5", 0u - 5}, IntCase{"-0", 0}, IntCase{"+-5", 0},
        IntCase{"--5", 0}, IntCase{"- 5", 0}, IntCase{"-", 0}, IntCase{"-0x10", 0u - 16},
        // Bases: "0x", "0o" and "0b" in lower case; a leading 0 alone is decimal.
        IntCase{"0x10", 16}, IntCase{"+0x10", 16}, IntCase{"0xAbC", 2748}, IntCase{"0x0010", 16},
        IntCase{"0X10", 0}, IntCase{"0x", 0}, IntCase{"0x 10", 0}, IntCase{"0x-1", 0},
        IntCase{"00x10", 0}, IntCase{"x10", 0}, IntCase{"0o17", 15}, IntCase{"0o8", 0},
        IntCase{"0b11", 3}, IntCase{"-0b11", 0u - 3}, IntCase{"0B11", 0}, IntCase{"0b2", 0},
        IntCase{"010", 10}, IntCase{"08", 8},
        // Past 32 bits: counted modulo 2^32, never saturated.
        IntCase{"2147483647", 2147483647u}, IntCase{"2147483648", 2147483648u},
        IntCase{"4294967295", 4294967295u}, IntCase{"4294967296", 0}, IntCase{"4294967297", 1},
        IntCase{"-2147483649", 2147483647u}, IntCase{"-4294967296", 0},
        IntCase{"0xffffffff", 4294967295u}, IntCase{"0x100000000", 0},
        IntCase{"0x1ffffffff", 4294967295u}, IntCase{"99999999999999999999", 1661992959u},
        // Only the first 29 characters are read.
        IntCase{kThirtyDigits, 1}, IntCase{"1234567890123456789012345678901234567890", 1849262357u},
        // Trailing text ends the number; text that starts with none reads 0.
        IntCase{"12abc", 12}, IntCase{"12 34", 12}, IntCase{"1.5", 1}, IntCase{"1e3", 1},
        IntCase{"5;comment", 5}, IntCase{"0x10x", 16}, IntCase{"1\x82\x50", 1},  // 1１
        IntCase{"abc", 0}, IntCase{"=5", 0}, IntCase{"\x82\x50", 0}));           // １

namespace fs = std::filesystem;

// A file a write cannot go to, and the error Windows reports for it.
struct WriteFault {
    const char* what;
    std::function<void(const std::string& path)> make;
    DWORD error;
    bool readOnly = false;
};

constexpr DWORD kAccessDenied = 5;
constexpr DWORD kPathNotFound = 3;
const std::string kContents = "[section]\r\nkey=1\r\n";

std::vector<WriteFault> WriteFaults() {
    std::vector<WriteFault> faults = {
        {"a read-only file",
         [](const std::string& path) {
             std::ofstream(path, std::ios::binary) << kContents;
             telepost_tests::MakeReadOnly(path);
         },
         kAccessDenied, true},
        {"a folder in its place", [](const std::string& path) { fs::create_directory(path); },
         kAccessDenied},
        {"a folder that does not exist", [](const std::string&) {}, kPathNotFound},
    };
#ifndef _WIN32
    // Windows has neither; the layer refuses them as it refuses a folder.
    faults.push_back({"a pipe in its place",
                      [](const std::string& path) { mkfifo(path.c_str(), 0644); }, kAccessDenied});
#endif
    return faults;
}

class ProfileWriteTest : public testing::Test {
  protected:
    void TearDown() override { Clear(); }
    void Clear() {
        std::error_code ignored;
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ignored);
        telepost_tests::MakeWritable(path_);
        fs::remove_all(folder_, ignored);
    }
    const telepost_tests::TempFolder scratch_{"profile-write"};
    std::string folder_ = scratch_ / "write/";
    std::string path_ = folder_ + "settings.ini";
};

TEST_F(ProfileWriteTest, AWriteThatCannotBeDoneFailsWithWindowsError) {
    for (const WriteFault& fault : WriteFaults()) {
        SCOPED_TRACE(fault.what);
        if (fault.readOnly && !telepost_tests::ReadOnlyFilesRefused()) {
            continue;
        }
        Clear();
        if (fault.error != kPathNotFound) {
            fs::create_directory(folder_);
        }
        fault.make(path_);
        const bool regular = fs::is_regular_file(path_);

        SetLastError(0);
        EXPECT_FALSE(WritePrivateProfileStringA("section", "key", "2", path_.c_str()));
        EXPECT_EQ(GetLastError(), fault.error);
        // Nothing written, and what is there reads as it did, without a wait.
        EXPECT_EQ(GetPrivateProfileIntA("section", "key", 7, path_.c_str()), regular ? 1u : 7u);
        if (regular) {
            std::ifstream in(path_, std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kContents);
        }
    }
}

#ifndef _WIN32
std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The names in the folder besides the file: a write leaves nothing behind.
std::vector<std::string> Beside(const std::string& folder, const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path() != fs::path(path)) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// A write changes its own line and keeps every other byte of the file: line
// ends of either kind, a last line without one, blanks, comments and other
// sections. (The Linux layer's writer; Wine's writes each line in a form of
// its own.)
TEST_F(ProfileWriteTest, AWriteKeepsEveryOtherByte) {
    struct Case {
        const char* what;
        std::string before;
        const char* key;
        std::string after;
    };
    const std::string notes = "[user notes]\nkeep = this line ; as typed\n\n";
    const Case cases[] = {
        {"a key changed in place keeps its line end",
         "; mine\n[section]\nkey = 1\nother=x\r\n" + notes, "key",
         "; mine\n[section]\nkey=2\nother=x\r\n" + notes},
        {"a new key after the section's last line, before its blank lines",
         "[section]\nother=x\n\n" + notes, "key", "[section]\nother=x\nkey=2\r\n\n" + notes},
        {"a new section after a last line without its end", notes + "tail", "key",
         notes + "tail\r\n[section]\r\nkey=2\r\n"},
        {"a new key after a last line without its end", "[section]\nother=x", "key",
         "[section]\nother=x\r\nkey=2\r\n"},
    };
    fs::create_directory(folder_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(path_, std::ios::binary) << c.before;
        EXPECT_TRUE(WritePrivateProfileStringA("section", c.key, "2", path_.c_str()));
        EXPECT_EQ(ReadBytes(path_), c.after);
    }
    EXPECT_EQ(Beside(folder_, path_), std::vector<std::string>{});
}

// A write that fails part-way (here at the process's file size limit, which
// holds for root as a full disk does) leaves the file as it was, byte for
// byte, and nothing beside it; the failure is reported as Windows reports it.
TEST_F(ProfileWriteTest, AFailedWriteLeavesTheFileAsItWas) {
    constexpr DWORD kFileTooLarge = 223;
    fs::create_directory(folder_);
    const std::string before = "[section]\r\nkey=1\r\n[user notes]\r\nkeep=this line\r\n";
    std::ofstream(path_, std::ios::binary) << before;
    BOOL written = TRUE;
    DWORD error = 0;
    {
        const telepost_tests::FileSizeLimit limit(before.size());
        ASSERT_TRUE(limit.Set());
        SetLastError(0);
        written = WritePrivateProfileStringA("section", "key", "22", path_.c_str());
        error = GetLastError();
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(error, kFileTooLarge);
    EXPECT_EQ(ReadBytes(path_), before);
    EXPECT_EQ(Beside(folder_, path_), std::vector<std::string>{});
}

// A link is followed: the file it leads to is written, and the link stays.
TEST_F(ProfileWriteTest, AWriteThroughALinkWritesTheFileItLeadsTo) {
    fs::create_directory(folder_);
    const std::string target = folder_ + "target.ini";
    std::ofstream(target, std::ios::binary) << kContents;
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("target.ini", path_);
    EXPECT_TRUE(WritePrivateProfileStringA("section", "key", "2", path_.c_str()));
    EXPECT_TRUE(fs::is_symlink(path_));
    EXPECT_EQ(ReadBytes(target), "[section]\r\nkey=2\r\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A folder nobody may write to stands for one the user may not create files
// in, as Windows keeps Program Files, also for a test run by root.
TEST_F(ProfileWriteTest, AFolderWithoutWritePermissionIsRefused) {
    fs::create_directory(folder_);
    telepost_tests::MakeReadOnly(folder_);
    EXPECT_FALSE(WritePrivateProfileStringA("section", "key", "2", path_.c_str()));
    EXPECT_EQ(GetLastError(), kAccessDenied);
    EXPECT_FALSE(fs::exists(path_));
}
#endif

}  // namespace
