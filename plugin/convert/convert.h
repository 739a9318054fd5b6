// The in-place conversions of a Shift-JIS (code page 932) message text.
//
// Each takes a writable NUL-terminated string, rewrites it in one pass from
// left to right, and returns the same pointer. None lengthens the text,
// allocates memory, or writes outside the text and its terminator. Any byte
// sequence is accepted, malformed double-byte characters included: a lead
// byte (0x81-0x9F, 0xE0-0xFC) not followed by a trail byte counts as a
// single byte.
//
// What they read outside the text: on x86, where they take the block paths
// (see paths.h), the terminator is looked for in aligned groups of 64 bytes
// (128 where the blocks are 32 bytes), and the group that holds the text's
// first byte and the one that holds its terminator may be read whole: up to
// 63 (or 127) bytes before the text and up to 63 (or 127) after the
// terminator. Nothing else outside the text is read, those bytes' values
// change nothing, and none is written. These reads cannot fault: a group
// aligned to its size lies within one page (pages are multiples of 4096
// bytes), and a group is read only when it holds a byte of the text or its
// terminator, so its page is one the caller can read. Byte at a time reads
// the text and its terminator alone.
#pragma once

namespace telepost {

// Picks the fastest way this processor can run the conversions, once, when
// the library is attached. Until then they take a way every processor the
// plug-in runs on can run, so they are correct whenever they are called.
void ChooseConversionPaths();

// Full-width digits, Latin letters and the punctuation marks listed in
// zenkaku_to_hankaku.cpp (the ideographic space among them) become their
// ASCII bytes; the text gets one byte shorter for each. Every other byte and
// double-byte character stays.
char* ZenkakuToHankaku(char* text);

// The double-byte symbols and ASCII emoticons listed in imode_emoji.cpp (the
// circled digits 1 to 9 and the wave dash among the symbols, !! and :) among
// the emoticons) become DoCoMo i-mode emoji codes (lead byte 0xF9 or 0xF8).
// The scan steps over whole characters and converted emoticons, so a trail
// byte never begins an emoticon and "!!!" converts its first two marks only.
// The length never changes.
char* ToImodeEmoji(char* text);

// Removes every TAB, LF, CR and space byte, byte by byte.
char* DeleteBlanks(char* text);

}  // namespace telepost
