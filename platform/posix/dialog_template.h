// Dialog templates as compiled into a module's resources, read into records.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win32posix {

struct DialogItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    int id = 0;
    std::string className;  // "Button", "Static", ... for the predefined classes
    std::string text;       // code page 932
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string title;  // code page 932
    int pointSize = 0;  // with DS_SETFONT
    std::string face;   // code page 932
    std::vector<DialogItem> items;
};

// Reads template `name` (a number or a name) of type RT_DIALOG from the
// module's resources, whose bytes the module exports as PosixModuleResources
// and PosixModuleResourcesSize in the layout of a compiled .res file. False
// when the module has no resources or no such dialog, or its bytes are cut.
bool LoadDialogTemplate(HINSTANCE instance, LPCSTR name, DialogTemplate* dialog);

}  // namespace win32posix
