// Module resources for Linux builds: a module's compiled resource file, which
// it exports as PosixModuleResources and PosixModuleResourcesSize, is a run of
// entries, each a header (sizes, type, name, language) and its data, every
// part aligned to four bytes. A resource handle is its entry's address.
#include <windows.h>

#include <strings.h>

#include <algorithm>
#include <cstdint>

#include "resource_reader.h"

namespace win32posix {
namespace {

// Whether a resource's type or name, read at the reader, is `wanted`.
bool Matches(ResourceReader& in, LPCSTR wanted) {
    WORD ordinal = 0;
    std::string name = in.NumberOrString(&ordinal);
    if (IS_INTRESOURCE(wanted)) {
        return ordinal != 0 && ordinal == reinterpret_cast<UINT_PTR>(wanted);
    }
    return ordinal == 0 && strcasecmp(name.c_str(), wanted) == 0;
}

// The entry of resource `type`/`name` in the module's compiled resource file,
// in `language` or, for 0, in any; null when there is none.
const unsigned char* FindResourceEntry(HINSTANCE instance, LPCSTR type, LPCSTR name,
                                       WORD language) {
    auto* bytes =
        reinterpret_cast<const unsigned char*>(GetProcAddress(instance, "PosixModuleResources"));
    auto* size = reinterpret_cast<const std::uint32_t*>(
        GetProcAddress(instance, "PosixModuleResourcesSize"));
    if (!bytes || !size) {
        return nullptr;
    }
    ResourceReader in(bytes, *size);
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

}  // namespace
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
