// Shift-JIS (code page 932) byte classes, the one definition of what makes a
// double-byte character.
//
// Lead bytes are 0x81-0x9F and 0xE0-0xFC; trail bytes 0x40-0x7E and 0x80-0xFC.
// These ranges are fixed and do not follow the system code page.
#pragma once

namespace telepost {

constexpr bool IsLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

constexpr bool IsTrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// A byte and the byte after it form one double-byte character. A NUL is never
// a trail byte, so a lead byte at the end of a string counts as a single byte.
constexpr bool IsDoubleBytePair(unsigned char first, unsigned char second) {
    return IsLeadByte(first) && IsTrailByte(second);
}

}  // namespace telepost
