// What the conversion fuzz targets share: the check that stops a run, and a
// conversion of a copy whose buffer ends at the text's terminator, so that
// the sanitizer reports any access past it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "convert/paths.h"

namespace telepost::fuzzing {

using Conversion = char* (*)(ConversionPath, char*);

inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The fuzzer's bytes up to the first NUL, as a conversion sees a text.
inline std::string TextOf(const std::uint8_t* data, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(data);
    return std::string(chars, strnlen(chars, size));
}

inline std::string Converted(Conversion convert, ConversionPath path, const std::string& text) {
    auto buffer = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    Check(convert(path, buffer.get()) == buffer.get());
    return buffer.get();
}

}  // namespace telepost::fuzzing
