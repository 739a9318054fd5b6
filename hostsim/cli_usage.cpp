#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "cli.h"
#include "telepost/contract.h"

namespace hostsim {

namespace {

// The usage, in three parts around the domain options, which follow the
// plug-in's carriers.
const char kUsageHead[] =
    "usage: hostsim info [--plugin PATH]\n"
    "       hostsim send MESSAGE [--sjis] [--substitute] [--mode N] [--yes | --no]\n"
    "                    [--codes] [--plugin PATH]\n"
    "                    [--hankaku on|off] [--emoji on|off] [--delete-crlf on|off]\n";
// Then the domain options' synopsis.
const char kUsageMiddle[] =
    "       hostsim command hankaku|emoji|check|delete-blanks MESSAGE|--text TEXT\n"
    "                       [--sjis] [--substitute] [--person] [--plugin PATH]\n"
    "       hostsim setup [--hankaku on|off] [--emoji on|off] [--delete-crlf on|off]\n"
    "                     [--cancel] [--plugin PATH]\n"
    "       hostsim --help | --version\n"
    "\n"
    "--plugin PATH    the plug-in to load; without it, TELEPOST.dll beside hostsim.\n"
    "                 It keeps its settings in the INI file of its name beside it\n"
    "                 (TELEPOST.ini for TELEPOST.dll).\n"
    "\n"
    "info: loads the plug-in as the host does at start-up and shows what it tells\n"
    "the host and the settings its INI file holds.\n"
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
    "  --codes         show each emoji's i-mode code beside its picture\n"
    "  --hankaku, --emoji, --delete-crlf on|off\n"
    "                  the plug-in's settings for this send\n";
// Then the domain options, each told.
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

// How a domain option's list is written.
constexpr char kListText[] =
    "Each LIST: mail domains separated by blanks or commas, as typed in ASCII or with the input "
    "method (full-width space, \xEF\xBC\x8C, \xE3\x80\x81, \xE3\x80\x82); full-width "
    "letters, digits, \xEF\xBC\x8E and \xEF\xBC\x8D count as ASCII";

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
    std::fputs(DomainOptionsSynopsis().c_str(), out);
    std::fputs(kUsageMiddle, out);
    std::fputs(DomainOptionsText().c_str(), out);
    std::fputs(kUsageTail, out);
}

}  // namespace hostsim
