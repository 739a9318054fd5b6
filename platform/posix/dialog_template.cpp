// Reads dialog templates from a module's resources into records; the
// template's strings are UTF-16.
#include "dialog_template.h"

#include <strings.h>

#include "resource_reader.h"

namespace win32posix {
namespace {

constexpr DWORD kExtendedMark = 0xFFFF0001;

// The predefined window classes that templates name by number.
constexpr struct {
    WORD ordinal;
    const char* name;
} kPredefinedClasses[] = {
    {0x80, "Button"},  {0x81, "Edit"},      {0x82, "Static"},
    {0x83, "ListBox"}, {0x84, "ScrollBar"}, {0x85, "ComboBox"},
};

std::string ClassName(WORD ordinal, const std::string& name) {
    for (const auto& predefined : kPredefinedClasses) {
        if (ordinal ? predefined.ordinal == ordinal
                    : strcasecmp(predefined.name, name.c_str()) == 0) {
            return predefined.name;  // as the class is registered
        }
    }
    return name;
}

bool ReadTemplate(ResourceReader& in, DialogTemplate* dialog) {
    size_t base = in.Offset();
    dialog->style = in.Dword();
    if (dialog->style == kExtendedMark) {
        return false;  // extended templates are not used here
    }
    dialog->exStyle = in.Dword();
    WORD count = in.Word();
    dialog->x = in.Short();
    dialog->y = in.Short();
    dialog->cx = in.Short();
    dialog->cy = in.Short();
    WORD ordinal = 0;
    in.NumberOrString(&ordinal);  // menu: dialogs here have none
    in.NumberOrString(&ordinal);  // class: the standard dialog class
    dialog->title = in.String();
    if (dialog->style & DS_SETFONT) {
        dialog->pointSize = in.Word();
        dialog->face = in.String();
    }
    for (WORD i = 0; i < count && in.Ok(); ++i) {
        in.AlignTo(base, 4);
        DialogItem item;
        item.style = in.Dword();
        item.exStyle = in.Dword();
        item.x = in.Short();
        item.y = in.Short();
        item.cx = in.Short();
        item.cy = in.Short();
        item.id = in.Word();
        WORD classOrdinal = 0;
        std::string className = in.NumberOrString(&classOrdinal);
        item.className = ClassName(classOrdinal, className);
        WORD textOrdinal = 0;
        item.text = in.NumberOrString(&textOrdinal);
        WORD extra = in.Word();
        in.Seek(in.Offset() + extra);
        dialog->items.push_back(item);
    }
    return in.Ok();
}

}  // namespace

bool LoadDialogTemplate(HINSTANCE instance, LPCSTR name, DialogTemplate* dialog) {
    HRSRC found = FindResourceExA(instance, RT_DIALOG, name, 0);
    if (!found) {
        return false;
    }
    ResourceReader body(
        static_cast<const unsigned char*>(LockResource(LoadResource(instance, found))),
        SizeofResource(instance, found));
    return ReadTemplate(body, dialog);
}

}  // namespace win32posix
