// A private copy of the plug-in for one run, with an INI file of its own:
// settings given for the run go there, so the user's INI file beside the
// plug-in is never written, whatever happens to the run and however many run
// at once.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "interruption.h"
#include "owner_lock.h"

namespace hostsim {

// The file in a private folder that its run holds a lock on while it lives.
inline constexpr char kOwnerLockName[] = "owner.lock";

// A value to give the plug-in's INI file for the run.
struct IniValue {
    const char* section;
    const char* key;
    std::string value;
};

class PluginCopy {
  public:
    PluginCopy() = default;
    // Removes the private folder; the plug-in must be unloaded by then.
    ~PluginCopy();
    PluginCopy(const PluginCopy&) = delete;
    PluginCopy& operator=(const PluginCopy&) = delete;

    // Copies `plugin` and the INI file beside it, if there is one, into a new
    // folder in the system's temporary folder and writes `values` into the
    // copy's INI file, each read back to be sure it holds. False, with the
    // reason, when any step fails. The folder is named after this process,
    // this run holds a lock in it while it lives, and an interruption of this
    // run removes it.
    bool Make(const std::string& plugin, const std::vector<IniValue>& values, std::string* error);

    // Removes the private folders in the system's temporary folder whose run
    // has gone (killed before it could remove its own): those whose lock no
    // run holds. A running run's folder stays, whether or not its process
    // can be seen from here (another PID namespace, another Wine server).
    static void SweepLeftovers();

    const std::string& Plugin() const { return plugin_; }
    const std::string& Ini() const { return ini_; }

  private:
    std::filesystem::path folder_;
    OwnerLock lock_;
    std::optional<RemovedOnInterruption> guard_;
    std::string plugin_;
    std::string ini_;
};

}  // namespace hostsim
