#include "support/profile_writer.h"

#include "support/imports.h"

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
// Puts `writer` in the plug-in's slot for the system's writer; gives the
// one that was there, null when it cannot.
Writer PutWriter(HMODULE plugin, Writer writer) {
    return reinterpret_cast<Writer>(PutImport(plugin, "kernel32.dll", "WritePrivateProfileStringA",
                                              reinterpret_cast<void*>(writer)));
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
