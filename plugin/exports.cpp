// The plug-in's face towards the platform loader and the host: the entry
// routine and the 15 exported callbacks, each handing its work to the module
// that owns it.
#include <windows.h>

#include <type_traits>

#include "host/entry.h"
#include "host/plugin_info.h"
#include "host/process_state.h"
#include "host/settings.h"
#include "send/send_rules.h"
#include "telepost/contract.h"
#include "ui/ui.h"

using namespace telepost;

namespace {

// Every process-wide record of the plug-in, kept here alone: each callback
// hands the modules it calls the records they work on.
ProcessState g_state;

// The compose-window commands, which the host calls with their window.
void WINAPI CmdZenkakuToHankaku(HWND window, LPARAM) {
    ZenkakuToHankakuCommand(g_state.hostApi, window);
}

void WINAPI CmdToImodeEmoji(HWND window, LPARAM) {
    ImodeEmojiCommand(g_state.hostApi, window);
}

void WINAPI CmdCheckDoubleByte(HWND window, LPARAM) {
    DoubleByteCheckCommand(g_state.hostApi, window);
}

void WINAPI CmdDeleteBlanks(HWND window, LPARAM) {
    DeleteBlanksCommand(g_state.hostApi, window);
}

// In the contract's order (kComposeCommands).
constexpr CommandHandler kCommandHandlers[kComposeCommandCount] = {
    CmdZenkakuToHankaku,
    CmdToImodeEmoji,
    CmdCheckDoubleByte,
    CmdDeleteBlanks,
};

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    g_state.moduleInstance = instance;
    return EnterLibrary(instance, reason, g_state.hostApi, g_state.iniPath) ? TRUE : FALSE;
}

int WINAPI BKC_OnStart(void) {
    LoadSettings(g_state.iniPath, g_state.settings);
    ExamineIniFile(g_state.iniPath, g_state.iniNotice);
    LoadUserDomains(g_state.iniPath, g_state.userDomains);
    return 0;
}

int WINAPI BKC_OnExit(void) {
    return 0;
}

int WINAPI BKC_OnMenuInit(HWND, HMENU menu, int menuType) {
    ExtendComposeMenu(g_state.hostApi, menu, menuType, kCommandHandlers);
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
    TellIniTrouble(window, g_state.iniNotice);
    return 0;
}

int WINAPI BKC_OnOutgoing(HWND window, int mode) {
    return InspectOutgoing(g_state.hostApi, g_state.settings, g_state.userDomains, window, mode);
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
    RunSettingsDialog(owner, g_state.moduleInstance, g_state.iniPath, g_state.settings,
                      g_state.userDomains, g_state.iniNotice);
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
