#include "send/ini_bytes.h"

#include <new>

#include "telepost/ini_text.h"

namespace telepost {

namespace {

// What a read of a file's bytes came to.
enum class BytesRead { Whole, NotOpened, NotRead, TooLong };

BytesRead ReadBytes(const char* path, char* bytes, DWORD size, DWORD& length) {
    length = 0;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return BytesRead::NotOpened;
    }
    BytesRead result = BytesRead::TooLong;
    while (length < size) {
        DWORD read = 0;
        if (!ReadFile(file, bytes + length, size - length, &read, nullptr)) {
            result = BytesRead::NotRead;
            break;
        }
        if (read == 0) {
            result = BytesRead::Whole;
            break;
        }
        length += read;
    }
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return result == BytesRead::Whole && length >= size ? BytesRead::TooLong : result;
}

}  // namespace

bool ReadFileBytes(const char* path, char* bytes, DWORD size, DWORD& length) {
    return ReadBytes(path, bytes, size, length) == BytesRead::Whole;
}

IniFileRead ReadIniFile(const char* path, IniBytesRecord& ini, DWORD& error) {
    ini = IniBytesRecord{};
    error = ERROR_SUCCESS;
    if (!path[0]) {
        return IniFileRead::Absent;
    }
    ini.bytes.reset(new (std::nothrow) char[kIniTextSize]);
    if (!ini.bytes) {
        error = ERROR_NOT_ENOUGH_MEMORY;
        return IniFileRead::Unreadable;
    }
    const BytesRead read = ReadBytes(path, ini.bytes.get(), kIniTextSize, ini.length);
    if (read == BytesRead::Whole) {
        return IniFileRead::Read;
    }
    error = GetLastError();
    ini = IniBytesRecord{};
    if (read == BytesRead::TooLong) {
        error = ERROR_SUCCESS;
        return IniFileRead::TooLarge;
    }
    if (read == BytesRead::NotOpened) {
        const DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD missing = GetLastError();
            if (missing == ERROR_FILE_NOT_FOUND || missing == ERROR_PATH_NOT_FOUND) {
                error = ERROR_SUCCESS;
                return IniFileRead::Absent;
            }
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            error = ERROR_SUCCESS;
            return IniFileRead::Folder;
        }
    }
    return IniFileRead::Unreadable;
}

bool ReadIniBytes(const char* path, IniBytesRecord& ini) {
    DWORD error = ERROR_SUCCESS;
    return ReadIniFile(path, ini, error) == IniFileRead::Read;
}

}  // namespace telepost
