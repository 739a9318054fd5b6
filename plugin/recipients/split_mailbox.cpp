// The mailbox splitter: display name and bare address of one mailbox, such
// as the value of From.
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include "telepost/sjis.h"
#include "recipients/recipients.h"
#include "recipients/recipients_internal.h"

namespace telepost {

namespace {

constexpr char kAngleOpen = '<';
constexpr char kAngleClose = '>';

// Blanks of a mailbox: the space and the tab only.
bool IsBlank(char byte) {
    return byte == ' ' || byte == '\t';
}

// The position after the character at `position`: a lead byte and the byte
// after it are one character, so a trail byte is never taken for a quote, a
// bracket or a parenthesis. A lead byte before the end is a byte on its own.
template <typename Char>
Char* NextChar(Char* position) {
    if (IsLeadByte(static_cast<unsigned char>(position[0])) && position[1] != '\0') {
        return position + 2;
    }
    return position + 1;
}

// The first `wanted` byte from `position` on, characters stepped over whole,
// or null.
char* FindByte(char* position, char wanted) {
    for (; *position != '\0'; position = NextChar(position)) {
        if (*position == wanted) {
            return position;
        }
    }
    return nullptr;
}

// The first opening angle bracket outside double quotes, or null.
char* FindUnquotedAngle(char* position) {
    bool quoted = false;
    for (; *position != '\0'; position = NextChar(position)) {
        if (*position == kQuote) {
            quoted = !quoted;
        } else if (*position == kAngleOpen && !quoted) {
            return position;
        }
    }
    return nullptr;
}

// The field at `position` ended by `delimiter`: delimiter bytes in front of
// it are skipped, and the one that ends it is overwritten with NUL so that
// fields taken later end there too. Null when nothing follows the skipped
// delimiters.
char* TakeField(char* position, char delimiter) {
    while (*position == delimiter) {
        ++position;
    }
    if (*position == '\0') {
        return nullptr;
    }
    char* const field = position;
    while (*position != '\0' && *position != delimiter) {
        position = NextChar(position);
    }
    *position = '\0';
    return field;
}

// Copies `field` (null: absent) into `output` without its leading and
// trailing blanks, cut to whole characters within the output's size.
void Store(char* output, int size, const char* field) {
    if (size < 1) {
        return;
    }
    std::size_t length = 0;
    if (field != nullptr) {
        while (IsBlank(*field)) {
            ++field;
        }
        // A double-byte character that does not fit whole is left out with
        // its lead byte, not cut in half.
        const std::size_t room = static_cast<std::size_t>(size) - 1;
        const char* end = field;
        while (*end != '\0') {
            const char* next = NextChar(end);
            if (static_cast<std::size_t>(next - field) > room) {
                break;
            }
            end = next;
        }
        length = static_cast<std::size_t>(end - field);
        std::memcpy(output, field, length);
    }
    while (length > 0 && IsBlank(output[length - 1])) {
        --length;
    }
    output[length] = '\0';
}

}  // namespace

void SplitMailboxCopy(char* name, int nameSize, char* address, int addressSize, char* copy) {
    char* nameField = nullptr;
    char* addressField = nullptr;
    if (copy != nullptr) {
        char* start = copy;
        while (IsBlank(*start)) {
            ++start;
        }
        if (char* angle = FindUnquotedAngle(start)) {
            // Display name, blanks, <address>; the name may be quoted or absent.
            addressField = TakeField(angle + 1, kAngleClose);
            if (start != angle) {
                nameField =
                    *start == kQuote ? TakeField(start, kQuote) : TakeField(start, kAngleOpen);
            }
        } else if (char* comment = FindByte(start, kCommentOpen)) {
            // Address, blanks, (display name).
            nameField = TakeField(comment + 1, kCommentClose);
            addressField = TakeField(start, kCommentOpen);
        } else {
            addressField = start;
        }
    }
    Store(name, nameSize, nameField);
    Store(address, addressSize, addressField);
}

bool SplitMailbox(char* name, int nameSize, char* address, int addressSize, const char* mailbox) {
    // The fields are cut out of a private copy, so the caller's mailbox is
    // never changed. Without memory for it both results are empty.
    const std::size_t size = std::strlen(mailbox) + 1;
    std::unique_ptr<char[]> copy(new (std::nothrow) char[size]);
    if (copy) {
        std::memcpy(copy.get(), mailbox, size);
    }
    SplitMailboxCopy(name, nameSize, address, addressSize, copy.get());
    return copy != nullptr;
}

}  // namespace telepost
