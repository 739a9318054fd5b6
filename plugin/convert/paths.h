// The ways the conversions of convert.h can run (private to convert/ and its
// tests).
//
// Byte at a time is each conversion as defined, one character after another.
// The block paths reach the same result 16 bytes at a time: with SSE2, which
// every processor the plug-in runs on has, or with the byte shuffles of SSSE3
// where the processor has them. The public conversions take the fastest path
// the processor can run; the tests hold every path against byte at a time.
#pragma once

namespace telepost {

enum class ConversionPath { kByteAtATime, kSse2Blocks, kSsse3Blocks };

bool CanRun(ConversionPath path);
ConversionPath FastestPath();

// Each takes a path that CanRun accepts.
char* ZenkakuToHankakuBy(ConversionPath path, char* text);
char* ToImodeEmojiBy(ConversionPath path, char* text);
char* DeleteBlanksBy(ConversionPath path, char* text);

}  // namespace telepost
