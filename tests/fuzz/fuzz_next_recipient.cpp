// Walks arbitrary recipient lists: every entry lies inside the list, starts
// with no blank, separator or NUL and ends with no blank; the tokenizer
// writes nothing but NUL bytes, and only inside the list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "recipients/recipients.h"

namespace {

bool IsBlank(unsigned char byte) {
    return byte >= 0x01 && byte <= 0x20;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The list ends at the first NUL; its buffer ends with it, so that any
    // read or write past the list shows.
    const std::string original(reinterpret_cast<const char*>(data),
                               strnlen(reinterpret_cast<const char*>(data), size));
    std::vector<char> list(original.begin(), original.end());
    list.push_back('\0');
    char* const begin = list.data();
    char* const end = begin + original.size();

    const char* previousEnd = begin;
    std::size_t calls = 0;
    char* cursor = nullptr;
    for (char* entry = telepost::NextRecipient(begin, &cursor); entry != nullptr;
         entry = telepost::NextRecipient(nullptr, &cursor)) {
        FUZZ_CHECK(++calls <= original.size());
        FUZZ_CHECK(entry >= previousEnd && entry < end);
        const std::size_t length = std::strlen(entry);
        const unsigned char first = static_cast<unsigned char>(entry[0]);
        FUZZ_CHECK(first != '\0' && !IsBlank(first) && first != ',' && first != ';');
        FUZZ_CHECK(!IsBlank(static_cast<unsigned char>(entry[length - 1])));
        FUZZ_CHECK(
            original.compare(static_cast<std::size_t>(entry - begin), length, entry, length) == 0);
        previousEnd = entry + length;
    }
    FUZZ_CHECK(telepost::NextRecipient(nullptr, &cursor) == nullptr);
    for (std::size_t i = 0; i < original.size(); ++i) {
        FUZZ_CHECK(list[i] == original[i] || list[i] == '\0');
    }
    return 0;
}
