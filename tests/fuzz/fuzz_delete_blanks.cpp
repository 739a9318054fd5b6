// Blank removal from arbitrary bytes: every path gives the same text, with no
// TAB, LF, CR or space left and every other byte kept in order.
#include <cstring>
#include <string>

#include "conversion_fuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace telepost::fuzzing;
    const std::string text = TextOf(data, size);
    std::string kept;
    for (char byte : text) {
        if (std::strchr("\t\n\r ", byte) == nullptr) {
            kept += byte;
        }
    }
    FUZZ_CHECK(ConvertedOnEveryPath(telepost::DeleteBlanksBy, text) == kept);
    return 0;
}
