// Conversions between the host's code page 932 texts and UTF-8 for the terminal.
#pragma once

#include <string>
#include <vector>

namespace hostsim {

// False when `text` holds a byte sequence the source code page does not define.
// Utf8ToCp932 puts the conversion's stand-in (a look-alike or "?") in place of
// a character that code page 932 cannot hold; ToCodePage932 says so.
bool Cp932ToUtf8(const std::string& text, std::string* utf8);
bool Utf8ToCp932(const std::string& utf8, std::string* text);
// A code page 932 text (the plug-in's, a message's, a value for the INI
// file) as the terminal shows it: UTF-8, or its bytes as they are when they
// are not code page 932.
std::string ShownCp932(const std::string& text);

// A character that code page 932 cannot hold, and what stands in its place.
struct Replacement {
    int line = 0;  // counted from 1
    char32_t codePoint = 0;
    std::string character;  // UTF-8
    std::string standIn;    // UTF-8, as the conversion gives it
};

// "U+1F600"
std::string CodePointName(const Replacement& replacement);
// "line 2: 😀 (U+1F600) becomes ?"
std::string Describe(const Replacement& replacement);

// Converts UTF-8 text to code page 932 line by line, listing in `replaced`
// every character that does not come back as it was. False, with the number
// of the first line that is not UTF-8 in `badLine`, on malformed UTF-8.
bool ToCodePage932(const std::string& utf8, std::string* text, std::vector<Replacement>* replaced,
                   int* badLine);

}  // namespace hostsim
