// UTF-8 as an INI file saved by today's Notepad holds it: the well-formed
// sequences (no overlong form, no surrogate, nothing above U+10FFFF) and the
// test of a text written in it. Pure code, free of Win32 types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace telepost {

// The byte order mark Notepad writes at the start of a file saved as
// "UTF-8 with BOM".
inline constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

namespace utf8 {

constexpr bool IsContinuation(unsigned char byte) {
    return byte >= 0x80 && byte <= 0xBF;
}

// The sequence at `p`, with `available` bytes from it on (a NUL-terminated
// text may give SIZE_MAX: a NUL ends it as well): how many bytes of it are
// well-formed (`length`) and whether they make a whole character.
struct Sequence {
    std::size_t length;
    bool whole;
};

constexpr Sequence SequenceAt(const char* p, std::size_t available = SIZE_MAX) {
    const auto byte = [p, available](std::size_t i) {
        return i < available ? static_cast<unsigned char>(p[i]) : static_cast<unsigned char>(0);
    };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return {1, true};
    }
    std::size_t size = 0;
    unsigned char low = 0x80;  // the bounds of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        size = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        size = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong form
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        size = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    } else {
        return {0, false};
    }
    if (byte(1) < low || byte(1) > high) {
        return {1, false};
    }
    // Each byte is read only after the one before it proved no terminator.
    for (std::size_t i = 2; i < size; ++i) {
        if (!IsContinuation(byte(i))) {
            return {i, false};
        }
    }
    return {size, true};
}

}  // namespace utf8

// Whether `text` is written in UTF-8: well-formed, and holding at least one
// character beyond ASCII (an ASCII text reads the same in every encoding this
// code meets). A NUL ends the text. With `cut`, the text may end inside its
// last character, as a value cut at the end of its buffer does.
constexpr bool IsUtf8Text(std::string_view text, bool cut) {
    bool beyondAscii = false;
    for (std::size_t at = 0; at < text.size() && text[at] != '\0';) {
        const utf8::Sequence sequence = utf8::SequenceAt(text.data() + at, text.size() - at);
        const std::size_t end = at + sequence.length;
        if (!sequence.whole) {
            return cut && sequence.length > 0 && (end == text.size() || text[end] == '\0');
        }
        beyondAscii = beyondAscii || sequence.length > 1;
        at = end;
    }
    return beyondAscii;
}

}  // namespace telepost
