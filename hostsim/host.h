// The stand-in host: it takes the host mail client's place. It exports the 54
// host functions from its executable, keeps compose windows (a body and named
// headers each, code page 932 bytes), loads the plug-in, records every call
// the plug-in makes of the five functions it uses, and plays the user.
#pragma once

#include <windows.h>

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "telepost/contract.h"

namespace hostsim {

// One call of a host function the plug-in uses, with its arguments.
struct Call {
    std::string function;  // "BKA_CompGetText", ...
    HWND window = nullptr;
    std::string name;  // the header name, for the header functions
    std::string text;  // the description, text or value passed in
    int number = 0;    // the buffer size, window kind or flags passed in

    bool operator==(const Call&) const = default;
};
// The call as a line a person can read, long texts shortened: for test reports.
std::ostream& operator<<(std::ostream& out, const Call& call);

// Compares header names as the host does, without regard to ASCII case.
struct HeaderNameLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using Headers = std::map<std::string, std::string, HeaderNameLess>;

// A message as a compose window holds it: headers and body, code page 932.
struct Message {
    Headers headers;
    std::string body;
};

// A command the plug-in registered with BKA_RegisterCommand.
struct Command {
    std::string description;
    int windowKind = 0;
    telepost::CommandHandler handler = nullptr;
    int id = 0;
};

// The plug-in's exported callbacks, as found by name.
struct Callbacks {
#define TELEPOST_CALLBACK(ordinal, name, params) telepost::name##_t name = nullptr;
#include "telepost/callbacks.inc"
#undef TELEPOST_CALLBACK
};

class Host {
  public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The one host of the process, the one the exported host functions serve.
    static Host& Current();

    // Loads the plug-in library and finds its 15 callbacks. False, with the
    // reason in `error`, when the library does not load or lacks a callback.
    bool Load(const std::string& path, std::string* error = nullptr);
    void Unload();
    HMODULE Module() const { return module_; }
    const Callbacks& Plugin() const { return callbacks_; }

    // Compose windows: real windows, owners of the plug-in's message boxes,
    // each with a menu bar of five pop-up menus (File, Edit, View, Tools,
    // Help) for the plug-in to extend when its menu is built. A loaded
    // plug-in is told of each one opened (BKC_OnOpenCompose).
    HWND OpenCompose(const Message& message);
    void CloseCompose(HWND window);
    const std::string& Body(HWND window) const;
    // The header's value; empty when the window has no such header.
    std::string Header(HWND window, const std::string& name) const;
    // The window's menu bar; null for a window the host does not know.
    HMENU MenuBar(HWND window) const;
    // Builds the window's menu as the host does: the plug-in's menu callback
    // with the menu bar and the compose-window menu type.
    void BuildComposeMenu(HWND window);
    // Runs the registered command `id` on the window as the host does when
    // its menu item is chosen; false when no command has that identifier.
    bool RunCommand(HWND window, int id);

    // What the plug-in asked of the host, in order.
    const std::vector<Call>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    const std::vector<Command>& Commands() const { return commands_; }
    // The position in `menu` of the item bound to a command the plug-in
    // registered as `description`, wherever it stands; -1 when there is none.
    int CommandPosition(HMENU menu, const std::string& description) const;
    // Called at each registration, once the host has recorded it: lets a
    // test see what the plug-in had done by then.
    void OnRegister(std::function<void(const Command&)> watch) { onRegister_ = std::move(watch); }
    // A host that lends no message text: BKA_CompGetText gives null.
    void LendNoText(bool none) { lendNoText_ = none; }
    // How a faulty host answers BKA_CompGetSpecifiedHeader for one header.
    enum class HeaderFault {
        None,
        Fails,         // gives null and writes nothing
        Unterminated,  // fills the buffer with as much as fits, with no terminator
    };
    // Makes reads of the header `name` (any case) faulty, until changed.
    void BreakHeaderReads(const std::string& name, HeaderFault fault) {
        brokenHeader_ = name;
        headerFault_ = fault;
    }

    // The host functions' work, called by the exported BKA_ functions.
    int RegisterCommand(LPCSTR description, int windowKind, telepost::CommandHandler handler);
    LPSTR CompGetText(HWND window, LPSTR buffer, int size);
    int CompSetText(HWND window, int flags, LPCSTR text);
    LPSTR CompGetSpecifiedHeader(HWND window, LPCSTR name, LPSTR buffer, int size);
    int CompSetSpecifiedHeader(HWND window, LPCSTR name, LPCSTR value);

  private:
    struct Compose {
        Message message;
        std::vector<char> text;  // the body as handed out by CompGetText
        HMENU menu = nullptr;
    };
    Compose* Find(HWND window);
    const Compose* Find(HWND window) const;

    HMODULE module_ = nullptr;
    Callbacks callbacks_;
    std::map<HWND, Compose> windows_;
    std::vector<Call> calls_;
    std::vector<Command> commands_;
    int nextCommandId_ = 0;
    std::function<void(const Command&)> onRegister_;
    bool lendNoText_ = false;
    std::string brokenHeader_;
    HeaderFault headerFault_ = HeaderFault::None;
};

// The folder of the running program, with its final separator.
std::string ProgramFolder();
// TELEPOST.dll beside the running program.
std::string PluginBesideProgram();
// The INI file the plug-in keeps beside itself: its name with ".ini".
std::string IniBeside(const std::string& plugin);

}  // namespace hostsim
