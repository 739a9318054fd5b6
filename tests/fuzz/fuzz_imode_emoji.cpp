// Emoji conversion of arbitrary bytes: every path gives the same text, of the
// same length, with every changed byte inside a two-byte emoji code.
#include <cstring>
#include <string>

#include "conversion_fuzzing.h"

namespace {

bool IsEmojiLead(char byte) {
    return byte == '\xF8' || byte == '\xF9';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = telepost::fuzzing::TextOf(data, size);
    const std::string emoji =
        telepost::fuzzing::ConvertedOnEveryPath(telepost::ToImodeEmojiBy, text);
    FUZZ_CHECK(emoji.size() == text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (emoji[i] != text[i]) {
            const bool startsCode = IsEmojiLead(emoji[i]) && i + 1 < text.size();
            const bool endsCode = i > 0 && IsEmojiLead(emoji[i - 1]) && emoji[i - 1] != text[i - 1];
            FUZZ_CHECK(startsCode || endsCode);
        }
    }
    return 0;
}
