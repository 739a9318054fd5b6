// Full-width to half-width conversion of arbitrary bytes: the same text as
// the byte-at-a-time pass, never longer than the input, and unchanged by a
// second pass.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "convert/convert.h"
#include "convert/reference.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The text ends at the first NUL, and its buffer with it, so that the
// sanitizer reports any access past the terminator.
std::string Converted(char* (*convert)(char*), const std::string& text) {
    auto buffer = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    Check(convert(buffer.get()) == buffer.get());
    return buffer.get();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(data);
    const std::string text(chars, strnlen(chars, size));
    const std::string half_width = Converted(telepost::ZenkakuToHankaku, text);
    Check(half_width == Converted(telepost::ZenkakuToHankakuReference, text));
    Check(half_width.size() <= text.size());
    Check(Converted(telepost::ZenkakuToHankaku, half_width) == half_width);
    return 0;
}
