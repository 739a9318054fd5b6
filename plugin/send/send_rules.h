// The outgoing inspection: applying the mobile carriers' rules to a message
// when it is sent.
#pragma once

#include <windows.h>

namespace telepost {

// The inspection of a message being sent from `window`: 0 lets the send go
// on, -1 cancels it (the user answered No to a length warning, or its box
// could not be shown; the Subject and From it changed are put back). A send started from another
// window while this one's warning waits for an answer is inspected on its own.
int InspectOutgoing(HWND window, int mode);

}  // namespace telepost
