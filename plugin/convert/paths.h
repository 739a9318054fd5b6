// The ways the conversions of convert.h can run (private to convert/ and its
// tests).
//
// Byte at a time is each conversion as defined, one character after another.
// The block paths reach the same result 16 bytes at a time, with SSE2, which
// every processor the plug-in runs on has, or with the byte shuffles of
// SSSE3, or 32 bytes at a time with AVX2, where the processor has them; on
// the last path, where the processor also has the byte permutes and the byte
// compression of AVX-512 (VBMI and VBMI2, on 32-byte registers), the
// full-width conversion looks its bytes up with the permutes, and it and
// blank removal pack each block with the compression. The public conversions take the path that
// ChooseConversionPaths picked; the tests hold every path against byte at a time.
#pragma once

namespace telepost {

enum class ConversionPath { ByteAtATime, Sse2Blocks, Ssse3Blocks, Avx2Blocks, Avx512Blocks };

// Every path but byte at a time, slowest first.
inline constexpr ConversionPath kBlockPaths[] = {
    ConversionPath::Sse2Blocks, ConversionPath::Ssse3Blocks, ConversionPath::Avx2Blocks,
    ConversionPath::Avx512Blocks};

bool CanRun(ConversionPath path);

// Each takes a path that CanRun accepts.
char* ZenkakuToHankakuBy(ConversionPath path, char* text);
char* ToImodeEmojiBy(ConversionPath path, char* text);
char* DeleteBlanksBy(ConversionPath path, char* text);

}  // namespace telepost
