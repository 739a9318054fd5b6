// The system's profile writer (WritePrivateProfileStringA) as the loaded
// plug-in calls it, made to lie or to damage the INI file, for tests of
// what the settings dialog does then. On Windows the plug-in's import of it
// is replaced; on Linux the layer's writer.
#pragma once

#include <windows.h>

namespace hostsim {

enum class WriterFault {
    StoresNothing,      // reports success and stores nothing
    MarksHighBytes,     // writes, then turns every byte from 0x80 up in the file into "?"
    GrowsThenDiskFull,  // the first write also appends a line of junk to the file; the
                        // second fails with ERROR_DISK_FULL, storing nothing
};

// While it lives, every write of the plug-in in `plugin` (the flush with
// all three names null excepted) goes through `fault`.
class FaultyProfileWriter {
  public:
    FaultyProfileWriter(HMODULE plugin, WriterFault fault);
    ~FaultyProfileWriter();
    FaultyProfileWriter(const FaultyProfileWriter&) = delete;
    FaultyProfileWriter& operator=(const FaultyProfileWriter&) = delete;

    // Whether the writer was put in place.
    bool Installed() const { return installed_; }

  private:
    HMODULE plugin_;
    bool installed_ = false;
};

}  // namespace hostsim
