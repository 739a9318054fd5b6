// The plug-in's process-wide records, every one of them: the host's
// functions, the settings, the user's domain lists, the INI file's path, the
// library's own instance handle and the notice about the INI file. The DLL's
// callbacks (exports.cpp) keep the one ProcessState and hand each module the
// records it works on as parameters; no module reads them from anywhere else.
#pragma once

#include <windows.h>

#include <cstddef>

#include "send/host_api.h"
#include "send/settings_record.h"
#include "telepost/domain_list.h"

namespace telepost {

// Bytes of the notice about the INI file, terminator included: its longest
// form, with every line it names cut to its bound (ui/ini_notice.cpp).
inline constexpr std::size_t kIniNoticeSize = 16384;

// What the plug-in tells the user about the INI file once a start, found
// when it starts (ExamineIniFile, ui.h), and whether the user has been told
// it since.
struct IniNoticeRecord {
    char text[kIniNoticeSize] = {};  // empty when the file reads well
    bool told = false;
};

struct ProcessState {
    HostApiRecord hostApi;          // bound when the library is attached, read-only then
    SettingsRecord settings;        // read at start, changed by the settings dialog's OK
    UserDomainsRecord userDomains;  // read at start, and again by the settings dialog's OK
    char iniPath[MAX_PATH] = {};    // set when the library is attached; empty without one
    HINSTANCE moduleInstance = nullptr;
    IniNoticeRecord iniNotice;  // set at start, told once
};

}  // namespace telepost
