// Whole-block work for the conversions' block paths (private to convert/).
//
// A conversion changes only a few byte pairs: a first byte followed by one of
// a few second bytes. The block paths take 16 bytes at a time and work out
// with bit operations where the block's characters (or other two-byte units)
// begin, which of them the conversion changes, and which bytes it drops;
// dropped bytes are packed out before the block is stored at the write
// position. A block with nothing to change is copied, or left alone when
// nothing has moved.
//
// The byte classes and pair sets the blocks are tested against are built at
// compile time from the conversions' own tables and from sjis.h, so each
// value is written down once.
//
// Blocks lie at fixed positions; the parse state carried from one block to
// the next is one bit, whether the block's first byte ends a unit that began
// in the block before. Loads never reach past the string's terminator: a
// block is taken only when its 16 bytes and the one after them lie within the
// string and its terminator; the rest goes byte at a time.
#pragma once

#include <cstddef>

#include "convert/sjis.h"

#if defined(__x86_64__) || defined(__i386__)
#define TELEPOST_SSE2_BLOCKS 1
#include <emmintrin.h>
#include <tmmintrin.h>
#endif

namespace telepost::blocks {

constexpr std::size_t kBlockSize = 16;

// A run of consecutive byte values, both ends included.
struct ByteRun {
    unsigned char low = 0;
    unsigned char high = 0;
};

// A byte class as runs of consecutive values.
struct ByteRuns {
    static constexpr std::size_t kCapacity = 8;
    std::size_t count = 0;
    ByteRun run[kCapacity] = {};
};

// Pairs whose first byte is `first` and whose second byte lies in low-high.
struct PairRun {
    unsigned char first = 0;
    unsigned char low = 0;
    unsigned char high = 0;
};

// A set of byte pairs as runs of second bytes.
struct PairRuns {
    static constexpr std::size_t kCapacity = 24;
    std::size_t count = 0;
    PairRun run[kCapacity] = {};
};

// The bytes for which `in_class` holds. Running over the capacity stops the
// compilation.
template <typename Predicate>
constexpr ByteRuns RunsOf(Predicate in_class) {
    ByteRuns runs;
    bool open = false;
    for (unsigned value = 0; value < 256; ++value) {
        const auto byte = static_cast<unsigned char>(value);
        if (!in_class(byte)) {
            open = false;
        } else if (open) {
            runs.run[runs.count - 1].high = byte;
        } else {
            runs.run[runs.count++] = {byte, byte};
            open = true;
        }
    }
    return runs;
}

// The pairs for which `in_set` holds.
template <typename Predicate>
constexpr PairRuns PairRunsOf(Predicate in_set) {
    PairRuns runs;
    for (unsigned first = 0; first < 256; ++first) {
        const auto first_byte = static_cast<unsigned char>(first);
        bool open = false;
        for (unsigned second = 0; second < 256; ++second) {
            const auto second_byte = static_cast<unsigned char>(second);
            if (!in_set(first_byte, second_byte)) {
                open = false;
            } else if (open) {
                runs.run[runs.count - 1].high = second_byte;
            } else {
                runs.run[runs.count++] = {first_byte, second_byte, second_byte};
                open = true;
            }
        }
    }
    return runs;
}

// The carry from block to block rests on this: a lead byte followed by a lead
// byte always forms a pair, so the parse of a run of lead bytes that starts
// on a character boundary pairs them off two by two.
constexpr bool LeadBytesAreTrailBytes() {
    for (unsigned value = 0; value < 256; ++value) {
        const auto byte = static_cast<unsigned char>(value);
        if (IsLeadByte(byte) && !IsTrailByte(byte)) {
            return false;
        }
    }
    return true;
}
static_assert(LeadBytesAreTrailBytes());

inline constexpr ByteRuns kLeadBytes = RunsOf(IsLeadByte);
inline constexpr ByteRuns kTrailBytes = RunsOf(IsTrailByte);

// The bytes of a block that begin a two-byte unit, one bit each, bit 0 for
// the block's first byte. `openers` marks the bytes that begin a unit when a
// unit begins there: for a double-byte character, a lead byte followed by a
// trail byte. `carry_in` (0 or 1) tells that the first byte ends the unit
// before.
//
// A byte that does not open a unit ends one, alone or as a second byte, so
// the byte after it begins one; a run of openers therefore starts on a unit
// boundary and pairs off from there: a run that starts at an even position
// begins its units at the even positions, a run that starts at an odd one at
// the odd positions. A unit beginning at bit 15 runs over into the next
// block.
constexpr unsigned UnitStarts(unsigned openers, unsigned carry_in) {
    constexpr unsigned kEven = 0x5555;
    constexpr unsigned kOdd = 0xAAAA;
    openers &= ~carry_in;
    const unsigned run_starts = openers & ~(openers << 1);
    // Adding a run's first bit clears the run: what survives began at an odd position.
    const unsigned odd_runs = (openers + (run_starts & kEven)) & openers;
    const unsigned even_runs = openers & ~odd_runs;
    return (even_runs & kEven) | (odd_runs & kOdd);
}

// A map from bytes to bytes (0 for none) as byte-shuffle tables: one table
// of 16 values for each high nibble that maps some byte.
struct NibbleTables {
    std::size_t count = 0;
    unsigned char high[16] = {};
    unsigned char table[16][16] = {};
};

template <typename Map>
constexpr NibbleTables NibbleTablesOf(Map map) {
    NibbleTables tables;
    for (unsigned high = 0; high < 16; ++high) {
        bool used = false;
        for (unsigned low = 0; low < 16; ++low) {
            const unsigned char value = map(static_cast<unsigned char>(high << 4 | low));
            tables.table[tables.count][low] = value;
            used = used || value != 0;
        }
        if (used) {
            tables.high[tables.count++] = static_cast<unsigned char>(high);
        }
    }
    return tables;
}

#if TELEPOST_SSE2_BLOCKS

// 32-bit Windows callers keep the stack only 4-byte aligned and the i686
// build does not assume SSE2 elsewhere: the block code enables it for itself
// and realigns the stack where it is entered. An SSSE3 entry takes the block
// loop and its helpers into itself (flatten), so that the whole loop is
// compiled for SSSE3; it is entered only when HaveSsse3() holds.
#if defined(__i386__)
#define TELEPOST_SSE2 __attribute__((target("sse2")))
#define TELEPOST_SSSE3 __attribute__((target("ssse3")))
#define TELEPOST_SSE2_ENTRY __attribute__((target("sse2"), force_align_arg_pointer))
#define TELEPOST_SSSE3_ENTRY __attribute__((target("ssse3"), flatten, force_align_arg_pointer))
#else
#define TELEPOST_SSE2
#define TELEPOST_SSSE3 __attribute__((target("ssse3")))
#define TELEPOST_SSE2_ENTRY
#define TELEPOST_SSSE3_ENTRY __attribute__((target("ssse3"), flatten))
#endif

// Whether the processor has SSSE3 (byte shuffles); checked once.
inline bool HaveSsse3() {
    static const bool have = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return have;
}

TELEPOST_SSE2 inline __m128i Load(const unsigned char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

TELEPOST_SSE2 inline void Store(unsigned char* at, __m128i bytes) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), bytes);
}

// One bit for each byte of the block, bit 0 for the first.
TELEPOST_SSE2 inline unsigned Bits(__m128i byte_flags) {
    return static_cast<unsigned>(_mm_movemask_epi8(byte_flags));
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

// 0xFF for each byte in the class.
template <const ByteRuns& Class, std::size_t I = 0>
TELEPOST_SSE2 inline __m128i InClass(__m128i bytes) {
    if constexpr (I == Class.count) {
        return _mm_setzero_si128();
    } else {
        return _mm_or_si128(InRange<Class.run[I].low, Class.run[I].high>(bytes),
                            InClass<Class, I + 1>(bytes));
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
// gathers the kept bytes at its start, and their count.
struct HalfBlockPacking {
    unsigned char shuffle[256][8] = {};
    unsigned char kept[256] = {};
};

constexpr HalfBlockPacking MakeHalfBlockPacking() {
    constexpr unsigned char kZero = 0x80;  // a shuffle index that yields 0
    HalfBlockPacking packing;
    for (unsigned dropped = 0; dropped < 256; ++dropped) {
        unsigned char kept = 0;
        for (unsigned char byte = 0; byte < 8; ++byte) {
            if ((dropped & (1u << byte)) == 0) {
                packing.shuffle[dropped][kept++] = byte;
            }
        }
        packing.kept[dropped] = kept;
        for (unsigned char rest = kept; rest < 8; ++rest) {
            packing.shuffle[dropped][rest] = kZero;
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
        const __m128i low_shuffle =
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kHalfBlockPacking.shuffle[low]));
        const __m128i high_shuffle = _mm_add_epi8(
            _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kHalfBlockPacking.shuffle[high])),
            _mm_set1_epi8(8));
        const __m128i packed =
            _mm_shuffle_epi8(bytes, _mm_unpacklo_epi64(low_shuffle, high_shuffle));
        const std::size_t low_kept = kHalfBlockPacking.kept[low];
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), packed);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at + low_kept), _mm_srli_si128(packed, 8));
        return low_kept + kHalfBlockPacking.kept[high];
    }
};

#endif  // TELEPOST_SSE2_BLOCKS

}  // namespace telepost::blocks
