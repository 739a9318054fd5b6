// Removal of blanks and line breaks, in place.
#include <cstddef>
#include <cstring>

#include "convert/byte_blocks.h"
#include "convert/convert.h"
#include "convert/paths.h"

namespace telepost {

namespace {

// TAB, LF, CR and space. Every other byte stays, the other control bytes and
// the ideographic space included.
constexpr unsigned char kBlanks[] = {0x09, 0x0A, 0x0D, 0x20};

constexpr bool IsBlank(unsigned char byte) {
    for (unsigned char blank : kBlanks) {
        if (byte == blank) {
            return true;
        }
    }
    return false;
}

// Copies the bytes from `read` up to `end` down to `write`, leaving out the
// blanks, without a branch on the byte.
inline std::size_t KeepNonBlanks(unsigned char* text, std::size_t read, std::size_t end,
                                 std::size_t write) {
    for (; read < end; ++read) {
        const unsigned char byte = text[read];
        text[write] = byte;
        write += static_cast<std::size_t>(!IsBlank(byte));
    }
    return write;
}

#if TELEPOST_SSE2_BLOCKS

using namespace blocks;

constexpr ByteRuns kBlankRuns = RunsOf(IsBlank);

// Each block is packed down to the write position without its blanks. The
// write position never passes the block, so the stores reach only bytes
// already loaded; what they leave past the kept bytes is overwritten by the
// next block or the terminator.
template <typename Pack>
TELEPOST_SSE2 inline char* DeleteByBlocks(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    const std::size_t length = std::strlen(chars);
    std::size_t block = 0;
    std::size_t write = 0;
    for (; length - block >= kBlockSize; block += kBlockSize) {
        const __m128i bytes = Load(text + block);
        write += Pack::Store(text + write, bytes, Bits(InClass<kBlankRuns>(bytes)));
    }
    write = KeepNonBlanks(text, block, length, write);
    text[write] = 0;
    return chars;
}

TELEPOST_SSE2_ENTRY char* DeleteBySse2(char* text) {
    return DeleteByBlocks<PackBySse2>(text);
}

TELEPOST_SSSE3_ENTRY char* DeleteBySsse3(char* text) {
    return DeleteByBlocks<PackBySsse3>(text);
}

#endif  // TELEPOST_SSE2_BLOCKS

char* DeleteByteAtATime(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    const std::size_t write = KeepNonBlanks(text, 0, std::strlen(chars), 0);
    text[write] = 0;
    return chars;
}

}  // namespace

char* DeleteBlanksBy(ConversionPath path, char* text) {
    switch (path) {
#if TELEPOST_SSE2_BLOCKS
        case ConversionPath::kSse2Blocks:
            return DeleteBySse2(text);
        case ConversionPath::kSsse3Blocks:
            return DeleteBySsse3(text);
#endif
        default:
            return DeleteByteAtATime(text);
    }
}

char* DeleteBlanks(char* text) {
    return DeleteBlanksBy(FastestPath(), text);
}

}  // namespace telepost
