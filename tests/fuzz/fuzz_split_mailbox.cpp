// Splits arbitrary mailboxes into outputs of arbitrary sizes: both outputs
// are terminated within their sizes, hold no leading or trailing blank and
// are pieces of the mailbox, which is left unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "recipients/recipients.h"

namespace {

bool IsBlank(char byte) {
    return byte == ' ' || byte == '\t';
}

void CheckOutput(const std::vector<char>& output, std::string_view mailbox) {
    const void* terminator = std::memchr(output.data(), '\0', output.size());
    FUZZ_CHECK(terminator != nullptr);
    const std::string_view text(output.data());
    if (!text.empty()) {
        FUZZ_CHECK(!IsBlank(text.front()) && !IsBlank(text.back()));
        FUZZ_CHECK(mailbox.find(text) != std::string_view::npos);
    }
}

}  // namespace

// The first two bytes give the output sizes (1 to 256), the rest up to the
// first NUL is the mailbox.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const int nameSize = data[0] + 1;
    const int addressSize = data[1] + 1;
    const char* text = reinterpret_cast<const char*>(data + 2);
    const std::string original(text, strnlen(text, size - 2));
    std::vector<char> mailbox(original.begin(), original.end());
    mailbox.push_back('\0');

    // Filled with a byte that is no terminator, so that a missing one shows.
    std::vector<char> name(static_cast<size_t>(nameSize), 'x');
    std::vector<char> address(static_cast<size_t>(addressSize), 'x');
    telepost::SplitMailbox(name.data(), nameSize, address.data(), addressSize, mailbox.data());

    FUZZ_CHECK(std::string_view(mailbox.data(), mailbox.size() - 1) == original);
    CheckOutput(name, original);
    CheckOutput(address, original);
    return 0;
}
