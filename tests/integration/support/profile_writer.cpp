#include "support/profile_writer.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#ifndef _WIN32
#include "win32posix/profile_writer.h"
#endif

namespace hostsim {

namespace {

using Writer = BOOL(WINAPI*)(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

// The writer in place, the one it stands in for, and the writes so far.
WriterFault g_fault = WriterFault::StoresNothing;
Writer g_systemWriter = nullptr;
int g_writes = 0;

constexpr char kJunk[] = "\x01junk that no writer wrote\r\n";

std::string ReadBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const char* path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Writes through the system's writer and lets it drop what it keeps of the
// file, so that the next call reads the file as it is on the disk.
BOOL WriteAndFlush(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    const BOOL written = g_systemWriter(section, key, value, fileName);
    const DWORD error = GetLastError();
    g_systemWriter(nullptr, nullptr, nullptr, fileName);
    SetLastError(error);
    return written;
}

BOOL WINAPI FaultyWrite(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    if (!section && !key && !value) {
        return g_systemWriter(section, key, value, fileName);  // the flush
    }
    ++g_writes;
    switch (g_fault) {
        case WriterFault::StoresNothing:
            return TRUE;
        case WriterFault::MarksHighBytes: {
            const BOOL written = WriteAndFlush(section, key, value, fileName);
            std::string bytes = ReadBytes(fileName);
            for (char& byte : bytes) {
                if (static_cast<unsigned char>(byte) >= 0x80) {
                    byte = '?';
                }
            }
            WriteBytes(fileName, bytes);
            g_systemWriter(nullptr, nullptr, nullptr, fileName);
            return written;
        }
        case WriterFault::GrowsThenDiskFull:
            if (g_writes == 1) {
                const BOOL written = WriteAndFlush(section, key, value, fileName);
                WriteBytes(fileName, ReadBytes(fileName) + kJunk);
                g_systemWriter(nullptr, nullptr, nullptr, fileName);
                return written;
            }
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
    }
    return FALSE;
}

#ifdef _WIN32
// The slot of the import table of `module` through which it calls
// `function` of `library`; null when it imports no such function by name.
void** ImportSlot(HMODULE module, const char* library, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) {
        return nullptr;
    }
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), library) != 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
            base + (entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                continue;
            }
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

// Puts `writer` in the plug-in's slot for the system's writer; gives the
// one that was there, null when it cannot.
Writer PutWriter(HMODULE plugin, Writer writer) {
    void** slot = ImportSlot(plugin, "kernel32.dll", "WritePrivateProfileStringA");
    DWORD protection = 0;
    if (!slot || !VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) {
        return nullptr;
    }
    auto* was = reinterpret_cast<Writer>(*slot);
    *slot = reinterpret_cast<void*>(writer);
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return was;
}
#endif

}  // namespace

FaultyProfileWriter::FaultyProfileWriter(HMODULE plugin, WriterFault faultWanted)
    : plugin_(plugin) {
    g_fault = faultWanted;
    g_writes = 0;
#ifdef _WIN32
    g_systemWriter = PutWriter(plugin, FaultyWrite);
#else
    win32posix::ReplaceProfileWriter(FaultyWrite);
    g_systemWriter = win32posix::WriteProfileStringOwn;
#endif
    installed_ = g_systemWriter != nullptr;
}

FaultyProfileWriter::~FaultyProfileWriter() {
    if (!installed_) {
        return;
    }
#ifdef _WIN32
    PutWriter(plugin_, g_systemWriter);
#else
    win32posix::ReplaceProfileWriter(nullptr);
#endif
    g_systemWriter = nullptr;
}

}  // namespace hostsim
