// The outgoing inspection: applying the mobile carriers' rules to a message
// when it is sent, and the mail domains the user lists for it in the INI file.
#pragma once

#include <windows.h>

#include "recipients/carriers.h"
#include "send/host_api.h"
#include "send/settings_record.h"

namespace telepost {

// The inspection of a message being sent from `window`, through the host's
// functions `host`, with the settings and the user's domain lists: 0
// lets the send go on, -1 cancels it (the user answered No to a length
// warning, or its box could not be shown; the Subject and From it changed
// are put back). A send started
// from another window while this one's warning waits for an answer is
// inspected on its own.
int InspectOutgoing(const HostApiRecord& host, const SettingsRecord& settings,
                    const UserDomainsRecord& domains, HWND window, int mode);

// Replaces `domains` with the lists of the INI file `iniPath`, each key read
// up to kDomainListSize bytes, from the file's own bytes when it is in UTF-8
// (telepost/ini_text.h); an empty path gives empty lists and touches no file.
void LoadUserDomains(const char* iniPath, UserDomainsRecord& domains);

}  // namespace telepost
