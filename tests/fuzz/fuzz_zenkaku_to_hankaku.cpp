// Full-width to half-width conversion of arbitrary bytes: every path gives
// the same text, never longer than the input and unchanged by a second pass.
#include <string>

#include "conversion_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace telepost::fuzzing;
    const std::string text = TextOf(data, size);
    const std::string halfWidth = ConvertedOnEveryPath(telepost::ZenkakuToHankakuBy, text);
    FUZZ_CHECK(halfWidth.size() <= text.size());
    FUZZ_CHECK(Converted(telepost::ZenkakuToHankakuBy, telepost::ConversionPath::ByteAtATime,
                         halfWidth) == halfWidth);
    return 0;
}
