#include "host/entry.h"

#include "convert/convert.h"
#include "host/process_state.h"

namespace telepost {

int EnterLibrary(HINSTANCE instance, DWORD reason) {
    g_moduleInstance = instance;
    if (reason != DLL_PROCESS_ATTACH) {
        return 1;
    }
    DisableThreadLibraryCalls(instance);
    ChooseConversionPaths();
    if (!g_hostApi.Bind()) {
        return 0;
    }
    LocateIniFile(g_moduleInstance);
    return 1;
}

}  // namespace telepost
