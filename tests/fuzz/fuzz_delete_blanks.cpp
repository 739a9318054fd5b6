// Blank removal from arbitrary bytes: every path gives the same text, with no
// TAB, LF, CR or space left and every other byte kept in order.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "convert/paths.h"

namespace {

using telepost::ConversionPath;

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The text ends at the first NUL, and its buffer with it, so that the
// sanitizer reports any access past the terminator.
std::string Converted(ConversionPath path, const std::string& text) {
    auto buffer = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(buffer.get(), text.c_str(), text.size() + 1);
    Check(telepost::DeleteBlanksBy(path, buffer.get()) == buffer.get());
    return buffer.get();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(data);
    const std::string text(chars, strnlen(chars, size));
    std::string kept;
    for (char byte : text) {
        if (std::strchr("\t\n\r ", byte) == nullptr) {
            kept += byte;
        }
    }
    for (ConversionPath path : {ConversionPath::kByteAtATime, ConversionPath::kSse2Blocks,
                                ConversionPath::kSsse3Blocks}) {
        Check(!telepost::CanRun(path) || Converted(path, text) == kept);
    }
    return 0;
}
