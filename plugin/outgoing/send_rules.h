// The outgoing inspection: applying the mobile carriers' rules to a message
// when it is sent.
#pragma once

#include <windows.h>

namespace telepost {

// The inspection of a message being sent from `window`: 0 lets the send go
// on, -1 cancels it (the user answered No to a length warning).
int InspectOutgoing(HWND window, int mode);

}  // namespace telepost
