// Whole-block scanning for the conversions' fast paths (private to convert/).
//
// A conversion changes only a few byte pairs: a first byte followed by one of
// a few second bytes. The fast paths look at 16 bytes at a time with SSE2 and
// hand a block to the conversion's byte-at-a-time step only when some pair in
// it, taken at any position, is one the conversion may change; every other
// block is copied (or, when nothing moves, left alone) as a whole.
//
// The sets of pairs and byte classes the blocks are tested against are built
// at compile time from the conversions' own tables and from sjis.h, so each
// value is written down once.
//
// Blocks lie at fixed positions; the parse state carried from one block to
// the next is one bit, whether the block's first byte is the trail byte of a
// double-byte character that began in the block before. Loads never reach
// past the string's terminator: a block is scanned only when the 16 bytes
// and the one after them lie within the string and its terminator.
#pragma once

#include <cstddef>

#include "convert/sjis.h"

#if defined(__x86_64__) || defined(__i386__)
#define TELEPOST_SSE2_BLOCKS 1
#include <emmintrin.h>
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

#if TELEPOST_SSE2_BLOCKS

// 32-bit Windows callers keep the stack only 4-byte aligned and the i686
// build does not assume SSE2 elsewhere: the block code enables it for itself
// and realigns the stack where it is entered.
#if defined(__i386__)
#define TELEPOST_SSE2 __attribute__((target("sse2")))
#define TELEPOST_SSE2_ENTRY __attribute__((target("sse2"), force_align_arg_pointer))
#else
#define TELEPOST_SSE2
#define TELEPOST_SSE2_ENTRY
#endif

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

// Whether the block's last character runs over into the next block, that is
// whether it ends with a lead byte that starts a character and is followed by
// a trail byte. `lead_bits` marks the block's lead bytes; `carry_in` tells
// that the block's first byte belongs to the character before; `next` is the
// byte after the block. Only the run of lead bytes at the block's end
// matters: the byte before it ends a character, so the run starts on a
// boundary and an odd run leaves its last byte open.
inline unsigned CarryOut(unsigned lead_bits, unsigned carry_in, unsigned char next) {
    // Bit k + 1 marks a byte k that closes a character; bit 0 the boundary
    // before the block.
    const unsigned closers = ((((~lead_bits) & 0xFFFFu) | carry_in) << 1) | 1u;
    const unsigned last_closer = 31u - static_cast<unsigned>(__builtin_clz(closers));
    return (last_closer & 1u) & static_cast<unsigned>(IsTrailByte(next));
}

#endif  // TELEPOST_SSE2_BLOCKS

}  // namespace telepost::blocks
