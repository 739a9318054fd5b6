// The vector code of the conversions' block paths: loads, byte-class tests
// and the packing of blocks, with SSE2, SSSE3 and AVX2 (private to
// convert/; the byte classes themselves are in byte_classes.h).
//
// A block path takes 16 bytes at a time (32 with AVX2); dropped bytes are
// packed out before the block is stored at the write position. A block with
// nothing to change is copied, or left alone when nothing has moved.
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

constexpr std::size_t kBlockSize = 16;
constexpr std::size_t kWideBlockSize = 32;

// 32-bit Windows callers keep the stack only 4-byte aligned, and the i686
// build does not assume SSE2 elsewhere: the block code enables SSE2, SSSE3
// or AVX2 for itself and realigns the stack where it is entered, so that
// spills of 16- and 32-byte registers land on aligned slots. An SSSE3 or
// AVX2 entry takes the block loop and its helpers into itself (flatten), so
// that the whole loop is compiled for that instruction set; it is entered
// only when the processor has it.
#if defined(__i386__)
#define TELEPOST_REALIGN_STACK force_align_arg_pointer,
#else
#define TELEPOST_REALIGN_STACK
#endif
#define TELEPOST_SSE2 __attribute__((target("sse2")))
#define TELEPOST_SSSE3 __attribute__((target("ssse3")))
#define TELEPOST_AVX2 __attribute__((target("avx2")))
#define TELEPOST_SSE2_ENTRY \
    __attribute__((target("sse2"), TELEPOST_REALIGN_STACK flatten, noinline))
#define TELEPOST_SSSE3_ENTRY \
    __attribute__((target("ssse3"), TELEPOST_REALIGN_STACK flatten, noinline))
#define TELEPOST_AVX2_ENTRY \
    __attribute__((target("avx2"), TELEPOST_REALIGN_STACK flatten, noinline))

// What the processor has, asked each time (the answer is kept by the
// compiler's runtime after the first question). AVX2 counts only where the
// operating system saves the 32-byte registers.
inline bool ProcessorHasSsse3() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("ssse3") != 0;
}

inline bool ProcessorHasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}

// Finding the terminator ahead of the blocks, in aligned chunks.
//
// A block path must not read a byte that the caller does not own, and it
// learns the text's length only as it goes. Memory is owned in whole pages,
// whose size is a multiple of 4096, so an aligned chunk of 16 or 32 bytes
// never crosses a page boundary. The scan loads a chunk only when one of its
// bytes is known to lie within the string: the first chunk holds the text's
// first byte, and every later one begins right after a chunk without a NUL.
// That byte's page is the caller's, so is the whole chunk, and the load
// cannot fault. The bytes it reads past the terminator are ignored. These
// loads are the only reads past the terminator; the address sanitizer,
// which checks allocations to the byte, is told to let them be.
struct Chunk16 {
    static constexpr std::size_t kSize = 16;
    // One bit for each NUL of the aligned chunk at `at`.
    __attribute__((no_sanitize_address)) TELEPOST_SSE2 static std::uint32_t Nuls(
        const unsigned char* at) {
        const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(at));
        return static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_setzero_si128())));
    }
};

struct Chunk32 {
    static constexpr std::size_t kSize = 32;
    __attribute__((no_sanitize_address)) TELEPOST_AVX2 static std::uint32_t Nuls(
        const unsigned char* at) {
        const __m256i bytes = _mm256_load_si256(reinterpret_cast<const __m256i*>(at));
        return static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_setzero_si256())));
    }
};

template <typename Chunk>
class TerminatorScan {
  public:
    explicit TerminatorScan(const unsigned char* text) : text_(text) {
        const auto address = reinterpret_cast<std::uintptr_t>(text);
        const std::size_t offset = address % Chunk::kSize;
        const std::uint32_t nuls = Chunk::Nuls(text - offset) >> offset;
        Note(nuls, Chunk::kSize - offset);
    }

    // Whether the text's first `end` bytes hold no NUL, so that the byte at
    // `end` is at most the terminator.
    bool Covers(std::size_t end) {
        while (clear_ < end) {
            if (found_) {
                return false;
            }
            Note(Chunk::Nuls(text_ + clear_), Chunk::kSize);
        }
        return true;
    }

  private:
    void Note(std::uint32_t nuls, std::size_t size) {
        if (nuls != 0) {
            clear_ += static_cast<std::size_t>(__builtin_ctz(nuls));
            found_ = true;
        } else {
            clear_ += size;
        }
    }

    const unsigned char* text_;
    std::size_t clear_ = 0;  // the text's first clear_ bytes hold no NUL
    bool found_ = false;     // the byte at clear_ is the terminator
};

TELEPOST_SSE2 inline __m128i Load(const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

TELEPOST_SSE2 inline void Store(unsigned char* at, __m128i bytes) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), bytes);
}

// One bit for each byte of the block, bit 0 for the first.
TELEPOST_SSE2 inline unsigned Bits(__m128i byteFlags) {
    return static_cast<unsigned>(_mm_movemask_epi8(byteFlags));
}

template <unsigned char Low, unsigned char High>
TELEPOST_SSE2 inline __m128i InRange(__m128i bytes) {
    if constexpr (Low == High) {
        return _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(Low)));
    } else {
        const __m128i offset = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(Low)));
        const __m128i clamped = _mm_min_epu8(offset, _mm_set1_epi8(static_cast<char>(High - Low)));
        return _mm_cmpeq_epi8(clamped, offset);
    }
}

// 0xFF for each byte in one of the class's runs, from run I on.
template <const ByteRuns& Class, std::size_t I = 0>
TELEPOST_SSE2 inline __m128i InRuns(__m128i bytes) {
    if constexpr (I == Class.count) {
        return _mm_setzero_si128();
    } else {
        return _mm_or_si128(InRange<Class.run[I].low, Class.run[I].high>(bytes),
                            InRuns<Class, I + 1>(bytes));
    }
}

// 0xFF for each byte in the class, by the cheapest test of its shape.
template <const ByteRuns& Class>
TELEPOST_SSE2 inline __m128i InClass(__m128i bytes) {
    constexpr ClassShape shape = ShapeOf<Class>();
    if constexpr (IsOneRun(Class) || !(shape.flipped || shape.holed)) {
        return InRuns<Class>(bytes);
    } else if constexpr (shape.flipped) {
        const __m128i flipped = _mm_xor_si128(bytes, _mm_set1_epi8(static_cast<char>(shape.flip)));
        return InRange<shape.run.low, shape.run.high>(flipped);
    } else {
        return _mm_andnot_si128(InRange<shape.hole, shape.hole>(bytes),
                                InRange<shape.run.low, shape.run.high>(bytes));
    }
}

// 0xFF for each position where `firsts` and `seconds` (the same bytes one
// position on) hold a pair of the set.
template <const PairRuns& Set, std::size_t I = 0>
TELEPOST_SSE2 inline __m128i PairsInSet(__m128i firsts, __m128i seconds) {
    if constexpr (I == Set.count) {
        return _mm_setzero_si128();
    } else {
        constexpr PairRun run = Set.run[I];
        const __m128i hit = _mm_and_si128(InRange<run.first, run.first>(firsts),
                                          InRange<run.low, run.high>(seconds));
        return _mm_or_si128(hit, PairsInSet<Set, I + 1>(firsts, seconds));
    }
}

// The bytes that open a double-byte character when one begins there, in the
// block at `firsts`, `seconds` being the same bytes one position on.
TELEPOST_SSE2 inline unsigned PairOpeners(__m128i firsts, __m128i seconds) {
    return Bits(InClass<kLeadBytes>(firsts)) & Bits(InClass<kTrailBytes>(seconds));
}

// 0xFF for each byte in the set, with one byte shuffle.
template <const LowNibbleSet& Set>
TELEPOST_SSSE3 inline __m128i InSet(__m128i bytes) {
    static_assert(Set.fits);
    return _mm_cmpeq_epi8(_mm_shuffle_epi8(Load(Set.table), bytes), bytes);
}

// The byte each byte maps to, given its low and high nibbles.
template <const NibbleTables& Map, std::size_t I = 0>
TELEPOST_SSSE3 inline __m128i LookUp(__m128i lows, __m128i highs) {
    if constexpr (I == Map.count) {
        return _mm_setzero_si128();
    } else {
        const __m128i table = Load(Map.table[I]);
        const __m128i here = InRange<Map.high[I], Map.high[I]>(highs);
        return _mm_or_si128(_mm_and_si128(here, _mm_shuffle_epi8(table, lows)),
                            LookUp<Map, I + 1>(lows, highs));
    }
}

// 0xFF for each byte whose bit is set, bit 0 for the first byte.
TELEPOST_SSSE3 inline __m128i ByteFlags(unsigned bits) {
    const __m128i spread =
        _mm_shuffle_epi8(_mm_cvtsi32_si128(static_cast<int>(bits)),
                         _mm_set_epi8(1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0));
    const __m128i bit = _mm_set_epi8(-128, 64, 32, 16, 8, 4, 2, 1, -128, 64, 32, 16, 8, 4, 2, 1);
    return _mm_cmpeq_epi8(_mm_and_si128(spread, bit), bit);
}

TELEPOST_SSE2 inline __m128i LowNibbles(__m128i bytes) {
    return _mm_and_si128(bytes, _mm_set1_epi8(0x0F));
}

TELEPOST_SSE2 inline __m128i HighNibbles(__m128i bytes) {
    return _mm_and_si128(_mm_srli_epi16(bytes, 4), _mm_set1_epi8(0x0F));
}

// kMaskBytes + 16 - k: 0xFF in the first k bytes of a block.
// kMaskBytes + 32 - k: 0xFF in byte k alone.
inline constexpr unsigned char kMaskBytes[3 * kBlockSize] = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0xFF, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
};

// The block with byte `position` set to `value`.
TELEPOST_SSE2 inline __m128i WithByte(__m128i bytes, unsigned position, unsigned char value) {
    const __m128i only = Load(kMaskBytes + 2 * kBlockSize - position);
    return _mm_or_si128(_mm_andnot_si128(only, bytes),
                        _mm_and_si128(only, _mm_set1_epi8(static_cast<char>(value))));
}

// Packing stores a block at a position without the bytes marked in
// `dropped` (one bit each, bit 0 for the first byte) and returns how many
// bytes it kept. Up to 16 bytes at the position are written (each packer
// says how many); those past the kept ones are left undefined.
struct PackBySse2 {
    // Takes the dropped bytes out one by one, the last first, so that the
    // others keep their places, and writes all 16 bytes.
    TELEPOST_SSE2 static std::size_t Store(unsigned char* at, __m128i bytes, unsigned dropped) {
        std::size_t kept = kBlockSize;
        while (dropped != 0) {
            const unsigned last = 31u - static_cast<unsigned>(__builtin_clz(dropped));
            dropped &= ~(1u << last);
            const __m128i before = Load(kMaskBytes + kBlockSize - last);
            bytes = _mm_or_si128(_mm_and_si128(before, bytes),
                                 _mm_andnot_si128(before, _mm_srli_si128(bytes, 1)));
            --kept;
        }
        blocks::Store(at, bytes);
        return kept;
    }
};

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

// Gathers each half block with one byte shuffle and stores the halves one
// after the other: 8 bytes at the position and 8 after the kept bytes of the
// first half, so that nothing is written past the position plus 8 plus the
// first half's kept bytes.
struct PackBySsse3 {
    TELEPOST_SSSE3 static std::size_t Store(unsigned char* at, __m128i bytes, unsigned dropped) {
        const unsigned low = dropped & 0xFFu;
        const unsigned high = (dropped >> 8) & 0xFFu;
        const __m128i lowShuffle =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kHalfBlockPacking.shuffle[low][0]));
        const __m128i highShuffle =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kHalfBlockPacking.shuffle[high][1]));
        const __m128i packed = _mm_shuffle_epi8(bytes, _mm_unpacklo_epi64(lowShuffle, highShuffle));
        const std::size_t lowKept = kHalfBlockPacking.kept[low];
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), packed);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at + lowKept), _mm_srli_si128(packed, 8));
        return lowKept + kHalfBlockPacking.kept[high];
    }
};

// The same with 32-byte registers. The byte shuffles of AVX2 work within
// each 16-byte half, so tables are repeated in both halves.
//
// Their constants are read from memory where they are used. Written as
// _mm256_set1_epi8 and the like, GCC builds each one from an integer
// register with a broadcast, and the block loops need more constants than
// there are registers, so it rebuilds them on every pass: three instructions
// where one load (or an operand in memory) does. InMemory holds a copy that
// the compiler cannot take for a constant, since the code could change it
// (nothing does); so its values are read, not rebuilt. The copy is private
// to each source file, so that the position-independent Linux build reads
// it at a fixed distance from the code rather than through the table of
// shared addresses (one load more for each constant); marking it used keeps
// the compiler from finding that nothing writes it and folding it back into
// constants.
template <const auto& Value>
__attribute__((used)) static std::remove_cvref_t<decltype(Value)> InMemory = Value;

struct alignas(32) WideBytes {
    unsigned char bytes[kWideBlockSize] = {};
};

template <const WideBytes& Bytes>
TELEPOST_AVX2 inline __m256i LoadWide() {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(InMemory<Bytes>.bytes));
}

template <unsigned char Value>
constexpr WideBytes RepeatedOf() {
    WideBytes repeated;
    for (unsigned char& byte : repeated.bytes) {
        byte = Value;
    }
    return repeated;
}

template <unsigned char Value>
inline constexpr WideBytes kRepeated = RepeatedOf<Value>();

// 32 copies of a byte.
template <unsigned char Value>
TELEPOST_AVX2 inline __m256i Splat() {
    return LoadWide<kRepeated<Value>>();
}

// A 16-byte table in both halves.
TELEPOST_AVX2 inline __m256i BothHalves(const unsigned char (&table)[16]) {
    return _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(table)));
}
TELEPOST_AVX2 inline __m256i Load32(const unsigned char* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

TELEPOST_AVX2 inline std::uint32_t Bits(__m256i byteFlags) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(byteFlags));
}

// A range of fewer than 256 values is tested with one signed comparison:
// moved so that it starts at the lowest signed byte (-128), a byte is in it
// when it is below -128 plus the range's length.
template <unsigned char Low, unsigned char High>
TELEPOST_AVX2 inline __m256i InRange(__m256i bytes) {
    static_assert(Low <= High);
    if constexpr (Low == High) {
        return _mm256_cmpeq_epi8(bytes, Splat<Low>());
    } else if constexpr (High - Low == 0xFF) {
        return Splat<0xFF>();
    } else {
        constexpr auto kShift = static_cast<unsigned char>(0x80 - Low);
        constexpr auto kEnd = static_cast<unsigned char>(0x80 + (High - Low + 1));
        const __m256i shifted = _mm256_add_epi8(bytes, Splat<kShift>());
        return _mm256_cmpgt_epi8(Splat<kEnd>(), shifted);
    }
}

template <const ByteRuns& Class, std::size_t I = 0>
TELEPOST_AVX2 inline __m256i InRuns(__m256i bytes) {
    if constexpr (I == Class.count) {
        return _mm256_setzero_si256();
    } else {
        return _mm256_or_si256(InRange<Class.run[I].low, Class.run[I].high>(bytes),
                               InRuns<Class, I + 1>(bytes));
    }
}

template <const ByteRuns& Class>
TELEPOST_AVX2 inline __m256i InClass(__m256i bytes) {
    constexpr ClassShape shape = ShapeOf<Class>();
    if constexpr (IsOneRun(Class) || !(shape.flipped || shape.holed)) {
        return InRuns<Class>(bytes);
    } else if constexpr (shape.flipped) {
        return InRange<shape.run.low, shape.run.high>(_mm256_xor_si256(bytes, Splat<shape.flip>()));
    } else {
        return _mm256_andnot_si256(InRange<shape.hole, shape.hole>(bytes),
                                   InRange<shape.run.low, shape.run.high>(bytes));
    }
}

template <const PairRuns& Set, std::size_t I = 0>
TELEPOST_AVX2 inline __m256i PairsInSet(__m256i firsts, __m256i seconds) {
    if constexpr (I == Set.count) {
        return _mm256_setzero_si256();
    } else {
        constexpr PairRun run = Set.run[I];
        const __m256i hit = _mm256_and_si256(InRange<run.first, run.first>(firsts),
                                             InRange<run.low, run.high>(seconds));
        return _mm256_or_si256(hit, PairsInSet<Set, I + 1>(firsts, seconds));
    }
}

TELEPOST_AVX2 inline std::uint32_t PairOpeners(__m256i firsts, __m256i seconds) {
    return Bits(_mm256_and_si256(InClass<kLeadBytes>(firsts), InClass<kTrailBytes>(seconds)));
}

template <const NibbleTables& Map, std::size_t I = 0>
TELEPOST_AVX2 inline __m256i LookUp(__m256i lows, __m256i highs) {
    if constexpr (I == Map.count) {
        return _mm256_setzero_si256();
    } else {
        const __m256i table = BothHalves(InMemory<Map>.table[I]);
        const __m256i here = InRange<Map.high[I], Map.high[I]>(highs);
        return _mm256_or_si256(_mm256_and_si256(here, _mm256_shuffle_epi8(table, lows)),
                               LookUp<Map, I + 1>(lows, highs));
    }
}

// The bytes two chained maps with the same base give each byte, both
// looked up on one chain of distances.
template <const ChainedTables& First, const ChainedTables& Second>
struct ChainedLookUps {
    __m256i first;
    __m256i second;
};

template <const ChainedTables& First, const ChainedTables& Second, std::size_t I = 1>
TELEPOST_AVX2 inline void LookUpChained(__m256i distances, ChainedLookUps<First, Second>& found) {
    if constexpr (I < First.count) {
        const __m256i next = _mm256_subs_epi8(distances, Splat<16>());
        found.first = _mm256_xor_si256(
            found.first, _mm256_shuffle_epi8(BothHalves(InMemory<First>.table[I]), next));
        found.second = _mm256_xor_si256(
            found.second, _mm256_shuffle_epi8(BothHalves(InMemory<Second>.table[I]), next));
        // Each table is XORed in as soon as it is looked up. Left free, GCC
        // regroups the XORs so that all the lookups are done first, which
        // needs more registers than the 32-bit build has, and spills them.
        asm("" : "+x"(found.first), "+x"(found.second));
        LookUpChained<First, Second, I + 1>(next, found);
    }
}

template <const ChainedTables& First, const ChainedTables& Second>
TELEPOST_AVX2 inline ChainedLookUps<First, Second> LookUpChained(__m256i bytes) {
    static_assert(First.fits && Second.fits && First.count > 0);
    static_assert(First.base == Second.base && First.count == Second.count);
    constexpr auto kBeyond = static_cast<unsigned char>(16 * First.count);
    const __m256i distances = _mm256_sub_epi8(bytes, Splat<First.base>());
    ChainedLookUps<First, Second> found = {
        _mm256_shuffle_epi8(BothHalves(InMemory<First>.table[0]), distances),
        _mm256_shuffle_epi8(BothHalves(InMemory<Second>.table[0]), distances)};
    LookUpChained<First, Second>(distances, found);
    if constexpr (kBeyond < 0x80) {
        // Signed: the negative distances looked up nothing already.
        const __m256i within = _mm256_cmpgt_epi8(Splat<kBeyond>(), distances);
        found.first = _mm256_and_si256(found.first, within);
        found.second = _mm256_and_si256(found.second, within);
    }
    return found;
}

// For each byte of a block, the byte of a 32-bit word that holds its bit,
// and the bit.
constexpr WideBytes BitSpreading(bool bit) {
    WideBytes bytes;
    for (unsigned byte = 0; byte < kWideBlockSize; ++byte) {
        bytes.bytes[byte] = static_cast<unsigned char>(bit ? 1u << (byte % 8) : byte / 8);
    }
    return bytes;
}

inline constexpr WideBytes kByteOfBit = BitSpreading(false);
inline constexpr WideBytes kBitInByte = BitSpreading(true);

TELEPOST_AVX2 inline __m256i WideByteFlags(std::uint32_t bits) {
    const __m256i spread =
        _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(bits)), LoadWide<kByteOfBit>());
    const __m256i bit = LoadWide<kBitInByte>();
    return _mm256_cmpeq_epi8(_mm256_and_si256(spread, bit), bit);
}

template <const LowNibbleSet& Set>
TELEPOST_AVX2 inline __m256i InSet(__m256i bytes) {
    static_assert(Set.fits);
    const __m256i table = BothHalves(InMemory<Set>.table);
    return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(table, bytes), bytes);
}

TELEPOST_AVX2 inline __m256i LowNibbles(__m256i bytes) {
    return _mm256_and_si256(bytes, Splat<0x0F>());
}

TELEPOST_AVX2 inline __m256i HighNibbles(__m256i bytes) {
    return _mm256_and_si256(_mm256_srli_epi16(bytes, 4), Splat<0x0F>());
}

// Packs each 16-byte half as PackBySsse3 does, the second half after the
// kept bytes of the first: nothing is written past the position plus 8 plus
// the kept bytes among the first 24.
struct PackByAvx2 {
    TELEPOST_AVX2 static std::size_t Store(unsigned char* at, __m256i bytes,
                                           std::uint32_t dropped) {
        const std::size_t lowKept =
            PackBySsse3::Store(at, _mm256_castsi256_si128(bytes), dropped & 0xFFFFu);
        return lowKept +
               PackBySsse3::Store(at + lowKept, _mm256_extracti128_si256(bytes, 1), dropped >> 16);
    }
};

}  // namespace telepost::blocks

#endif  // TELEPOST_SSE2_BLOCKS
