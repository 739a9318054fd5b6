// The plug-in's texts are code page 932; the tests write what they expect of
// them readable, in UTF-8, and convert it here.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec.h"

namespace telepost_tests {

// `utf8` in code page 932; a failure for a character it cannot hold.
inline std::string Cp932(const std::string& utf8) {
    std::string text;
    std::vector<hostsim::Replacement> replaced;
    int badLine = 0;
    EXPECT_TRUE(hostsim::ToCodePage932(utf8, &text, &replaced, &badLine) && replaced.empty())
        << utf8;
    return text;
}

}  // namespace telepost_tests
