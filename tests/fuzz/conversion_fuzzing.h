// What the conversion fuzz targets share: the check that stops a run, a
// conversion of a copy whose buffer ends at the text's terminator, so that
// the sanitizer reports any access past it, and whose start lies at every
// offset from an aligned boundary as the text's length varies, and the check
// that every block path gives what byte at a time gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "convert/paths.h"

namespace telepost::fuzzing {

using Conversion = char* (*)(ConversionPath, char*);

// The fuzzer's bytes up to the first NUL, as a conversion sees a text.
inline std::string TextOf(const std::uint8_t* data, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(data);
    return std::string(chars, strnlen(chars, size));
}

inline std::string Converted(Conversion convert, ConversionPath path, const std::string& text) {
    constexpr std::size_t kAlignments = 32;
    const std::size_t offset = (text.size() * 7) % kAlignments;
    auto buffer = std::make_unique<char[]>(offset + text.size() + 1);
    char* const start = buffer.get() + offset;
    std::memcpy(start, text.c_str(), text.size() + 1);
    FUZZ_CHECK(convert(path, start) == start);
    return start;
}

// The text converted byte at a time, once every block path the processor
// runs has given the same.
inline std::string ConvertedOnEveryPath(Conversion convert, const std::string& text) {
    const std::string converted = Converted(convert, ConversionPath::ByteAtATime, text);
    for (ConversionPath path : kBlockPaths) {
        FUZZ_CHECK(!CanRun(path) || Converted(convert, path, text) == converted);
    }
    return converted;
}

}  // namespace telepost::fuzzing
