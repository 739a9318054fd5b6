// The system's file calls as the loaded plug-in makes them (ReadFile,
// WriteFile, FlushFileBuffers, MoveFileExA, CloseHandle), made to fail or to
// lie, and each call recorded, for tests of what a save does then. On
// Windows the plug-in's imports are replaced; on Linux the layer's calls.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace hostsim {

enum class FileCall { Read, Write, Flush, Move };

enum class FileLie {
    Fails,       // fails with the fault's error, doing nothing
    WritesHalf,  // Write: writes the first half, reports the whole written
    ShortWrite,  // Write: writes the first half and says so, as a system may
    ReadsPart,   // Read: gives the first kReadPart bytes of the file, then fails
                 // with the fault's error (a read error in the middle of the file)
};

// Bytes given by a read that lies, before it fails.
constexpr DWORD kReadPart = 16;

struct FileFault {
    FileCall call;
    FileLie lie = FileLie::Fails;
    DWORD error = ERROR_DISK_FULL;
    // The calls of its kind that go wrong, counted from 1: `first` and the
    // `count` - 1 after it. For ReadsPart the files read are counted.
    int first = 1;
    int count = 1 << 30;
};

// While it lives, the plug-in's calls go through `fault`, and each call is
// recorded by its name ("read", "write", "flush", "move", "close").
class FaultyFileCalls {
  public:
    FaultyFileCalls(HMODULE plugin, const FileFault& fault);
    ~FaultyFileCalls();
    FaultyFileCalls(const FaultyFileCalls&) = delete;
    FaultyFileCalls& operator=(const FaultyFileCalls&) = delete;

    // Whether the calls were put in place.
    bool Installed() const { return installed_; }
    // The calls so far, in order.
    const std::vector<std::string>& Calls() const;

  private:
    HMODULE plugin_;
    bool installed_ = false;
};

}  // namespace hostsim
