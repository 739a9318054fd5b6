// The system's own words for an error code, for the stand-in host's messages.
#pragma once

#include <windows.h>

#include <string>

namespace hostsim {

// The system's text for `code` as the terminal shows it, on one line, followed by the code, e.g.
// "The specified module could not be found. (error 126)"; "error 126" alone
// when the system has no text for it. `subject` stands for the text's "%1",
// the file or name the error is about (e.g. "%1 is not a valid Win32 application.").
std::string SystemMessage(DWORD code, const std::string& subject = "%1");

// Why a window or message box was not shown, from the thread's last error
// `code` after the failure: the system's text, or, for 0, what a system
// without a display to draw on does (it refuses windows without a reason).
std::string WhyNotShown(DWORD code);

}  // namespace hostsim
