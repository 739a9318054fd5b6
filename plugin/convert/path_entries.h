// Each conversion's entry on each path, and the one table the conversions
// are dispatched by (private to convert/).
#pragma once

namespace telepost {

using Conversion = char* (*)(char*);

// The three conversions, each on the same path.
struct Conversions {
    Conversion zenkakuToHankaku;
    Conversion toImodeEmoji;
    Conversion deleteBlanks;
};

// The conversions on the path ChooseConversionPaths picked, and on the path
// every processor can run before it has.
const Conversions& ChosenConversions();

char* ZenkakuToHankakuByteAtATime(char* text);
char* ToImodeEmojiByteAtATime(char* text);
char* DeleteBlanksByteAtATime(char* text);

// The block paths' entries, defined with the instruction sets they need.
// The 16-byte ones without byte shuffles need SSE2 alone; those with byte
// shuffles need SSSE3 at 16 bytes and AVX2 at 32.
namespace blocks::x16 {
char* ZenkakuToHankakuBySse2(char* text);
char* ToImodeEmojiBySse2(char* text);
char* DeleteBlanksBySse2(char* text);
char* ZenkakuToHankakuByShuffles(char* text);
char* ToImodeEmojiByShuffles(char* text);
char* DeleteBlanksByShuffles(char* text);
}  // namespace blocks::x16

namespace blocks::x32 {
char* ZenkakuToHankakuByShuffles(char* text);
char* ToImodeEmojiByShuffles(char* text);
char* DeleteBlanksByShuffles(char* text);
// These need AVX-512 (VL, BW, VBMI, VBMI2) too.
char* ZenkakuToHankakuByCompress(char* text);
char* DeleteBlanksByCompress(char* text);
}  // namespace blocks::x32

}  // namespace telepost
