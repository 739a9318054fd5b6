// Removal of blanks and line breaks, in place.
#include <cstddef>
#include <cstring>

#include "convert/byte_blocks.h"
#include "convert/convert.h"
#include "convert/reference.h"

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

// 0xFF for the first `count` bytes of a block, at kFirstBytes + 16 - count.
constexpr unsigned char kFirstBytes[2 * kBlockSize] = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// The block with the byte at `position` taken out and the bytes after it
// moved down by one; the last byte is then undefined.
TELEPOST_SSE2 inline __m128i WithoutByte(__m128i bytes, unsigned position) {
    const __m128i before = Load(kFirstBytes + kBlockSize - position);
    return _mm_or_si128(_mm_and_si128(before, bytes),
                        _mm_andnot_si128(before, _mm_srli_si128(bytes, 1)));
}

// Each block is written back at the write position with its blanks taken out,
// the last one first so that the others keep their places. The bytes past
// the block's kept ones are left undefined and overwritten by the next block
// or the terminator; as the write position never passes the block, the
// stores reach only bytes already loaded.
TELEPOST_SSE2_ENTRY char* DeleteByBlocks(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    const std::size_t length = std::strlen(chars);
    std::size_t block = 0;
    std::size_t write = 0;
    for (; length - block >= kBlockSize; block += kBlockSize) {
        __m128i bytes = Load(text + block);
        unsigned blanks = Bits(InClass<kBlankRuns>(bytes));
        std::size_t kept = kBlockSize;
        while (blanks != 0) {
            const unsigned last = 31u - static_cast<unsigned>(__builtin_clz(blanks));
            blanks &= ~(1u << last);
            bytes = WithoutByte(bytes, last);
            --kept;
        }
        if (write != block || kept != kBlockSize) {
            Store(text + write, bytes);
        }
        write += kept;
    }
    write = KeepNonBlanks(text, block, length, write);
    text[write] = 0;
    return chars;
}

#endif  // TELEPOST_SSE2_BLOCKS

}  // namespace

char* DeleteBlanksReference(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    const std::size_t write = KeepNonBlanks(text, 0, std::strlen(chars), 0);
    text[write] = 0;
    return chars;
}

char* DeleteBlanks(char* text) {
#if TELEPOST_SSE2_BLOCKS
    return DeleteByBlocks(text);
#else
    return DeleteBlanksReference(text);
#endif
}

}  // namespace telepost
