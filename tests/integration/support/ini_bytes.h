// An INI file's bytes in UTF-16 LE with its byte order mark, as a user may
// save one, for tests that read or write one through the plug-in.
#pragma once

#include <string>

namespace hostsim {

// `cp932`, text in code page 932, as a file in UTF-16 LE with its mark.
std::string Utf16File(const std::string& cp932);

}  // namespace hostsim
