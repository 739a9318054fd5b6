// Removal of blanks and line breaks, in place.
#include <cstddef>
#include <cstdint>

#include "convert/byte_blocks.h"
#include "convert/byte_classes.h"
#include "convert/convert.h"
#include "convert/path_entries.h"

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

// Copies the bytes from `read` to the terminator down to `write`, leaving
// out the blanks, without a branch on the byte but the terminator's.
inline char* KeepNonBlanks(char* chars, std::size_t read, std::size_t write) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    for (;; ++read) {
        const unsigned char byte = text[read];
        text[write] = byte;
        if (byte == 0) {
            return chars;
        }
        write += static_cast<std::size_t>(!IsBlank(byte));
    }
}

#if TELEPOST_SSE2_BLOCKS

constexpr blocks::ByteRuns kBlankRuns = blocks::RunsOf(IsBlank);
constexpr blocks::LowNibbleSet kBlankSet = blocks::LowNibbleSetOf(IsBlank);

// Each block is packed down to the write position without its blanks by
// Block::Pack. The write position never passes the block, so the stores
// reach only bytes already loaded; what they leave past the kept bytes is
// overwritten by the next block or the terminator.
template <typename Block>
inline char* DeleteByBlocks(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    unsigned char* write = text;
    const unsigned char* end = blocks::ForEachBlock<typename Block::Scan, Block::kSize>(
        text, [&write](unsigned char* block) { write += Block::Pack(write, block); });
    return KeepNonBlanks(chars, static_cast<std::size_t>(end - text),
                         static_cast<std::size_t>(write - text));
}

#endif  // TELEPOST_SSE2_BLOCKS

}  // namespace

char* DeleteBlanksByteAtATime(char* text) {
    return KeepNonBlanks(text, 0, 0);
}

#if TELEPOST_SSE2_BLOCKS

namespace blocks::x16 {

namespace {

// Without byte shuffles the blanks are found by range tests and taken out
// one by one.
struct BlockBySse2 : Width {
    TELEPOST_SSE2 static std::size_t Pack(unsigned char* at, const unsigned char* block) {
        const __m128i bytes = Load(block);
        return PackedStoreBySse2(at, bytes, Bits(InClass<kBlankRuns>(bytes)));
    }
};

}  // namespace

TELEPOST_SSE2_ENTRY char* DeleteBlanksBySse2(char* text) {
    return DeleteByBlocks<BlockBySse2>(text);
}

}  // namespace blocks::x16

namespace blocks {
#define TELEPOST_WIDTH_BODY "convert/delete_blanks_blocks.inc"
#include "convert/for_each_width.inc"
#undef TELEPOST_WIDTH_BODY
}  // namespace blocks

namespace blocks::x32 {

namespace {

// With the byte compression of AVX-512, a block of 32 is packed in one step
// and only its kept bytes are stored.
struct BlockByCompress : Width {
    TELEPOST_AVX512 static std::size_t Pack(unsigned char* at, const unsigned char* block) {
        const __m256i bytes = Load(block);
        return CompressedStore(at, bytes, Bits(InSet<kBlankSet>(bytes)));
    }
};

}  // namespace

TELEPOST_AVX512_ENTRY char* DeleteBlanksByCompress(char* text) {
    return DeleteByBlocks<BlockByCompress>(text);
}

}  // namespace blocks::x32

#endif  // TELEPOST_SSE2_BLOCKS

char* DeleteBlanks(char* text) {
    return ChosenConversions().deleteBlanks(text);
}

}  // namespace telepost
