// Removal of blanks and line breaks, in place.
#include <cstddef>
#include <cstdint>

#include "convert/byte_blocks.h"
#include "convert/byte_classes.h"
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

using namespace blocks;

constexpr ByteRuns kBlankRuns = RunsOf(IsBlank);
constexpr LowNibbleSet kBlankSet = LowNibbleSetOf(IsBlank);

// Each block is packed down to the write position without its blanks. The
// write position never passes the block, so the stores reach only bytes
// already loaded; what they leave past the kept bytes is overwritten by the
// next block or the terminator.
template <typename Block>
inline char* DeleteByBlocks(char* chars) {
    auto* text = reinterpret_cast<unsigned char*>(chars);
    TerminatorScan<typename Block::Chunk> scan(text);
    std::size_t block = 0;
    std::size_t write = 0;
    for (; scan.Covers(block + Block::kSize); block += Block::kSize) {
        write += Block::Pack(text + write, text + block);
    }
    return KeepNonBlanks(chars, block, write);
}

struct BlockBySse2 {
    using Chunk = Chunk16;
    static constexpr std::size_t kSize = kBlockSize;

    TELEPOST_SSE2 static std::size_t Pack(unsigned char* at, const unsigned char* block) {
        const __m128i bytes = Load(block);
        return PackBySse2::Store(at, bytes, Bits(InClass<kBlankRuns>(bytes)));
    }
};

// With byte shuffles the blanks are found with one table lookup.
struct BlockBySsse3 {
    using Chunk = Chunk16;
    static constexpr std::size_t kSize = kBlockSize;

    TELEPOST_SSSE3 static std::size_t Pack(unsigned char* at, const unsigned char* block) {
        const __m128i bytes = Load(block);
        return PackBySsse3::Store(at, bytes, Bits(InSet<kBlankSet>(bytes)));
    }
};

struct BlockByAvx2 {
    using Chunk = Chunk32;
    static constexpr std::size_t kSize = kWideBlockSize;

    TELEPOST_AVX2 static std::size_t Pack(unsigned char* at, const unsigned char* block) {
        const __m256i bytes = Load32(block);
        return PackByAvx2::Store(at, bytes, Bits(InSet<kBlankSet>(bytes)));
    }
};

TELEPOST_SSE2_ENTRY char* DeleteBySse2(char* text) {
    return DeleteByBlocks<BlockBySse2>(text);
}

TELEPOST_SSSE3_ENTRY char* DeleteBySsse3(char* text) {
    return DeleteByBlocks<BlockBySsse3>(text);
}

TELEPOST_AVX2_ENTRY char* DeleteByAvx2(char* text) {
    return DeleteByBlocks<BlockByAvx2>(text);
}

#endif  // TELEPOST_SSE2_BLOCKS

char* ConvertByteAtATime(char* text) {
    return KeepNonBlanks(text, 0, 0);
}

}  // namespace

char* DeleteBlanksBy(ConversionPath path, char* text) {
    switch (path) {
#if TELEPOST_SSE2_BLOCKS
        case ConversionPath::kSse2Blocks:
            return DeleteBySse2(text);
        case ConversionPath::kSsse3Blocks:
            return DeleteBySsse3(text);
        case ConversionPath::kAvx2Blocks:
            return DeleteByAvx2(text);
#endif
        default:
            return ConvertByteAtATime(text);
    }
}

char* DeleteBlanks(char* text) {
    return DeleteBlanksBy(ChosenPath(), text);
}

}  // namespace telepost
