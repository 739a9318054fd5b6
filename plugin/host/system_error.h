// The system's own words for an error code, for the plug-in's messages to
// the user.
#pragma once

#include <windows.h>

namespace telepost {

// Bytes of an error's text as SystemErrorText gives it, terminator included.
inline constexpr int kSystemErrorTextSize = 512;

// The system's text for `code` in the user's language and the ANSI code
// page, on one line (its line breaks made blanks, the trailing ones
// dropped), followed by "(エラー N)"; "エラー N" alone when the system has no
// text for it. Always terminated within `text`.
void SystemErrorText(DWORD code, char (&text)[kSystemErrorTextSize]);

}  // namespace telepost
