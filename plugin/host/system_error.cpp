#include "host/system_error.h"

#include <cstring>

namespace telepost {

namespace {

#define TELEPOST_MESSAGE(name, text) constexpr char name[] = text;
#include "host/system_error_messages.inc"
#undef TELEPOST_MESSAGE
// Room for the number and its brackets: " (エラー 4294967295)".
constexpr int kNumberSize = 32;

}  // namespace

void SystemErrorText(DWORD code, char (&text)[kSystemErrorTextSize]) {
    char number[kNumberSize];
    const auto numberLength = static_cast<size_t>(
        wsprintfA(number, " (%s %lu)", kErrorWord, static_cast<unsigned long>(code)));
    // The system's text leaves room for the number behind it.
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                       text, static_cast<DWORD>(sizeof text - numberLength), nullptr);
    for (DWORD i = 0; i < length; ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            text[i] = ' ';
        }
    }
    while (length > 0 && text[length - 1] == ' ') {
        --length;
    }
    if (length == 0) {
        // The number alone, without the blank and the brackets.
        const size_t bare = numberLength - 3;
        std::memcpy(text, number + 2, bare);
        text[bare] = '\0';
        return;
    }
    std::memcpy(text + length, number, numberLength + 1);
}

}  // namespace telepost
