// The plug-in's process-wide records, every one of them: the host's
// functions, the settings, the user's domain lists, the INI file's path,
// the library's own instance handle and the notice about the INI file. Set
// when the library is attached and when the host starts it; the settings
// dialog's OK changes the settings, and the notice notes when it is told.
// The code that works on them takes them as parameters where it can, so that
// only the frame, the callbacks and the user interface name them here.
#pragma once

#include <windows.h>

#include "send/host_api.h"
#include "host/settings.h"
#include "telepost/domain_list.h"

namespace telepost {

extern HostApiRecord g_hostApi;  // read-only once bound
extern SettingsRecord g_settings;
extern UserDomainsRecord g_userDomains;  // read at start
extern char g_iniPath[MAX_PATH];         // empty until the library is attached
extern HINSTANCE g_moduleInstance;
extern IniNoticeRecord g_iniNotice;  // set at start, told once

}  // namespace telepost
