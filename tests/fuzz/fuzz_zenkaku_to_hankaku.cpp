// Full-width to half-width conversion of arbitrary bytes: every path gives
// the same text, never longer than the input and unchanged by a second pass.
#include <cstring>
#include <string>

#include "conversion_fuzzing.h"

namespace {

using telepost::ConversionPath;
using telepost::fuzzing::Check;

std::string Converted(ConversionPath path, const std::string& text) {
    return telepost::fuzzing::Converted(telepost::ZenkakuToHankakuBy, path, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = telepost::fuzzing::TextOf(data, size);
    const std::string halfWidth = Converted(ConversionPath::kByteAtATime, text);
    Check(halfWidth.size() <= text.size());
    Check(Converted(ConversionPath::kByteAtATime, halfWidth) == halfWidth);
    for (ConversionPath path : telepost::kBlockPaths) {
        Check(!telepost::CanRun(path) || Converted(path, text) == halfWidth);
    }
    return 0;
}
