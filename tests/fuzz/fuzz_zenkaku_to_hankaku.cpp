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
    const std::string half_width = Converted(ConversionPath::kByteAtATime, text);
    Check(half_width.size() <= text.size());
    Check(Converted(ConversionPath::kByteAtATime, half_width) == half_width);
    for (ConversionPath path : telepost::kBlockPaths) {
        Check(!telepost::CanRun(path) || Converted(path, text) == half_width);
    }
    return 0;
}
