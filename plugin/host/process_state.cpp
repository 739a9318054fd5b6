#include "host/process_state.h"

namespace telepost {

HostApiRecord g_hostApi;
SettingsRecord g_settings;
UserDomainsRecord g_userDomains;
char g_iniPath[MAX_PATH];
HINSTANCE g_moduleInstance;
IniNoticeRecord g_iniNotice;

}  // namespace telepost
