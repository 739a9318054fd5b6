// Message files for hostsim send: headers, one "Name: value" a line (a line
// that begins with a blank continues the one before), a blank line, then the
// body; UTF-8 (a byte order mark allowed) or Shift-JIS, lines ended by LF or
// CR LF. Read into the host's code page 932, nothing changed without a word.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "codec.h"
#include "host.h"

namespace hostsim {

struct MessageFileOptions {
    bool shiftJis = false;    // the file is Shift-JIS already, taken byte for byte
    bool substitute = false;  // characters code page 932 cannot hold get stand-ins
};

// A message the user wrote in UTF-8 as code page 932. False, with a one-line
// reason naming the line (after `where`, such as "the message's "), when it is
// not UTF-8 or holds a character code page 932 cannot hold, unless
// `substitute`: then the stand-ins are sent and listed in `replaced`.
bool UserTextToCodePage932(const std::string& utf8, bool substitute, const std::string& where,
                           std::string* text, std::vector<Replacement>* replaced,
                           std::string* error);

// The most bytes a message may hold: far more than any mail, so that a
// message that does not end (a device, say) is refused, not read forever.
inline constexpr size_t kMaxMessageBytes = size_t{64} << 20;

// Reads a message from `file` to its end. False, with the reason, when it
// cannot be read or holds more than `limit` bytes.
bool ReadMessageBytes(std::FILE* file, std::string* bytes, std::string* error,
                      size_t limit = kMaxMessageBytes);

// The headers a message file may hold, in the order they are shown. The
// plug-in gets any other as written, but reads none.
inline constexpr const char* kHeaderNames[] = {"To", "Cc", "Bcc", "Subject", "From"};
// The message's headers that are none of kHeaderNames, e.g. a misspelt "Tp".
std::vector<std::string> UnknownHeaders(const Message& message);

// A message's text as the user gave it, `bytes`, in code page 932 with its
// lines ended by CR LF, as a compose window holds it. False, with a one-line
// reason behind `where` (such as "message.txt: ") naming the line, when it
// holds a NUL byte or a CR without LF, is not UTF-8, or holds a character
// code page 932 cannot hold (unless `options.substitute`, which lists them in
// `replaced`).
bool MessageText(std::string bytes, const MessageFileOptions& options, const std::string& where,
                 std::string* text, std::vector<Replacement>* replaced, std::string* error);

// Reads the file at `path` as MessageText takes it, its whole content one
// text; the reason names the file. False also when the file cannot be read,
// is no regular file or is larger than kMaxMessageBytes.
bool ReadMessageText(const std::string& path, const MessageFileOptions& options, std::string* text,
                     std::vector<Replacement>* replaced, std::string* error);

// Reads the message file at `path`. False, with a one-line reason naming the
// file and the line at fault, when the file cannot be read (or is no regular
// file, or is larger than kMaxMessageBytes), holds a NUL byte
// or a CR without LF, is not UTF-8, holds a character code page 932 cannot
// hold (unless `options.substitute`, which lists them in `replaced`), or is
// not headers and a body.
bool ReadMessageFile(const std::string& path, const MessageFileOptions& options, Message* message,
                     std::vector<Replacement>* replaced, std::string* error);

// Parses a message's code page 932 text, whose trail bytes are never a colon,
// a blank or a line break. The body's lines end in CR LF, as in a compose window.
bool ParseMessage(const std::string& text, Message* message, std::string* error);

}  // namespace hostsim
