#include "host/entry.h"

#include "convert/convert.h"
#include "host/settings.h"

namespace telepost {

int EnterLibrary(HINSTANCE instance, DWORD reason, HostApiRecord& hostApi,
                 char (&iniPath)[MAX_PATH]) {
    if (reason != DLL_PROCESS_ATTACH) {
        return 1;
    }
    DisableThreadLibraryCalls(instance);
    ChooseConversionPaths();
    if (!hostApi.Bind()) {
        return 0;
    }
    LocateIniFile(instance, iniPath);
    return 1;
}

}  // namespace telepost
