// How a phone shows the i-mode emoji codes the plug-in writes: the code
// page 932 texts the plug-in hands back, made readable on a terminal.
#pragma once

#include <string>

namespace hostsim {

// The picture a phone shows for an emoji code, as UTF-8; empty for a code
// the plug-in never writes.
std::string EmojiPicture(unsigned char lead, unsigned char trail);

// A code page 932 text as UTF-8, each character of the user-defined area
// (lead bytes 0xF0-0xF9) shown as its picture, or as its hex code when it has
// none. With `withCodes` each picture is followed by its code, e.g. "😃[F995]".
std::string ShowOnPhone(const std::string& text, bool withCodes = false);

}  // namespace hostsim
