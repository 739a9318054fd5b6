// Recipient parsing for the outgoing inspection: cutting the recipient list,
// splitting a mailbox and the case-blind search that recognises the mobile
// carriers' mail domains. Pure byte-string code, free of the platform.
#pragma once

namespace telepost {

// Cuts a writable recipient list into entries in place, one per call: the
// first call is given the list, later calls null. Each call goes on from
// `*cursor`, which the caller keeps for its walk (null before the first list),
// so walks with cursors of their own share nothing and one may run while
// another is part-way. Entries are separated by commas or semicolons outside
// double quotes and parenthesised comments; blanks (0x01-0x20) around an entry
// and one comment at its start are dropped. Null when no entry is left.
char* NextRecipient(char* list, char** cursor);

// Splits a mailbox into its display name and bare address. Understood forms:
// `name <address>`, `"quoted name" <address>`, `<address>`,
// `address (name)` and a bare address. Each output is left NUL-terminated
// within its size (at least 1), cut to whole double-byte characters, with no
// leading or trailing space or tab; the mailbox itself is never changed.
// Both outputs are empty, and the result false, when no working memory can
// be had.
bool SplitMailbox(char* name, int nameSize, char* address, int addressSize, const char* mailbox);

// The first position of `pattern` in `text`, ASCII letters matched without
// regard to case, or null.
const char* FindNoCase(const char* text, const char* pattern);

}  // namespace telepost
