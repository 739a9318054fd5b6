#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "cli.h"
#include "telepost/contract.h"

namespace hostsim {

namespace {

// The usage, in parts around the settings' options, which follow the
// plug-in's settings, and the domain options, which follow its carriers.
const char kUsageHead[] =
    "usage: hostsim info [--plugin PATH]\n"
    "       hostsim send MESSAGE [--sjis] [--substitute] [--mode N] [--yes | --no]\n"
    "                    [--codes] [--plugin PATH]\n";
// Then the settings' and the domain options' synopsis.
const char kUsageCommand[] =
    "       hostsim command hankaku|emoji|check|delete-blanks MESSAGE|--text TEXT\n"
    "                       [--sjis] [--substitute] [--person] [--plugin PATH]\n";
// Then setup's synopsis.
const char kUsageMiddle[] =
    "       hostsim --help | --version\n"
    "\n"
    "--plugin PATH    the plug-in to load; without it, TELEPOST.dll beside hostsim.\n"
    "                 It keeps its settings in the INI file of its name beside it\n"
    "                 (TELEPOST.ini for TELEPOST.dll).\n"
    "\n"
    "info: loads the plug-in as the host does at start-up and shows what it tells\n"
    "the host and every key it reads from its INI file: its value, or \"not set\".\n"
    "\n"
    "send: sends MESSAGE (headers To, Cc, Bcc, Subject, From, a blank line, the\n"
    "body; UTF-8, or Shift-JIS with --sjis; lines end in LF or CR LF, handed over\n"
    "in CR LF as in a compose window) through the plug-in and shows what the\n"
    "phones get: each header it changed, each warning and the answer, the body it\n"
    "handed back, and whether the send goes on.\n"
    "  --substitute    a character that Shift-JIS (code page 932) cannot hold is\n"
    "                  sent as the conversion's stand-in, each one listed; without\n"
    "                  it, an error\n"
    "  --yes, --no     answer every length warning so; without them the terminal\n"
    "                  asks, or, when input is no terminal, No (the default button)\n"
    "                  is pressed\n"
    "  --mode N        the host's send mode, a whole number; not 0: the plug-in\n"
    "                  applies no carrier's rule, asks nothing and hands no text\n"
    "                  back: the message goes as written, whatever the settings\n"
    "  --codes         show each emoji's i-mode code beside its picture\n";
// Then the settings' options and the domain options, each told.
const char kUsageTail[] =
    "The settings and domains given are for this send only: the plug-in runs from a\n"
    "private copy whose INI file is the user's with them written over it, and the\n"
    "user's INI file is never written. Without them the plug-in reads the user's\n"
    "file as it stands (absent settings: off).\n"
    "exit status: 0 the send goes on, 1 cancelled, 2 a wrong argument, a message\n"
    "that cannot be read, a setting that cannot be given, or a plug-in that does\n"
    "not load\n"
    "\n"
    "command: opens a compose window holding MESSAGE, a file whose whole content is\n"
    "the message's text (no headers; read and checked as send reads its message),\n"
    "or - for standard input; --text TEXT gives the text itself instead. Chooses\n"
    "the plug-in's command from the window's menu and shows the text the command\n"
    "handed back and any message box it showed; the message box's default button\n"
    "is pressed, or with --person a person answers it (on Windows in the box\n"
    "itself, elsewhere on the terminal).\n"
    "\n"
    "setup: opens the plug-in's settings dialog. Given settings or --cancel, the\n"
    "user sets the boxes so and presses OK (or Cancel); without them, on Windows a\n"
    "person uses the dialog, elsewhere OK is pressed. Shows the boxes as the dialog\n"
    "opened and the INI file afterwards, which the dialog writes as in the mail\n"
    "client.\n"
    "\n"
    "--version prints hostsim's version, which is TELEPOST's.\n";

// The columns of a line of the usage, at most: a terminal's width.
constexpr size_t kTextWidth = 80;
constexpr char kSynopsisIndent[] = "                    ";
constexpr char kSetupSynopsis[] = "       hostsim setup";
constexpr char kOptionIndent[] = "  ";
constexpr char kTextIndent[] = "                  ";

// `words` joined by blanks into lines of at most `width` columns where they
// fit, each line behind `indent`.
std::string Wrapped(const std::vector<std::string>& words, const char* indent, size_t width) {
    std::string text;
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            text += line;
            text += '\n';
            line.clear();
        }
        if (line.empty()) {
            line = indent;
        } else {
            line += ' ';
        }
        line += word;
    }
    if (!line.empty()) {
        text += line;
        text += '\n';
    }
    return text;
}

// `words` behind `lead` on its first line, wrapped into lines of at most
// kTextWidth columns below the first word.
std::string Synopsis(const std::string& lead, const std::vector<std::string>& words) {
    std::string text = Wrapped(words, std::string(lead.size() + 1, ' ').c_str(), kTextWidth);
    return text.replace(0, lead.size(), lead);
}

// The blank-separated words of `text`; a quoted text is one word, blanks and
// all.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words(1);
    bool quoted = false;
    for (char c : text) {
        quoted = c == '"' ? !quoted : quoted;
        if (c == ' ' && !quoted) {
            if (!words.back().empty()) {
                words.emplace_back();
            }
            continue;
        }
        words.back() += c;
    }
    if (words.back().empty()) {
        words.pop_back();
    }
    return words;
}

// The items joined by ", ", the last by `last` instead.
std::string Listed(const std::vector<std::string>& items, const char* last) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            text += i + 1 == items.size() ? last : ", ";
        }
        text += items[i];
    }
    return text;
}

// The settings' options for `hostsim send`, or for `hostsim setup` only
// those whose setting has a check box, as the synopsis shows them.
std::vector<std::string> SettingOptionWords(bool boxesOnly) {
    std::vector<std::string> words;
    for (size_t i = 0; i < std::size(kSettingOptions); ++i) {
        if (!boxesOnly || telepost::kSettingBoxes[i] != telepost::kNoBox) {
            words.push_back(std::string("[") + kSettingOptions[i] + " on|off]");
        }
    }
    return words;
}

std::string SendSettingsSynopsis() {
    return Wrapped(SettingOptionWords(false), kSynopsisIndent, kTextWidth);
}

std::string SetupSynopsis() {
    std::vector<std::string> words = SettingOptionWords(true);
    words.push_back("[--cancel]");
    words.push_back("[--plugin PATH]");
    return Synopsis(kSetupSynopsis, words);
}

// Each setting's option, what it does when on and its INI key.
std::string SettingOptionsText() {
    std::string text;
    for (size_t i = 0; i < std::size(kSettingOptions); ++i) {
        std::string told = std::string("on: ") + kSettingHelp[i] + "; INI key \"" +
                           telepost::kSettingKeys[i] + '"';
        text += Wrapped({std::string(kSettingOptions[i]) + " on|off"}, kOptionIndent, kTextWidth);
        text += Wrapped(Words(told), kTextIndent, kTextWidth);
    }
    return text;
}

// How a domain option's list is written.
constexpr char kListText[] =
    "Each LIST: mail domains separated by blanks, commas or semicolons, as typed in ASCII or "
    "with the input method (full-width space, \xE3\x80\x81, \xEF\xBC\x8C, \xEF\xBC\x9B); "
    "full-width letters and digits count as ASCII, \xEF\xBC\x8E, \xE3\x80\x82 and "
    "\xEF\xBD\xA1 as \".\", \xEF\xBC\x8D, \xE3\x83\xBC and \xE2\x80\x90 as \"-\"; one @ "
    "or \xEF\xBC\xA0 before a domain is dropped";

// The domain options of `hostsim send`: their synopsis and what they give.
std::string DomainOptionsSynopsis() {
    std::vector<std::string> words;
    for (const char* key : telepost::kDomainListKeys) {
        std::string word = "[";
        word += DomainOption(key);
        word += " LIST]";
        words.push_back(word);
    }
    return Wrapped(words, kSynopsisIndent, kTextWidth);
}

std::string DomainOptionsText() {
    std::vector<std::string> options;
    std::vector<std::string> carriers;
    std::vector<std::string> keys;
    for (size_t i = 0; i < std::size(telepost::kDomainKeys); ++i) {
        options.push_back(DomainOption(telepost::kDomainKeys[i]));
        carriers.push_back(telepost::kCarrierNames[i]);
        std::string key = "\"";
        key += telepost::kDomainKeys[i];
        key += '"';
        keys.push_back(key);
    }
    std::string synopsis = Listed(options, ", ");
    synopsis += " LIST";
    std::string text = "mail domains added to the rule of ";
    text += Listed(carriers, " or ");
    text += " for this send (INI keys ";
    text += Listed(keys, ", ");
    text += ')';
    std::string exempt = DomainOption(telepost::kExemptDomainsKey);
    exempt += " LIST";
    std::string exemptText =
        "mail domains whose recipients get no rule for this send, tested "
        "before every carrier's (INI key \"";
    exemptText += telepost::kExemptDomainsKey;
    exemptText += "\")";
    return Wrapped(Words(synopsis), kOptionIndent, kTextWidth) +
           Wrapped(Words(text), kTextIndent, kTextWidth) +
           Wrapped(Words(exempt), kOptionIndent, kTextWidth) +
           Wrapped(Words(exemptText), kTextIndent, kTextWidth) +
           Wrapped(Words(kListText), kTextIndent, kTextWidth);
}

}  // namespace

void PrintUsage(std::FILE* out) {
    std::fputs(kUsageHead, out);
    std::fputs(SendSettingsSynopsis().c_str(), out);
    std::fputs(DomainOptionsSynopsis().c_str(), out);
    std::fputs(kUsageCommand, out);
    std::fputs(SetupSynopsis().c_str(), out);
    std::fputs(kUsageMiddle, out);
    std::fputs(SettingOptionsText().c_str(), out);
    std::fputs(DomainOptionsText().c_str(), out);
    std::fputs(kUsageTail, out);
}

}  // namespace hostsim
