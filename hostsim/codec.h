// Conversions between the host's code page 932 texts and UTF-8 for the terminal.
#pragma once

#include <string>

namespace hostsim {

// False when `text` holds a byte sequence the source code page does not define.
bool Cp932ToUtf8(const std::string& text, std::string* utf8);
bool Utf8ToCp932(const std::string& utf8, std::string* text);

}  // namespace hostsim
