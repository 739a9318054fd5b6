#include "host.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>
#include <ostream>

#include "paths.h"
#include "system_message.h"

namespace hostsim {

namespace {

Host* CurrentHost = nullptr;

// The first identifier handed out for a registered command, in the range
// Windows leaves to applications' menu commands.
constexpr int kFirstCommandId = 40001;

// An empty body for a window the host does not know.
const std::string kNothing;

// The compose window's menu bar: each pop-up menu with one item of the host's.
struct HostMenu {
    const char* title;
    const char* item;
    UINT id;
};
constexpr HostMenu kComposeMenus[] = {
    {"\x83\x74\x83\x40\x83\x43\x83\x8B(&F)", "\x91\x97\x90\x4D(&S)", 101},  // ファイル, 送信
    {"\x95\xD2\x8F\x57(&E)", "\x8C\xB3\x82\xC9\x96\xDF\x82\xB7(&U)", 201},  // 編集, 元に戻す
    {"\x95\x5C\x8E\xA6(&V)", "\x95\xB6\x8E\x9A\x90\x94(&C)", 301},          // 表示, 文字数
    // ツール, オプション
    {"\x83\x63\x81\x5B\x83\x8B(&T)", "\x83\x49\x83\x76\x83\x56\x83\x87\x83\x93(&O)", 401},
    // ヘルプ, バージョン情報
    {"\x83\x77\x83\x8B\x83\x76(&H)", "\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x8F\xEE\x95\xF1(&A)",
     501},
};

// The host functions' names, in binding order.
#define HOSTSIM_FUNCTION_NAME(name, ...) #name,
constexpr const char* kHostFunctionNames[] = {
    TELEPOST_HOST_FUNCTIONS(HOSTSIM_FUNCTION_NAME, HOSTSIM_FUNCTION_NAME)};
#undef HOSTSIM_FUNCTION_NAME

// The first host function this program does not export; null when it
// exports them all.
const char* MissingHostFunction() {
    HMODULE program = GetModuleHandleA(nullptr);
    for (const char* name : kHostFunctionNames) {
        if (!GetProcAddress(program, name)) {
            return name;
        }
    }
    return nullptr;
}

HMENU NewComposeMenu() {
    HMENU bar = CreateMenu();
    for (const HostMenu& menu : kComposeMenus) {
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, menu.id, menu.item);
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), menu.title);
    }
    return bar;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const Call& call) {
    constexpr size_t kShown = 40;  // bytes of a text shown before it is shortened
    out << call.function << '(';
    if (!call.name.empty()) {
        out << call.name << ", ";
    }
    out << '"';
    for (size_t i = 0; i < call.text.size() && i < kShown; ++i) {
        const auto byte = static_cast<unsigned char>(call.text[i]);
        if (byte >= 0x20 && byte < 0x7F) {
            out << call.text[i];
        } else {
            static const char kDigits[] = "0123456789ABCDEF";
            out << "\\x" << kDigits[byte >> 4] << kDigits[byte & 0xF];
        }
    }
    out << (call.text.size() > kShown ? "\"... " + std::to_string(call.text.size()) + " bytes"
                                      : "\"")
        << ", " << call.number << ')';
    return out;
}

bool HeaderNameLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) <
               std::tolower(static_cast<unsigned char>(y));
    });
}

Host::Host() : nextCommandId_(kFirstCommandId) {
    CurrentHost = this;
}

Host::~Host() {
    Unload();
    while (!windows_.empty()) {
        CloseCompose(windows_.begin()->first);
    }
    if (CurrentHost == this) {
        CurrentHost = nullptr;
    }
}

Host& Host::Current() {
    return *CurrentHost;
}

bool Host::Load(const std::string& path, std::string* error) {
    Unload();
    module_ = LoadLibraryA(path.c_str());
    if (!module_) {
        if (error) {
            *error = "cannot load the plug-in " + ForTerminal(path) + ": " +
                     SystemMessage(GetLastError(), path);
            if (const char* missing = MissingHostFunction()) {
                *error += "; this host lacks " + std::string(missing) + ", which the plug-in binds";
            }
        }
        return false;
    }
#define TELEPOST_CALLBACK(ordinal, name, params)                                         \
    callbacks_.name = std::bit_cast<telepost::name##_t>(GetProcAddress(module_, #name)); \
    if (!callbacks_.name) {                                                              \
        if (error) {                                                                     \
            *error = "the plug-in " + ForTerminal(path) + " does not export " #name;     \
        }                                                                                \
        Unload();                                                                        \
        return false;                                                                    \
    }
#include "telepost/callbacks.inc"
#undef TELEPOST_CALLBACK
    return true;
}

void Host::Unload() {
    if (module_) {
        FreeLibrary(module_);
        module_ = nullptr;
    }
    callbacks_ = Callbacks{};
    commands_.clear();
}

HWND Host::OpenCompose(const Message& message) {
    HWND window = CreateWindowExA(0, "STATIC", "compose", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                  nullptr, nullptr, nullptr, nullptr);
    windows_[window] = Compose{message, {}, NewComposeMenu()};
    // As the host tells the plug-in of every compose window it opens.
    if (window && callbacks_.BKC_OnOpenCompose) {
        callbacks_.BKC_OnOpenCompose(window, 0);
    }
    return window;
}

void Host::CloseCompose(HWND window) {
    if (Compose* compose = Find(window)) {
        DestroyMenu(compose->menu);
    }
    windows_.erase(window);
    DestroyWindow(window);
}

HMENU Host::MenuBar(HWND window) const {
    const Compose* compose = Find(window);
    return compose ? compose->menu : nullptr;
}

void Host::BuildComposeMenu(HWND window) {
    callbacks_.BKC_OnMenuInit(window, MenuBar(window), telepost::kComposeMenuType);
}

bool Host::RunCommand(HWND window, int id) {
    for (const Command& command : commands_) {
        if (command.id == id) {
            command.handler(window, 0);
            return true;
        }
    }
    return false;
}

int Host::CommandPosition(HMENU menu, const std::string& description) const {
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        int id = static_cast<int>(GetMenuItemID(menu, position));
        for (const Command& command : commands_) {
            if (command.id == id && command.description == description) {
                return position;
            }
        }
    }
    return -1;
}

Host::Compose* Host::Find(HWND window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

const Host::Compose* Host::Find(HWND window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

const std::string& Host::Body(HWND window) const {
    const Compose* compose = Find(window);
    return compose ? compose->message.body : kNothing;
}

std::string Host::Header(HWND window, const std::string& name) const {
    const Compose* compose = Find(window);
    if (!compose) {
        return {};
    }
    auto it = compose->message.headers.find(name);
    return it == compose->message.headers.end() ? std::string() : it->second;
}

int Host::RegisterCommand(LPCSTR description, int windowKind, telepost::CommandHandler handler) {
    int id = nextCommandId_++;
    calls_.push_back(Call{"BKA_RegisterCommand", nullptr, {}, description, windowKind});
    commands_.push_back(Command{description, windowKind, handler, id});
    if (onRegister_) {
        onRegister_(commands_.back());
    }
    return id;
}

LPSTR Host::CompGetText(HWND window, LPSTR, int size) {
    calls_.push_back(Call{"BKA_CompGetText", window, {}, {}, size});
    if (lendNoText_) {
        return nullptr;
    }
    Compose* compose = Find(window);
    if (!compose) {
        static char empty[1];
        empty[0] = '\0';
        return empty;
    }
    // The host's own copy, exactly as long as the text: a write past its
    // terminator is a fault the sanitizers see.
    const std::string& body = compose->message.body;
    compose->text.assign(body.c_str(), body.c_str() + body.size() + 1);
    return compose->text.data();
}

int Host::CompSetText(HWND window, int flags, LPCSTR text) {
    std::string value = text ? text : "";
    calls_.push_back(Call{"BKA_CompSetText", window, {}, value, flags});
    if (Compose* compose = Find(window)) {
        compose->message.body = value;
    }
    return 0;
}

LPSTR Host::CompGetSpecifiedHeader(HWND window, LPCSTR name, LPSTR buffer, int size) {
    std::string header = name ? name : "";
    calls_.push_back(Call{"BKA_CompGetSpecifiedHeader", window, header, {}, size});
    if (!buffer || size <= 0) {
        return buffer;
    }
    const bool broken = headerFault_ != HeaderFault::None &&
                        !HeaderNameLess()(header, brokenHeader_) &&
                        !HeaderNameLess()(brokenHeader_, header);
    if (broken && headerFault_ == HeaderFault::Fails) {
        return nullptr;
    }
    std::string value = Header(window, header);
    const auto room = static_cast<size_t>(size);
    if (broken && value.size() >= room) {
        std::memcpy(buffer, value.data(), room);  // HeaderFault::Unterminated
        return buffer;
    }
    size_t n = std::min(value.size(), room - 1);
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return buffer;
}

int Host::CompSetSpecifiedHeader(HWND window, LPCSTR name, LPCSTR value) {
    std::string header = name ? name : "";
    std::string text = value ? value : "";
    calls_.push_back(Call{"BKA_CompSetSpecifiedHeader", window, header, text, 0});
    if (Compose* compose = Find(window)) {
        compose->message.headers[header] = text;
    }
    return 0;
}

// Paths are taken apart by the file system library: in code page 932 the
// second byte of a character may be a backslash.
std::string ProgramFolder() {
    char path[MAX_PATH * 4] = {};
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::filesystem::path folder = FsPath(path).parent_path();
    return folder.empty() ? std::string() : NarrowPath(folder / "");
}

std::string PluginBesideProgram() {
    return ProgramFolder() + "TELEPOST.dll";
}

std::string IniBeside(const std::string& plugin) {
    std::filesystem::path path = FsPath(plugin);
    const auto name = path.filename().native();
    path.replace_filename(name.substr(0, name.rfind('.')) + std::filesystem::path(".ini").native());
    return NarrowPath(path);
}

}  // namespace hostsim
