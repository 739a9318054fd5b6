// How an INI value reads as an integer. On Linux this is the platform layer's
// GetPrivateProfileIntA, under Wine the system's: one table for both, so the
// Linux build reads every awkward value the way Windows does.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <ostream>
#include <string>

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
    void SetUp() override { path_ = testing::TempDir() + "telepost_profile_test.ini"; }
    void TearDown() override { std::remove(path_.c_str()); }
    std::string path_;
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

}  // namespace
