// The recipient list tokenizer: cuts the joined To, Cc and Bcc values into
// one entry per recipient, in place.
#include "telepost/sjis.h"
#include "recipients/recipients.h"
#include "recipients/recipients_internal.h"

namespace telepost {

namespace {

// Blanks are the space and every control byte below it; DEL is not one.
bool IsBlank(unsigned char byte) {
    return byte >= 0x01 && byte <= 0x20;
}

bool IsSeparator(unsigned char byte) {
    return byte == ',' || byte == ';';
}

unsigned char At(const char* position) {
    return static_cast<unsigned char>(*position);
}

char* SkipBlanksAndSeparators(char* position) {
    while (IsBlank(At(position)) || IsSeparator(At(position))) {
        ++position;
    }
    return position;
}

// The closing parenthesis of the comment opened just before `position`, or
// the end of the list. Whatever the comment holds is passed over byte by byte.
char* FindCommentClose(char* position) {
    while (*position != '\0' && *position != kCommentClose) {
        ++position;
    }
    return position;
}

// Overwrites the blanks that trail the entry [start, end) with NUL; the start
// of an entry is never a blank.
void CutTrailingBlanks(char* start, char* end) {
    while (end > start && IsBlank(At(end - 1))) {
        *--end = '\0';
    }
}

}  // namespace

// `*cursor` is where the next call with null goes on: null before the first
// list and once a list is used up.
char* NextRecipient(char* list, char** cursor) {
    if (list != nullptr) {
        *cursor = list;
    }
    char* position = *cursor;
    if (position == nullptr) {
        return nullptr;
    }

    position = SkipBlanksAndSeparators(position);
    if (*position == kCommentOpen) {
        // One comment in front of an entry is dropped with the blanks.
        position = FindCommentClose(position + 1);
        if (*position == '\0') {
            *cursor = position;
            return nullptr;
        }
        position = SkipBlanksAndSeparators(position + 1);
    }

    char* const start = position;
    bool quoted = false;
    while (*position != '\0') {
        const unsigned char byte = At(position);
        if (IsLeadByte(byte)) {
            // A trail byte is never a delimiter.
            ++position;
            if (*position != '\0') {
                ++position;
            }
        } else if (byte == kCommentOpen) {
            // Quotes and separators inside a comment neither flip the quoted
            // state nor end the entry.
            position = FindCommentClose(position + 1);
            if (*position != '\0') {
                ++position;
            }
        } else if (byte == kQuote) {
            quoted = !quoted;
            ++position;
        } else if (IsSeparator(byte) && !quoted) {
            *position = '\0';
            CutTrailingBlanks(start, position);
            *cursor = position + 1;
            return start;
        } else {
            ++position;
        }
    }

    *cursor = nullptr;
    if (position == start) {
        return nullptr;
    }
    CutTrailingBlanks(start, position);
    return start;
}

}  // namespace telepost
