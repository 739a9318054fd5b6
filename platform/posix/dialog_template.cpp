// Reads dialog templates from a module's compiled resource file: a run of
// entries, each a header (sizes, type, name, language) and its data, every
// part aligned to four bytes; the dialog's strings are UTF-16.
#include "dialog_template.h"

#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace win32posix {
namespace {

constexpr WORD kOrdinalMark = 0xFFFF;  // a number follows instead of a string
constexpr DWORD kExtendedMark = 0xFFFF0001;

// The predefined window classes that templates name by number.
constexpr struct {
    WORD ordinal;
    const char* name;
} kPredefinedClasses[] = {
    {0x80, "Button"},  {0x81, "Edit"},      {0x82, "Static"},
    {0x83, "ListBox"}, {0x84, "ScrollBar"}, {0x85, "ComboBox"},
};

// A little-endian reader over the bytes of one resource; a read past the end
// marks it failed and gives zeros.
class Reader {
  public:
    Reader(const unsigned char* data, size_t size) : data_(data), size_(size) {}

    bool Ok() const { return ok_; }
    size_t Offset() const { return offset_; }
    void Seek(size_t offset) {
        if (offset > size_) {
            ok_ = false;
        }
        offset_ = offset > size_ ? size_ : offset;
    }
    void AlignTo(size_t base, size_t unit) {
        size_t from = offset_ - base;
        Seek(base + (from + unit - 1) / unit * unit);
    }
    WORD Word() {
        if (size_ - offset_ < 2) {
            ok_ = false;
            return 0;
        }
        WORD value = static_cast<WORD>(data_[offset_] | data_[offset_ + 1] << 8);
        offset_ += 2;
        return value;
    }
    DWORD Dword() {
        DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    short Short() { return static_cast<short>(Word()); }

    // A NUL-terminated UTF-16 string, as code page 932.
    std::string String() {
        std::u16string wide;
        while (WORD unit = Word()) {
            wide.push_back(static_cast<char16_t>(unit));
        }
        return ToCodePage(wide);
    }
    // A number marked with 0xFFFF, or a string; `ordinal` is 0 for a string.
    std::string NumberOrString(WORD* ordinal) {
        *ordinal = 0;
        size_t start = offset_;
        if (Word() == kOrdinalMark) {
            *ordinal = Word();
            return {};
        }
        Seek(start);
        return String();
    }

  private:
    static std::string ToCodePage(const std::u16string& wide) {
        if (wide.empty()) {
            return {};
        }
        int n = WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
        std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
        WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                            nullptr, nullptr);
        return text;
    }

    const unsigned char* data_;
    size_t size_;
    size_t offset_ = 0;
    bool ok_ = true;
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

bool ReadTemplate(Reader& in, DialogTemplate* dialog) {
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

// Whether a resource's type or name, read at the reader, is `wanted`.
bool Matches(Reader& in, LPCSTR wanted) {
    WORD ordinal = 0;
    std::string name = in.NumberOrString(&ordinal);
    if (IS_INTRESOURCE(wanted)) {
        return ordinal != 0 && ordinal == reinterpret_cast<UINT_PTR>(wanted);
    }
    return ordinal == 0 && strcasecmp(name.c_str(), wanted) == 0;
}

}  // namespace

const unsigned char* FindResourceEntry(HINSTANCE instance, LPCSTR type, LPCSTR name,
                                       WORD language) {
    auto* bytes =
        reinterpret_cast<const unsigned char*>(GetProcAddress(instance, "PosixModuleResources"));
    auto* size = reinterpret_cast<const std::uint32_t*>(
        GetProcAddress(instance, "PosixModuleResourcesSize"));
    if (!bytes || !size) {
        return nullptr;
    }
    Reader in(bytes, *size);
    while (in.Ok() && in.Offset() < *size) {
        size_t start = in.Offset();
        DWORD dataSize = in.Dword();
        DWORD headerSize = in.Dword();
        bool typed = Matches(in, type);
        bool named = Matches(in, name);
        in.AlignTo(start, 4);
        in.Dword();  // the data's version
        in.Word();   // memory flags
        WORD entryLanguage = in.Word();
        size_t data = start + headerSize;
        if (!in.Ok() || headerSize == 0 || data + dataSize > *size) {
            return nullptr;
        }
        if (typed && named && (language == 0 || language == entryLanguage)) {
            return bytes + start;
        }
        in.Seek(std::min<size_t>(data + (dataSize + 3) / 4 * 4, *size));
    }
    return nullptr;
}

DWORD ResourceDataSize(const unsigned char* entry) {
    return static_cast<DWORD>(entry[0] | entry[1] << 8 | entry[2] << 16 |
                              static_cast<DWORD>(entry[3]) << 24);
}

const unsigned char* ResourceData(const unsigned char* entry) {
    return entry + ResourceDataSize(entry + 4);  // behind the header, whose size comes second
}

bool LoadDialogTemplate(HINSTANCE instance, LPCSTR name, DialogTemplate* dialog) {
    const unsigned char* entry = FindResourceEntry(instance, RT_DIALOG, name, 0);
    if (!entry) {
        return false;
    }
    Reader body(ResourceData(entry), ResourceDataSize(entry));
    return ReadTemplate(body, dialog);
}

}  // namespace win32posix

HRSRC WINAPI FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
    return reinterpret_cast<HRSRC>(
        const_cast<unsigned char*>(win32posix::FindResourceEntry(module, type, name, language)));
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
    if (!resource) {
        return nullptr;
    }
    return const_cast<unsigned char*>(
        win32posix::ResourceData(reinterpret_cast<const unsigned char*>(resource)));
}

LPVOID WINAPI LockResource(HGLOBAL data) {
    return data;
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
    return resource ? win32posix::ResourceDataSize(reinterpret_cast<const unsigned char*>(resource))
                    : 0;
}
