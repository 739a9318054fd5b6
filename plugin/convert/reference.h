// The byte-at-a-time passes behind the conversions of convert.h (private to
// convert/ and its tests).
//
// Each walks the text one character at a time exactly as the conversion is
// defined. The public conversions reach the same result skipping whole blocks
// that hold nothing to change; the tests hold the two against each other.
#pragma once

namespace telepost {

char* ZenkakuToHankakuReference(char* text);
char* ToImodeEmojiReference(char* text);
char* DeleteBlanksReference(char* text);

}  // namespace telepost
