// The system's text for an error, as the plug-in shows it to the user: one
// line, the error's number behind it, the number alone for an error the
// system has no text for.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "host/system_error.h"

namespace telepost {
namespace {

const std::string kError = "\x83\x47\x83\x89\x81\x5B";  // エラー

TEST(SystemErrorTextTest, GivesTheSystemsTextOnOneLineWithTheNumber) {
    char text[kSystemErrorTextSize];
    SystemErrorText(5, text);  // access denied
    const std::string line = text;
    const std::string number = " (" + kError + " 5)";
    ASSERT_GT(line.size(), number.size());
    EXPECT_EQ(line.substr(line.size() - number.size()), number);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    EXPECT_NE(line[line.size() - number.size() - 1], ' ') << line;

    SystemErrorText(0xDEADBEEF, text);  // no system's text
    EXPECT_EQ(std::string(text), kError + " 3735928559");
}

}  // namespace
}  // namespace telepost
