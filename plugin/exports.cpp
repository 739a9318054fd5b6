// The plug-in's face towards the platform loader and the host: the entry
// routine and the 15 exported callbacks, each handing its work to the module
// that owns it.
#include <windows.h>

#include <type_traits>

#include "host/entry.h"
#include "host/plugin_info.h"
#include "host/process_state.h"
#include "send/send_rules.h"
#include "telepost/contract.h"
#include "ui/ui.h"

using namespace telepost;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    return EnterLibrary(instance, reason) ? TRUE : FALSE;
}

int WINAPI BKC_OnStart(void) {
    LoadSettings();
    ExamineIniFile();
    LoadUserDomains(g_iniPath, g_userDomains);
    return 0;
}

int WINAPI BKC_OnExit(void) {
    return 0;
}

int WINAPI BKC_OnMenuInit(HWND, HMENU menu, int menuType) {
    ExtendComposeMenu(menu, menuType);
    return 0;
}

int WINAPI BKC_OnOpenFolder(LPCSTR) {
    return 0;
}

int WINAPI BKC_OnOpenMail(LPCSTR) {
    return 0;
}

int WINAPI BKC_OnEveryMinute(void) {
    return 0;
}

int WINAPI BKC_OnOpenCompose(HWND window, int) {
    TellIniTrouble(window);
    return 0;
}

int WINAPI BKC_OnOutgoing(HWND window, int mode) {
    return InspectOutgoing(g_hostApi, g_settings, g_userDomains, window, mode);
}

int WINAPI BKC_OnKeyDispatch(HWND, int, int) {
    return 0;
}

int WINAPI BKC_OnRetrieve(LPCSTR, LPCSTR) {
    return 0;
}

int WINAPI BKC_OnSend(LPCSTR) {
    return 0;
}

int WINAPI BKC_OnFinishRetrieve(int) {
    return 0;
}

int WINAPI BKC_OnPlugInSetup(HWND owner) {
    RunSettingsDialog(owner);
    return 1;
}

int WINAPI BKC_OnPlugInInfo(LPVOID info) {
    FillPluginInfo(info);
    return 0;
}

int WINAPI BKC_OnDragDrop(LPCSTR, LPCSTR, int, int) {
    return 0;
}

}  // extern "C"

// Each callback has exactly the signature the host calls it with.
#define TELEPOST_CALLBACK(ordinal, name, params) \
    static_assert(std::is_same_v<decltype(&name), name##_t>, #name);
#include "telepost/callbacks.inc"
#undef TELEPOST_CALLBACK
