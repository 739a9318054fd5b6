// hostsim info: loads the plug-in as the host does at start-up and shows the
// information record it fills and every key it reads from its INI file: the
// settings, then the domain lists, each with its value or "not set"; then
// opens a compose window to show what the plug-in tells the user then.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cli.h"
#include "host.h"
#include "paths.h"
#include "telepost/contract.h"

namespace hostsim {

namespace {

constexpr const char* kFieldLabels[telepost::kInfoFieldCount] = {"name", "vendor", "version",
                                                                 "description"};

int InfoVerb(Session& session) {
    if (!session.Start()) {
        return kExitFailure;
    }
    char record[telepost::kInfoFieldSize * telepost::kInfoFieldCount] = {};
    session.TheHost().Plugin().BKC_OnPlugInInfo(record);
    for (int i = 0; i < telepost::kInfoFieldCount; ++i) {
        const char* field = record + i * telepost::kInfoFieldSize;
        std::printf("%-12s ", kFieldLabels[i]);
        PrintText(std::string(field, strnlen(field, telepost::kInfoFieldSize)));
        std::printf("\n");
    }
    std::printf("settings     %s", ForTerminal(session.Ini()).c_str());
    if (!session.IniNote().empty()) {
        std::printf(" (%s)", session.IniNote().c_str());
    }
    std::printf("\n");
    for (const char* setting : telepost::kSettingKeys) {
        // A key the plug-in does not find reads 0.
        const bool set = session.IniNote().empty() && IniHolds(session.Ini(), setting);
        PrintSettingLine(setting, session.SettingUsed(setting), set);
    }
    PrintDomainLists(
        session.Ini(), [](const char* key) { std::printf("  %-20s ", key); },
        "                       ", kNotSet);
    // What the plug-in tells the user when the first compose window opens.
    std::fflush(stdout);
    HWND window = session.OpenCompose(Message{});
    if (!window) {
        return kExitFailure;
    }
    session.TheHost().CloseCompose(window);
    return kExitOk;
}

}  // namespace

int RunInfo(const Args& args) {
    return RunVerb(Verb{"info", {}, {}, InfoVerb}, args);
}

}  // namespace hostsim
