// The in-place conversions of a Shift-JIS (code page 932) message text.
//
// Each takes a writable NUL-terminated string, rewrites it in one pass from
// left to right, and returns the same pointer. None lengthens the text,
// allocates memory or writes beyond the input's terminator; any byte
// sequence is accepted, malformed double-byte characters included.
#pragma once

namespace telepost {

// Full-width digits, Latin letters and 27 punctuation marks (the ideographic
// space among them) become their ASCII bytes; the text gets one byte shorter
// for each. Every other byte and double-byte character stays.
char* ZenkakuToHankaku(char* text);

// Twelve double-byte symbols and eight ASCII emoticons become DoCoMo i-mode
// emoji codes (lead byte 0xF9 or 0xF8). The length never changes.
char* ToImodeEmoji(char* text);

// Removes every TAB, LF, CR and space byte, byte by byte.
char* DeleteBlanks(char* text);

}  // namespace telepost
