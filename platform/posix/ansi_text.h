// Text in the ANSI code page (932) to UTF-16 and back, as Windows converts
// it where it never fails: every byte sequence gives characters, and every
// character gives bytes. The profile functions read a file so.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace win32posix {

// `bytes` in UTF-16. A lead byte (81-9F, E0-FC) takes the byte after it,
// whatever that is (a line's LF too), and a pair that code page 932 does
// not define, or a lead byte at the end, gives "・" (U+30FB); 80 gives
// U+0080, A0 and FD-FF the private U+F8F0-F8F3, A1-DF the half-width
// katakana. When `ends` is given, it gets for each unit the offset of the
// first byte after the character the unit came from.
std::u16string AnsiToWide(std::string_view bytes, std::vector<std::size_t>* ends = nullptr);

// `text` in code page 932: a character the code page holds as its own
// bytes (one held twice as its first form: "∵" as 81 E6), U+0080 and
// U+F8F0-F8F3 back to 80, A0 and FD-FF, a Latin-1 letter or sign as its
// nearest (é as "e", « as "≪"), any other character as "?".
std::string WideToAnsi(std::u16string_view text);

}  // namespace win32posix
