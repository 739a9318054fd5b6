// Emoji conversion of arbitrary bytes: every path gives the same text, of the
// same length, with every changed byte inside a two-byte emoji code.
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
    Check(telepost::ToImodeEmojiBy(path, buffer.get()) == buffer.get());
    return buffer.get();
}

bool IsEmojiLead(char byte) {
    return byte == '\xF8' || byte == '\xF9';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(data);
    const std::string text(chars, strnlen(chars, size));
    const std::string emoji = Converted(ConversionPath::kByteAtATime, text);
    Check(emoji.size() == text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (emoji[i] != text[i]) {
            const bool starts_code = IsEmojiLead(emoji[i]) && i + 1 < text.size();
            const bool ends_code =
                i > 0 && IsEmojiLead(emoji[i - 1]) && emoji[i - 1] != text[i - 1];
            Check(starts_code || ends_code);
        }
    }
    for (ConversionPath path : {ConversionPath::kSse2Blocks, ConversionPath::kSsse3Blocks}) {
        Check(!telepost::CanRun(path) || Converted(path, text) == emoji);
    }
    return 0;
}
