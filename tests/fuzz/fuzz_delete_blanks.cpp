// Blank removal from arbitrary bytes: every path gives the same text, with no
// TAB, LF, CR or space left and every other byte kept in order.
#include <cstring>
#include <string>

#include "conversion_fuzzing.h"

namespace {

using telepost::ConversionPath;
using telepost::fuzzing::Check;

std::string Converted(ConversionPath path, const std::string& text) {
    return telepost::fuzzing::Converted(telepost::DeleteBlanksBy, path, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = telepost::fuzzing::TextOf(data, size);
    std::string kept;
    for (char byte : text) {
        if (std::strchr("\t\n\r ", byte) == nullptr) {
            kept += byte;
        }
    }
    Check(Converted(ConversionPath::kByteAtATime, text) == kept);
    for (ConversionPath path : telepost::kBlockPaths) {
        Check(!telepost::CanRun(path) || Converted(path, text) == kept);
    }
    return 0;
}
