// hostsim info: loads the plug-in as the host does at start-up and shows the
// information record it fills and the settings its INI file holds.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cli.h"
#include "host.h"
#include "host/plugin_info.h"
#include "host/settings.h"

namespace hostsim {

namespace {

constexpr const char* kFieldLabels[telepost::kInfoFieldCount] = {"name", "vendor", "version",
                                                                 "description"};

}  // namespace

int RunInfo(const Args& given) {
    Args args = given;
    std::string plugin = PluginBesideProgram();
    TakeOption(args, "--plugin", &plugin);
    if (!args.empty()) {
        std::fprintf(stderr, "hostsim info: unexpected argument '%s'\n", args.front().c_str());
        return kExitFailure;
    }
    Host host;
    std::string error;
    if (!host.Load(plugin, &error)) {
        std::fprintf(stderr, "hostsim: %s\n", error.c_str());
        return kExitFailure;
    }
    host.Plugin().BKC_OnStart();
    char record[telepost::kInfoFieldSize * telepost::kInfoFieldCount] = {};
    host.Plugin().BKC_OnPlugInInfo(record);
    for (int i = 0; i < telepost::kInfoFieldCount; ++i) {
        const char* field = record + i * telepost::kInfoFieldSize;
        std::printf("%-12s ", kFieldLabels[i]);
        PrintText(std::string(field, strnlen(field, telepost::kInfoFieldSize)));
        std::printf("\n");
    }
    std::string ini = IniBeside(plugin);
    std::printf("settings     %s\n", ini.c_str());
    for (const telepost::SettingKey& setting : telepost::kSettingKeys) {
        std::printf("  %-20s %d\n", setting.key,
                    static_cast<int>(GetPrivateProfileIntA(telepost::kSettingsSection, setting.key,
                                                           0, ini.c_str())));
    }
    return kExitOk;
}

}  // namespace hostsim
