// Internals of recipient parsing shared by the tokenizer, the mailbox
// splitter and their tests.
#pragma once

namespace telepost {

// Mailbox syntax bytes that both the tokenizer and the splitter know.
constexpr char kQuote = '"';
constexpr char kCommentOpen = '(';
constexpr char kCommentClose = ')';

// The work of SplitMailbox on its private copy of the mailbox, which it cuts
// in place. A null `copy` (the copy could not be made) leaves both outputs
// empty.
void SplitMailboxCopy(char* name, int nameSize, char* address, int addressSize, char* copy);

}  // namespace telepost
