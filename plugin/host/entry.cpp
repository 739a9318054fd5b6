#include "host/entry.h"

#include "convert/convert.h"
#include "host/process_state.h"

namespace telepost {

int EnterLibrary(HINSTANCE instance, DWORD reason) {
    ModuleInstance = instance;
    if (reason != DLL_PROCESS_ATTACH) {
        return 1;
    }
    DisableThreadLibraryCalls(instance);
    ChooseConversionPaths();
    if (!HostApi.Bind()) {
        return 0;
    }
    LocateIniFile(ModuleInstance);
    return 1;
}

}  // namespace telepost
