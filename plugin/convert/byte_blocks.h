// The vector code of the conversions' block paths: loads, byte-class tests
// and the packing of blocks (private to convert/; the byte classes
// themselves are in byte_classes.h). The conversions have five paths
// (ConversionPath in paths.h), and this is where each one's helpers are:
//
//   byte at a time  none: each conversion's own loop in its .cpp, the
//                   reference that the tests hold every other path against
//   SSE2            16 bytes at a time (x16), no byte shuffles: the
//                   TELEPOST_BLOCK_CODE helpers of block_width.inc, and
//                   WithByte and PackedStoreBySse2 below
//   SSSE3           16 bytes at a time (x16): block_width.inc's
//                   TELEPOST_SHUFFLE_CODE helpers too (byte shuffles)
//   AVX2            32 bytes at a time (x32), with BMI1 and BMI2: the
//                   SSSE3 path's helpers at twice the width
//   AVX-512         32 bytes at a time (x32), AVX2 with VL, BW, VBMI and
//                   VBMI2: LookUpPermuted (byte permutes) and
//                   CompressedStore (byte compression) below, for the
//                   full-width conversion and blank removal; the emoji
//                   conversion takes its AVX2 loop here
//
// The helpers of the four vector paths are written once for both register
// widths, in block_width.inc, which this header includes twice: into
// namespace x16 for 16-byte blocks and into x32 for 32-byte blocks. Each
// conversion's block loop is written the same way, in its own *_blocks.inc,
// included into both namespaces by the conversion's source; where the SSE2
// or the AVX-512 path works differently, its part is in that source.
//
// A block path takes 16 bytes at a time (32 with AVX2 or AVX-512); dropped
// bytes are packed out before the block is stored at the write position. A
// block with nothing to change is copied, or left alone when nothing has
// moved.
//
// Blocks lie at fixed positions from the text's start; the parse state
// carried from one block to the next is one bit, whether the block's first
// byte ends a unit that began in the block before. The length of the text is
// not known in advance: a TerminatorScan finds the terminator ahead of the
// blocks, and a block is taken only when its bytes and the one after them
// lie within the string and its terminator; the rest goes byte at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "convert/byte_classes.h"

#if defined(__x86_64__) || defined(__i386__)
#define TELEPOST_SSE2_BLOCKS 1
#include <immintrin.h>
#endif

#if TELEPOST_SSE2_BLOCKS

namespace telepost::blocks {

// 32-bit Windows callers keep the stack only 4-byte aligned, and the i686
// build does not assume SSE2 elsewhere: the block code enables SSE2, SSSE3,
// AVX2 or AVX-512 for itself and realigns the stack where it is entered, so
// that spills of 16- and 32-byte registers land on aligned slots. An SSSE3,
// AVX2 or AVX-512 entry takes the block loop and its helpers into itself
// (flatten), so that the whole loop is compiled for that instruction set; it
// is entered only when the processor has it.
//
// With AVX2 come BMI1 and BMI2, which every processor with AVX2 has: the
// parse into characters is bit operations on general registers, and ANDN
// saves an instruction in many of them. Without BMI1, GCC does the AND-NOTs
// of the AVX-512 code in mask registers instead, and the moves between
// those and the general registers lengthen the chain that each block's
// parse hands on to the next (the full-width conversion ran a third
// slower).
#if defined(__i386__)
#define TELEPOST_REALIGN_STACK force_align_arg_pointer,
#else
#define TELEPOST_REALIGN_STACK
#endif
#define TELEPOST_AVX2_TARGET "avx2,bmi,bmi2"
#define TELEPOST_AVX512_TARGET \
    TELEPOST_AVX2_TARGET ",avx512f,avx512vl,avx512bw,avx512vbmi,avx512vbmi2"
#define TELEPOST_SSE2 __attribute__((target("sse2")))
#define TELEPOST_SSSE3 __attribute__((target("ssse3")))
#define TELEPOST_AVX2 __attribute__((target(TELEPOST_AVX2_TARGET)))
#define TELEPOST_AVX512 __attribute__((target(TELEPOST_AVX512_TARGET)))
#define TELEPOST_SSE2_ENTRY \
    __attribute__((target("sse2"), TELEPOST_REALIGN_STACK flatten, noinline))
#define TELEPOST_SSSE3_ENTRY \
    __attribute__((target("ssse3"), TELEPOST_REALIGN_STACK flatten, noinline))
#define TELEPOST_AVX2_ENTRY \
    __attribute__((target(TELEPOST_AVX2_TARGET), TELEPOST_REALIGN_STACK flatten, noinline))
#define TELEPOST_AVX512_ENTRY \
    __attribute__((target(TELEPOST_AVX512_TARGET), TELEPOST_REALIGN_STACK flatten, noinline))

// Within a width-generic body, TELEPOST_BLOCK_BYTES (16 or 32) is the block
// size it is being compiled for, and these name the instruction sets of that
// width: what every helper needs (SSE2 or AVX2), what the byte shuffles need
// (SSSE3 or AVX2), and the entries of a block loop that uses either.
#define TELEPOST_BLOCK_CODE_16 TELEPOST_SSE2
#define TELEPOST_BLOCK_CODE_32 TELEPOST_AVX2
#define TELEPOST_SHUFFLE_CODE_16 TELEPOST_SSSE3
#define TELEPOST_SHUFFLE_CODE_32 TELEPOST_AVX2
#define TELEPOST_BLOCK_ENTRY_16 TELEPOST_SSE2_ENTRY
#define TELEPOST_BLOCK_ENTRY_32 TELEPOST_AVX2_ENTRY
#define TELEPOST_SHUFFLE_ENTRY_16 TELEPOST_SSSE3_ENTRY
#define TELEPOST_SHUFFLE_ENTRY_32 TELEPOST_AVX2_ENTRY
#define TELEPOST_OF_WIDTH_(name, bytes) name##bytes
#define TELEPOST_OF_WIDTH(name, bytes) TELEPOST_OF_WIDTH_(name, bytes)
#define TELEPOST_BLOCK_CODE TELEPOST_OF_WIDTH(TELEPOST_BLOCK_CODE_, TELEPOST_BLOCK_BYTES)
#define TELEPOST_SHUFFLE_CODE TELEPOST_OF_WIDTH(TELEPOST_SHUFFLE_CODE_, TELEPOST_BLOCK_BYTES)
#define TELEPOST_BLOCK_ENTRY TELEPOST_OF_WIDTH(TELEPOST_BLOCK_ENTRY_, TELEPOST_BLOCK_BYTES)
#define TELEPOST_SHUFFLE_ENTRY TELEPOST_OF_WIDTH(TELEPOST_SHUFFLE_ENTRY_, TELEPOST_BLOCK_BYTES)

// What the processor has, asked each time (the answer is kept by the
// compiler's runtime after the first question). AVX2 counts only where the
// operating system saves the 32-byte registers.
inline bool ProcessorHasSsse3() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
}

inline bool ProcessorHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("bmi") != 0 &&
           __builtin_cpu_supports("bmi2") != 0;
}

// AVX-512 counts, as AVX2 does, only where the operating system saves its
// registers; the byte permutes and the byte compression on 32-byte
// registers need VBMI, VBMI2, BW and VL.
inline bool ProcessorHasAvx512Bytes() {
    __builtin_cpu_init();
    return ProcessorHasAvx2() && __builtin_cpu_supports("avx512f") != 0 &&
           __builtin_cpu_supports("avx512vl") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
           __builtin_cpu_supports("avx512vbmi") != 0 && __builtin_cpu_supports("avx512vbmi2") != 0;
}

// Constants of the block code are read from memory where they are used.
// Written as _mm256_set1_epi8 and the like, GCC builds each one from an
// integer register with a broadcast, and the block loops need more constants
// than there are registers, so it rebuilds them on every pass: three
// instructions where one load (or an operand in memory) does. InMemory holds
// a copy that the compiler cannot take for a constant, since the code could
// change it (nothing does); so its values are read, not rebuilt. The copy is
// private to each source file, so that the position-independent Linux build
// reads it at a fixed distance from the code rather than through the table
// of shared addresses (one load more for each constant); marking it used
// keeps the compiler from finding that nothing writes it and folding it back
// into constants. Measured against constants folded back (conversions_bench
// --paths --sizes 64KiB,1MiB, Linux and DLL builds in turns, best of 9 and
// of 10 rounds in two runs, 2026-12-11): without InMemory the full-width
// conversion took 7 to 16 % longer on the AVX2 path (both builds) and the
// DLL's 5 to 6 % longer on the AVX-512 one, but the emoji conversion 2 to
// 15 % less (most on SSE2), and the Linux build's full-width conversion
// 9 % less on the AVX-512 path and 12 % less on SSE2.
template <const auto& Value>
__attribute__((used)) static std::remove_cvref_t<decltype(Value)> InMemory = Value;

// Bytes for a register of either width, aligned for the wider; a 16-byte
// register takes the first half.
constexpr std::size_t kWidestBlock = 32;

struct alignas(kWidestBlock) BlockBytes {
    unsigned char bytes[kWidestBlock] = {};
};

template <unsigned char Value>
constexpr BlockBytes RepeatedOf() {
    BlockBytes repeated;
    for (unsigned char& byte : repeated.bytes) {
        byte = Value;
    }
    return repeated;
}

template <unsigned char Value>
inline constexpr BlockBytes kRepeated = RepeatedOf<Value>();

// For each byte of a block, the byte of a 32-bit word that holds its bit,
// and the bit.
constexpr BlockBytes BitSpreading(bool bit) {
    BlockBytes spreading;
    for (unsigned byte = 0; byte < kWidestBlock; ++byte) {
        spreading.bytes[byte] = static_cast<unsigned char>(bit ? 1u << (byte % 8) : byte / 8);
    }
    return spreading;
}

inline constexpr BlockBytes kByteOfBit = BitSpreading(false);
inline constexpr BlockBytes kBitInByte = BitSpreading(true);

// For each set of dropped bytes in a half block (8 bits), the shuffle that
// gathers the kept bytes at its start, for the block's first half and for its
// second (the same indices 8 on), and their count.
struct HalfBlockPacking {
    unsigned char shuffle[256][2][8] = {};
    unsigned char kept[256] = {};
};

constexpr HalfBlockPacking MakeHalfBlockPacking() {
    constexpr unsigned char kZero = 0x80;  // a shuffle index that yields 0
    constexpr unsigned char kHalf = 8;
    HalfBlockPacking packing;
    for (unsigned dropped = 0; dropped < 256; ++dropped) {
        unsigned char kept = 0;
        for (unsigned char byte = 0; byte < kHalf; ++byte) {
            if ((dropped & (1u << byte)) == 0) {
                packing.shuffle[dropped][0][kept] = byte;
                packing.shuffle[dropped][1][kept] = static_cast<unsigned char>(byte + kHalf);
                ++kept;
            }
        }
        packing.kept[dropped] = kept;
        for (unsigned char rest = kept; rest < kHalf; ++rest) {
            packing.shuffle[dropped][0][rest] = kZero;
            packing.shuffle[dropped][1][rest] = kZero;
        }
    }
    return packing;
}

inline constexpr HalfBlockPacking kHalfBlockPacking = MakeHalfBlockPacking();

// Runs body(block) on each block of `size` bytes from the text's start on
// whose bytes hold no NUL, so that the byte after it, which a block may read
// too, is at most the terminator, and returns where the blocks end. Scan is
// the TerminatorScan of the blocks' width.
template <typename Scan, std::size_t size, typename Body>
inline unsigned char* ForEachBlock(unsigned char* text, Body body) {
    Scan scan(text);
    unsigned char* block = text;
    do {
        const unsigned char* clear = scan.Clear();
        for (; static_cast<std::size_t>(clear - block) >= size; block += size) {
            body(block);
        }
    } while (scan.Advance());
    return block;
}

#define TELEPOST_WIDTH_BODY "convert/block_width.inc"
#include "convert/for_each_width.inc"
#undef TELEPOST_WIDTH_BODY

namespace x16 {

// Without byte shuffles (SSE2 alone) a byte is set and a block packed with
// masks.

// kMaskBytes + 16 - k: 0xFF in the first k bytes of a block.
// kMaskBytes + 32 - k: 0xFF in byte k alone.
inline constexpr unsigned char kMaskBytes[3 * kSize] = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0xFF, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
};

// The block with byte `position` set to `value`.
TELEPOST_SSE2 inline __m128i WithByte(__m128i bytes, unsigned position, unsigned char value) {
    const __m128i only = Load(kMaskBytes + 2 * kSize - position);
    return _mm_or_si128(_mm_andnot_si128(only, bytes),
                        _mm_and_si128(only, _mm_set1_epi8(static_cast<char>(value))));
}

// Stores the block at `at` without the bytes marked in `dropped`, as
// PackedStore does: takes them out one by one, the last first, so that the
// others keep their places, and writes all 16 bytes.
TELEPOST_SSE2 inline std::size_t PackedStoreBySse2(unsigned char* at, __m128i bytes,
                                                   unsigned dropped) {
    std::size_t kept = kSize;
    while (dropped != 0) {
        const unsigned last = 31u - static_cast<unsigned>(__builtin_clz(dropped));
        dropped &= ~(1u << last);
        const __m128i before = Load(kMaskBytes + kSize - last);
        bytes = _mm_or_si128(_mm_and_si128(before, bytes),
                             _mm_andnot_si128(before, _mm_srli_si128(bytes, 1)));
        --kept;
    }
    Store(at, bytes);
    return kept;
}
}  // namespace x16

namespace x32 {

// Stores a 32-byte block at `at` without the bytes marked in `dropped`, as
// PackedStore does, with one byte compression, and writes only the kept
// bytes.
TELEPOST_AVX512 inline std::size_t CompressedStore(unsigned char* at, __m256i bytes,
                                                   std::uint32_t dropped) {
    const auto kept = static_cast<unsigned>(__builtin_popcount(~dropped));
    const auto keptBytes = static_cast<std::uint32_t>((std::uint64_t{1} << kept) - 1);
    _mm256_mask_storeu_epi8(at, keptBytes, _mm256_maskz_compress_epi8(~dropped, bytes));
    return kept;
}

// The byte that each byte's distance from the table's base picks from the
// table's 128 bytes, with two byte permutes across two 32-byte registers
// each, one for either half of the table; distances of 128 or more pick
// from the table too and are the caller's to clear. (One permute across two
// 64-byte registers would do, but GCC 12's intrinsics for moving between
// 32- and 64-byte registers warn of undefined bytes.)
template <const PermutedTable& Table>
TELEPOST_AVX512 inline __m256i LookUpPermuted(__m256i distances) {
    const unsigned char* const bytes = InMemory<Table>.bytes;
    const __m256i low =
        _mm256_permutex2var_epi8(LoadAligned(bytes), distances, LoadAligned(bytes + 32));
    const __m256i high =
        _mm256_permutex2var_epi8(LoadAligned(bytes + 64), distances, LoadAligned(bytes + 96));
    return _mm256_mask_blend_epi8(_mm256_test_epi8_mask(distances, Splat<64>()), low, high);
}

}  // namespace x32

}  // namespace telepost::blocks

#endif  // TELEPOST_SSE2_BLOCKS
