// Text of the tests written readable (UTF-8 in the source) and turned into
// code page 932, the bytes the plug-in reads and shows, by the system's own
// conversion: as Notepad on a Japanese Windows saves a file as "ANSI".
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace telepost_tests {

// `utf8` in code page 932. A test fails on a text the conversion refuses.
inline std::string Cp932(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    std::vector<WCHAR> wide(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size,
                                           wide.data(), static_cast<int>(wide.size()));
    std::string text(utf8.size() * 2, '\0');
    const int bytes = length > 0
                          ? WideCharToMultiByte(932, 0, wide.data(), length, text.data(),
                                                static_cast<int>(text.size()), nullptr, nullptr)
                          : 0;
    EXPECT_GT(bytes, 0) << "cannot turn into code page 932: " << utf8;
    text.resize(bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
    return text;
}

}  // namespace telepost_tests
