#include "host/process_state.h"

namespace telepost {

HostApiRecord HostApi;
SettingsRecord Settings;
UserDomainsRecord UserDomains;
char IniPath[MAX_PATH];
HINSTANCE ModuleInstance;
IniNoticeRecord IniNotice;

}  // namespace telepost
