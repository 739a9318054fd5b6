// The byte classes the conversions' block paths test their blocks against,
// and the parse of a block into two-byte units (private to convert/).
//
// A conversion changes only a few byte pairs: a first byte followed by one of
// a few second bytes. The block paths take 16 or 32 bytes at a time and work
// out with bit operations where the block's characters (or other two-byte
// units) begin and which of them the conversion changes. The byte classes
// and pair sets they test against are built at compile time from the
// conversions' own tables and from sjis.h, so each value is written down
// once. Nothing here depends on the processor; byte_blocks.h holds the
// vector code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "telepost/sjis.h"

namespace telepost::blocks {

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

// The bytes for which `inClass` holds. Running over the capacity stops the
// compilation.
template <typename Predicate>
constexpr ByteRuns RunsOf(Predicate inClass) {
    ByteRuns runs;
    bool open = false;
    for (unsigned value = 0; value < 256; ++value) {
        const auto byte = static_cast<unsigned char>(value);
        if (!inClass(byte)) {
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

// The pairs for which `inSet` holds.
template <typename Predicate>
constexpr PairRuns PairRunsOf(Predicate inSet) {
    PairRuns runs;
    for (unsigned first = 0; first < 256; ++first) {
        const auto firstByte = static_cast<unsigned char>(first);
        bool open = false;
        for (unsigned second = 0; second < 256; ++second) {
            const auto secondByte = static_cast<unsigned char>(second);
            if (!inSet(firstByte, secondByte)) {
                open = false;
            } else if (open) {
                runs.run[runs.count - 1].high = secondByte;
            } else {
                runs.run[runs.count++] = {firstByte, secondByte, secondByte};
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

// Cheaper tests of a class than one range test for each run: a class whose
// bytes, each XORed with `flip`, form one run (the lead bytes, with 0x20),
// or one run with a single byte missing from it (the trail bytes, 0x7F).
struct ClassShape {
    bool flipped = false;
    unsigned char flip = 0;
    bool holed = false;
    unsigned char hole = 0;
    ByteRun run;
};

constexpr bool IsOneRun(const ByteRuns& runs) {
    return runs.count == 1;
}

template <const ByteRuns& Class>
constexpr ClassShape ShapeOf() {
    ClassShape shape;
    unsigned char members[256] = {};
    unsigned count = 0;
    for (std::size_t i = 0; i < Class.count; ++i) {
        for (unsigned byte = Class.run[i].low; byte <= Class.run[i].high; ++byte) {
            members[count++] = static_cast<unsigned char>(byte);
        }
    }
    // The members, flipped, form one run when they span as many values as
    // there are of them.
    for (unsigned flip = 1; flip < 256 && !shape.flipped; ++flip) {
        unsigned low = 255;
        unsigned high = 0;
        for (unsigned i = 0; i < count; ++i) {
            const unsigned flipped = members[i] ^ flip;
            low = flipped < low ? flipped : low;
            high = flipped > high ? flipped : high;
        }
        if (count != 0 && high - low + 1 == count) {
            shape = {true,
                     static_cast<unsigned char>(flip),
                     false,
                     0,
                     {static_cast<unsigned char>(low), static_cast<unsigned char>(high)}};
        }
    }
    if (!shape.flipped && Class.count == 2 && Class.run[0].high + 2 == Class.run[1].low) {
        shape = {false,
                 0,
                 true,
                 static_cast<unsigned char>(Class.run[0].high + 1),
                 {Class.run[0].low, Class.run[1].high}};
    }
    return shape;
}

inline constexpr ByteRuns kLeadBytes = RunsOf(IsLeadByte);
inline constexpr ByteRuns kTrailBytes = RunsOf(IsTrailByte);

// The bytes of a block of up to 32 bytes that begin a two-byte unit, one bit
// each, bit 0 for the block's first byte. `openers` marks the bytes that begin a unit when a
// unit begins there: for a double-byte character, a lead byte followed by a
// trail byte. `carryIn` (0 or 1) tells that the first byte ends the unit
// before.
//
// A byte that does not open a unit ends one, alone or as a second byte, so
// the byte after it begins one; a run of openers therefore starts on a unit
// boundary and pairs off from there: a run that starts at an even position
// begins its units at the even positions, a run that starts at an odd one at
// the odd positions. A unit beginning at the block's last bit runs over into
// the next block. A run that reaches bit 31 carries out of the word when it
// is cleared, which leaves the result as it should be.
constexpr std::uint32_t UnitStarts(std::uint32_t openers, std::uint32_t carryIn) {
    constexpr std::uint32_t kEven = 0x55555555;
    constexpr std::uint32_t kOdd = 0xAAAAAAAA;
    openers &= ~carryIn;
    const std::uint32_t runStarts = openers & ~(openers << 1);
    // Adding a run's first bit clears the run: what survives began at an odd position.
    const std::uint32_t oddRuns = (openers + (runStarts & kEven)) & openers;
    const std::uint32_t evenRuns = openers & ~oddRuns;
    return (evenRuns & kEven) | (oddRuns & kOdd);
}

// A set of ASCII bytes of which no two share a low nibble, as a byte-shuffle
// table by low nibble: the member with that low nibble, or a byte with
// another low nibble where there is none. A byte is in the set when the
// table's entry for its low nibble equals it; a byte of 0x80 or more looks
// up 0, which never equals it.
struct LowNibbleSet {
    bool fits = true;  // no two members share a low nibble, and all are ASCII
    alignas(16) unsigned char table[16] = {};
};

template <typename Predicate>
constexpr LowNibbleSet LowNibbleSetOf(Predicate inSet) {
    LowNibbleSet set;
    bool taken[16] = {};
    for (unsigned low = 0; low < 16; ++low) {
        set.table[low] = static_cast<unsigned char>(low ^ 1);
    }
    for (unsigned value = 0; value < 256; ++value) {
        const auto byte = static_cast<unsigned char>(value);
        if (inSet(byte)) {
            set.fits = set.fits && value < 0x80 && !taken[value & 0xF];
            taken[value & 0xF] = true;
            set.table[value & 0xF] = byte;
        }
    }
    return set;
}

// A set of byte pairs as nibble tables for byte shuffles. Each run of
// second bytes is cut where their high nibble changes; every piece is one
// rule, a first byte and a second byte whose high nibble is one value and
// whose low nibble lies in a run, and has one bit. Four tables give each
// nibble the rules it may take part in: the first byte's low and high
// nibble, the second byte's. A pair is in the set when the four bytes they
// look up share a bit, which is exact: a rule's first byte is one value and
// its second bytes are all the pairs of its high nibble and its low nibbles.
// Eight rules fit in one group of four tables; a set of more takes two.
struct NibblePairs {
    static constexpr std::size_t kGroups = 2;
    static constexpr std::size_t kRulesPerGroup = 8;
    bool fits = true;  // at most kGroups * kRulesPerGroup rules
    std::size_t groups = 0;
    // Each table twice over, for the two 16-byte halves of a 32-byte
    // register, so that a register of either width loads it as it is.
    static constexpr std::size_t kTableBytes = 32;
    struct Group {
        alignas(kTableBytes) unsigned char firstLow[kTableBytes] = {};
        alignas(kTableBytes) unsigned char firstHigh[kTableBytes] = {};
        alignas(kTableBytes) unsigned char secondLow[kTableBytes] = {};
        alignas(kTableBytes) unsigned char secondHigh[kTableBytes] = {};
    } group[kGroups];
};

// Adds the rule of `first` with the second bytes whose high nibble is in
// `highs` and whose low nibble is in `lows`.
constexpr void AddRule(NibblePairs& set, std::size_t& rules, unsigned char first,
                       const bool (&highs)[16], const bool (&lows)[16]) {
    if (rules == NibblePairs::kGroups * NibblePairs::kRulesPerGroup) {
        set.fits = false;
        return;
    }
    NibblePairs::Group& group = set.group[rules / NibblePairs::kRulesPerGroup];
    const auto bit = static_cast<unsigned char>(1u << (rules % NibblePairs::kRulesPerGroup));
    for (unsigned half = 0; half < NibblePairs::kTableBytes; half += 16) {
        group.firstLow[half + (first & 0xF)] |= bit;
        group.firstHigh[half + (first >> 4)] |= bit;
        for (unsigned nibble = 0; nibble < 16; ++nibble) {
            group.secondLow[half + nibble] |= lows[nibble] ? bit : 0;
            group.secondHigh[half + nibble] |= highs[nibble] ? bit : 0;
        }
    }
    ++rules;
    set.groups = (rules + NibblePairs::kRulesPerGroup - 1) / NibblePairs::kRulesPerGroup;
}

constexpr NibblePairs NibblePairsOf(const PairRuns& runs) {
    NibblePairs set;
    std::size_t rules = 0;
    for (std::size_t i = 0; i < runs.count; ++i) {
        const PairRun run = runs.run[i];
        for (unsigned low = run.low; low <= run.high; low = (low | 0xF) + 1) {
            bool highs[16] = {};
            bool lows[16] = {};
            highs[low >> 4] = true;
            for (unsigned second = low; second <= run.high && second <= (low | 0xF); ++second) {
                lows[second & 0xF] = true;
            }
            AddRule(set, rules, run.first, highs, lows);
        }
    }
    return set;
}

// A map from bytes to bytes (0 for none) as one table of 128 bytes, for the
// bytes from `base` on, looked up with byte permutes (AVX-512 VBMI).
struct PermutedTable {
    static constexpr std::size_t kBytes = 128;
    bool fits = true;  // all mapped bytes lie within kBytes from base
    unsigned char base = 0;
    alignas(64) unsigned char bytes[kBytes] = {};
};

template <typename Map>
constexpr PermutedTable PermutedTableOf(Map map, unsigned char base) {
    PermutedTable table;
    table.base = base;
    for (unsigned value = 0; value < 256; ++value) {
        const unsigned char mapped = map(static_cast<unsigned char>(value));
        if (mapped == 0) {
            continue;
        }
        if (value < base || value >= base + PermutedTable::kBytes) {
            table.fits = false;
        } else {
            table.bytes[value - base] = mapped;
        }
    }
    return table;
}

// A map from bytes to bytes (0 for none) whose mapped bytes lie within 128
// values, as chained byte-shuffle tables, one for each 16 values from `base`
// on. To look a byte up, take its distance from `base` and, table by table,
// shuffle the table with it and step it down by 16, with signed saturation:
// a byte at or past the table's 16 values still looks up, one before them
// (negative) yields 0. A byte h tables on therefore looks up in tables 0 to
// h, so each table holds its own 16 values XORed with those of the table
// before, and XORing the lookups leaves the byte's own value. Bytes past the
// last table's 16 values would leave the last table's values; the lookup
// clears them with one comparison.
struct ChainedTables {
    static constexpr std::size_t kCapacity = 8;
    bool fits = true;  // all mapped bytes lie within kCapacity tables from base
    unsigned char base = 0;
    std::size_t count = 0;
    alignas(16) unsigned char table[kCapacity][16] = {};
};

template <typename Map>
constexpr ChainedTables ChainedTablesOf(Map map) {
    ChainedTables tables;
    unsigned low = 256;
    unsigned high = 0;
    for (unsigned value = 0; value < 256; ++value) {
        if (map(static_cast<unsigned char>(value)) != 0) {
            low = value < low ? value : low;
            high = value;
        }
    }
    if (low == 256) {
        return tables;
    }
    tables.base = static_cast<unsigned char>(low & 0xF0);
    tables.count = (high - tables.base) / 16 + 1;
    tables.fits = tables.count <= ChainedTables::kCapacity;
    for (unsigned t = 0; t < tables.count && tables.fits; ++t) {
        for (unsigned lowNibble = 0; lowNibble < 16; ++lowNibble) {
            const unsigned value = tables.base + 16 * t + lowNibble;
            const unsigned char before = t == 0 ? 0 : map(static_cast<unsigned char>(value - 16));
            tables.table[t][lowNibble] =
                static_cast<unsigned char>(map(static_cast<unsigned char>(value)) ^ before);
        }
    }
    return tables;
}

}  // namespace telepost::blocks
