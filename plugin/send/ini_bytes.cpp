#include "send/ini_bytes.h"

#include <new>

#include "telepost/ini_text.h"

namespace telepost {

bool ReadFileBytes(const char* path, char* bytes, DWORD size, DWORD& length) {
    length = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ended = false;
    while (length < size) {
        DWORD read = 0;
        if (!ReadFile(file, bytes + length, size - length, &read, nullptr)) {
            break;
        }
        if (read == 0) {
            ended = true;
            break;
        }
        length += read;
    }
    CloseHandle(file);
    return ended && length < size;
}

bool ReadIniBytes(const char* path, IniBytesRecord& ini) {
    ini = IniBytesRecord{};
    if (!path[0]) {
        return false;
    }
    ini.bytes.reset(new (std::nothrow) char[kIniTextSize]);
    if (!ini.bytes || !ReadFileBytes(path, ini.bytes.get(), kIniTextSize, ini.length)) {
        ini = IniBytesRecord{};
        return false;
    }
    return true;
}

}  // namespace telepost
