// A long session of the real plug-in in the stand-in host, in one process:
// 100,000 sends across the carriers with every setting on, then 10,000
// compose menus built and 1,000 commands chosen; before the compose menus,
// 10,000 windows whose menus the plug-in leaves alone show what the host's
// windows and menus cost on their own. The resident memory is
// printed every 10,000 operations, beside the commands the host has
// registered and the heap its table of them takes: the host keeps every
// registration (four for each menu it builds), so that table grows with the
// menus whatever the plug-in does.
//
// The program writes the three settings, all on, to the INI file beside the
// plug-in and puts back what was there before it ends.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host.h"
#include "resident_memory.h"
#include "telepost/contract.h"
#include "user.h"

namespace {

using hostsim::Host;
using hostsim::Message;

constexpr int kSends = 100000;
constexpr int kMenus = 10000;
constexpr int kCommandRuns = 1000;
constexpr int kReportEvery = 10000;
constexpr int kCommandsPerMenu = 4;
constexpr int kOtherMenuType = 0;   // a menu type that is not the compose window's
constexpr int kWarningEvery = 100;  // one send in this many is long enough to warn

// ＡＢＣ 123 :) / ●!!! あい, with blanks and line breaks: something for every
// conversion and for the blank deletion.
const std::string kText = "\x82\x60\x82\x61\x82\x62 123 :)\r\n\x81\x9C!!! \x82\xA0\x82\xA2\r\n";
const std::string kSubject = "\x82\x60\x82\x61 :)";  // ＡＢ :)
const std::string kFrom = "Ichiro Suzuki <ichiro.suzuki@example.com>";

struct Shape {
    const char* what;
    const char* to;
    const char* cc;
    const char* bcc;
    std::string body;
};

// The sends, taken in turn; the last one only once in kWarningEvery sends.
const std::vector<Shape>& Shapes() {
    static const std::vector<Shape> shapes = {
        {"DoCoMo only", "taro@docomo.ne.jp", "", "", kText},
        {"group J with another", "jiro@jp-t.ne.jp", "hanako@example.com", "", kText},
        {"group D in Bcc", "", "", "saburo@kct.dion.ne.jp", kText},
        {"DoCoMo with another", "taro@docomo.ne.jp", "hanako@example.com", "", kText},
        {"no carrier", "hanako@example.com", "jiro@example.org", "", kText},
        {"DoCoMo, too long", "taro@docomo.ne.jp", "", "", std::string(600, 'a') + kText},
    };
    return shapes;
}

// The settings file beside the plug-in, all three settings on for the run,
// as it was again afterwards.
class SettingsOn {
  public:
    SettingsOn() : path_(hostsim::IniBeside(hostsim::PluginBesideProgram())) {
        if (std::ifstream in{path_, std::ios::binary}) {
            std::ostringstream text;
            text << in.rdbuf();
            saved_ = text.str();
        }
        for (const char* setting : telepost::kSettingKeys) {
            WritePrivateProfileStringA(telepost::kSettingsSection, setting, "1", path_.c_str());
        }
    }
    ~SettingsOn() {
        if (saved_) {
            std::ofstream(path_, std::ios::binary | std::ios::trunc) << *saved_;
        } else {
            std::remove(path_.c_str());
        }
    }
    SettingsOn(const SettingsOn&) = delete;
    SettingsOn& operator=(const SettingsOn&) = delete;

  private:
    std::string path_;
    std::optional<std::string> saved_;
};

class Session {
  public:
    explicit Session(Host& host) : host_(host) {}

    void Report(const char* phase) {
        std::printf("%10d  %-8s  %12ld  %13zu  %13zu\n", operations_, phase, soak::ResidentKiB(),
                    host_.Commands().size(), HostTableKiB());
        std::fflush(stdout);
    }

    // Counts one operation, reporting every kReportEvery of them, and lets
    // the host and the user forget what they recorded of it.
    void Done(const char* phase, hostsim::User& user) {
        host_.ClearCalls();
        user.Forget();
        if (++operations_ % kReportEvery == 0) {
            Report(phase);
        }
    }
    int Operations() const { return operations_; }

  private:
    // What the host's command table holds on the heap: its array and the
    // descriptions too long to sit inside their strings.
    size_t HostTableKiB() const {
        const std::vector<hostsim::Command>& commands = host_.Commands();
        size_t bytes = commands.capacity() * sizeof(hostsim::Command);
        for (const hostsim::Command& command : commands) {
            if (command.description.capacity() > std::string().capacity()) {
                bytes += command.description.capacity() + 1;
            }
        }
        return bytes / 1024;
    }

    Host& host_;
    int operations_ = 0;
};

}  // namespace

int main() {
    SettingsOn settings;
    Host host;
    std::string error;
    if (!host.Load(hostsim::PluginBesideProgram(), &error)) {
        std::fprintf(stderr, "soak: %s\n", error.c_str());
        return 2;
    }
    const hostsim::Callbacks& plugin = host.Plugin();
    plugin.BKC_OnStart();

    hostsim::User user;
    int warnings = 0;
    int notices = 0;
    user.OnMessageBox([&](const hostsim::MessageBoxSeen& box) {
        if ((box.style & MB_TYPEMASK) == MB_OK) {
            ++notices;
            return IDOK;
        }
        return ++warnings % 2 ? IDYES : IDNO;  // Yes and No in turn
    });

    Session session(host);
    std::printf("operations  phase     resident KiB  host commands  host table KiB\n");
    session.Report("start");

    const std::vector<Shape>& shapes = Shapes();
    std::vector<HWND> windows;
    for (const Shape& shape : shapes) {
        windows.push_back(host.OpenCompose(
            Message{{{"To", shape.to}, {"Cc", shape.cc}, {"Bcc", shape.bcc}}, shape.body}));
    }
    int refused = 0;
    for (int i = 0; i < kSends; ++i) {
        size_t which = i % kWarningEvery == kWarningEvery - 1
                           ? shapes.size() - 1
                           : static_cast<size_t>(i) % (shapes.size() - 1);
        HWND window = windows[which];
        host.CompSetText(window, 0, shapes[which].body.c_str());
        host.CompSetSpecifiedHeader(window, "Subject", kSubject.c_str());
        host.CompSetSpecifiedHeader(window, "From", kFrom.c_str());
        int result = plugin.BKC_OnOutgoing(window, 0);
        if (result != 0 && result != -1) {
            std::fprintf(stderr, "soak: send %d gave %d\n", i, result);
            return 1;
        }
        refused += result == -1;
        session.Done("sends", user);
    }
    for (HWND window : windows) {
        host.CloseCompose(window);
    }

    // The host's own part of a menu's life first: a window and its menu bar
    // made and destroyed around a menu type the plug-in leaves alone.
    for (int i = 0; i < kMenus; ++i) {
        HWND window = host.OpenCompose(Message{});
        plugin.BKC_OnMenuInit(window, host.MenuBar(window), kOtherMenuType);
        host.CloseCompose(window);
        session.Done("other", user);
    }
    for (int i = 0; i < kMenus; ++i) {
        HWND window = host.OpenCompose(Message{});
        host.BuildComposeMenu(window);
        host.CloseCompose(window);
        session.Done("menus", user);
    }

    HWND window = host.OpenCompose(Message{});
    for (int i = 0; i < kCommandRuns; ++i) {
        host.CompSetText(window, 0, kText.c_str());
        int id = host.Commands()[static_cast<size_t>(i % kCommandsPerMenu)].id;
        host.RunCommand(window, id);
        session.Done("commands", user);
    }
    host.CloseCompose(window);
    session.Report("end");

    plugin.BKC_OnExit();
    std::printf(
        "%d sends (%d length warnings, %d refused), %d other menus, %d compose menus, "
        "%d commands (%d notices)\n",
        kSends, warnings, refused, kMenus, kMenus, kCommandRuns, notices);
    if (refused * 2 != warnings) {
        std::fprintf(stderr, "soak: %d sends refused for %d warnings answered No\n", refused,
                     warnings - warnings / 2);
        return 1;
    }
    return 0;
}
