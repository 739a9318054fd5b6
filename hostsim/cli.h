// The stand-in host's command-line verbs and what they share: the options,
// the plug-in to load and how a failure is told.
#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"
#include "plugin_copy.h"
#include "telepost/contract.h"
#include "user.h"

namespace hostsim {

constexpr int kExitOk = 0;
constexpr int kExitCancelled = 1;
constexpr int kExitFailure = 2;

using Args = std::vector<std::string>;

// Writes the usage of every verb and option, as --help prints it.
void PrintUsage(std::FILE* out);

// An option a verb takes: a flag ("--sjis"), or one with a value ("--mode N"),
// given as "--mode 3" or "--mode=3"; `value` says what the value must be.
struct Option {
    const char* name;
    const char* value = nullptr;  // null for a flag
};

// The command line of one verb once its options are taken out.
class CommandLine {
  public:
    bool Has(std::string_view option) const { return given_.count(std::string(option)) != 0; }
    // The option's value; null when it was not given.
    const std::string* Value(std::string_view option) const;
    const std::vector<std::string>& Operands() const { return operands_; }

    // Splits `args` by the options `options`; false, naming the argument at
    // fault, on an unknown option, an option given twice or without its value.
    bool Parse(const Args& args, std::span<const Option> options, std::string* error);

  private:
    std::map<std::string, std::string> given_;
    std::vector<std::string> operands_;
};

// One run of a verb: its command line, the plug-in it loads and the host
// that loads it.
class Session {
  public:
    Session(const char* name, CommandLine line);

    const CommandLine& Line() const { return line_; }
    // Writes "hostsim VERB: message" on one line to standard error; kExitFailure.
    int Fail(const std::string& message) const;

    // The plug-in --plugin names, or the one beside the program.
    const std::string& Plugin() const { return plugin_; }
    // Loads the plug-in and starts it (BKC_OnStart). With `values`, the
    // plug-in is a private copy whose INI file is the user's with the values
    // written over it, so that the user's own file is never written. False,
    // once the reason is told, when it does not load.
    bool Start(const std::vector<IniValue>& values = {});
    // Opens a compose window holding `message`. Null, once the reason is
    // told, when the system cannot create a window: then none of the
    // plug-in's boxes or dialogs could be shown either.
    HWND OpenCompose(const Message& message);
    // The INI file the plug-in started with: its own copy's or the user's.
    const std::string& Ini() const { return ini_; }
    // Why the plug-in could not read the user's INI file when it started,
    // and what it used instead ("does not exist; the plug-in used its
    // defaults"); empty when it could. Told also when the plug-in ran from a
    // private copy: the settings not given then were its defaults too.
    const std::string& IniNote() const { return iniNote_; }
    // The setting `key` as the plug-in started with it: 0 (off) when it
    // could not read its INI file, as given when it ran from a copy.
    int SettingUsed(const char* key) const;
    Host& TheHost() { return host_; }

  private:
    const char* name_;
    CommandLine line_;
    std::string plugin_;
    std::string ini_;
    std::string iniNote_;
    bool copied_ = false;  // the plug-in runs from copy_
    PluginCopy copy_;      // outlives the host, which unloads the copy first
    Host host_;
};

// A verb: its name, the options it takes (--plugin besides), its operands by
// name and its work, done once the command line is understood; and the
// option, if any, that gives its last operand's value in its place.
struct Verb {
    const char* name;
    std::span<const Option> options;
    std::span<const char* const> operands;
    int (*run)(Session& session);
    const char* lastOperandOption = nullptr;
};

// Runs `verb` on its arguments: the preamble every verb shares.
int RunVerb(const Verb& verb, const Args& args);

int RunInfo(const Args& args);
int RunSend(const Args& args);
int RunCommand(const Args& args);
int RunSetup(const Args& args);

// The whole command line, as the program is given it after its own name:
// --help, --version or a verb with its arguments; the exit status.
int RunHostsim(const Args& args);

// The options that give the plug-in's settings, and what each does when on,
// in the order of telepost::kSettingKeys, whose keys they set (settings.inc).
#define TELEPOST_SETTING(field, key, initial, box, option, help) option,
inline constexpr const char* kSettingOptions[] = {
#include "telepost/settings.inc"
};
#undef TELEPOST_SETTING
#define TELEPOST_SETTING(field, key, initial, box, option, help) help,
inline constexpr const char* kSettingHelp[] = {
#include "telepost/settings.inc"
};
#undef TELEPOST_SETTING

// The option that gives the domain list of the INI key `key` for one send:
// "--" and the key, its blanks as hyphens ("--j-domains" for "j domains").
std::string DomainOption(const char* key);

// Whether the INI file `ini` holds the key `key` of the plug-in's section,
// with a value or empty.
bool IniHolds(const std::string& ini, const char* key);

// The INI file's bytes, as many as the plug-in reads of them.
std::string IniText(const std::string& ini);

// What hostsim info shows for a key the INI file does not hold.
inline constexpr char kNotSet[] = "not set";

// The setting `key` as the plug-in reads it from the INI file `ini` as it
// stands: a file in UTF-8 from its bytes, any other through the profile
// functions; 0 when the file does not hold it.
int IniSetting(const std::string& ini, const char* key);

// Prints the line of a setting, as info and setup show it: its key, the
// value the plug-in reads and, when `set` is false, that it is not set.
void PrintSettingLine(const char* key, int value, bool set);

// Prints each domain list the INI file `ini` holds: its key as `printKey`
// prints it, the value, then each item the plug-in skips on a line of its own
// behind `indent`, with the reason. With `absent`, also each key the file
// does not hold, followed by `absent`.
void PrintDomainLists(const std::string& ini, void (*printKey)(const char* key), const char* indent,
                      const char* absent = nullptr);

// Who answers the plug-in's message boxes and acts in its dialogs.
enum class Answerer {
    Script,            // the scripted user, as the options say
    PersonAtWindow,    // a person, in the real window (Windows only, where one is drawn)
    PersonAtTerminal,  // a person, asked on the terminal by the scripted user
};
// Who answers when a person is asked for (`person`) or not.
Answerer WhoAnswers(bool person);

// "on"/"1" or "off"/"0"; nothing for anything else.
std::optional<bool> OnOff(const std::string& value);
// Writes what standard output holds. When it cannot (its reader has gone, as
// at the end of `| head`, where SIGPIPE is ignored and always on Windows),
// says so on standard error and ends the run with kExitFailure, leaving no
// private folder: nothing is asked of a person who cannot see the question.
void FlushOutput();
// A text of the plug-in's (code page 932) that may hold `path`, a path as the
// system gave it to the plug-in, as the terminal shows it: UTF-8 all
// through, also where the system's paths are UTF-8 already (Linux).
std::string ShownWithPath(const std::string& cp932, const std::string& path);
// Writes a code page 932 text to standard output as UTF-8.
void PrintText(const std::string& cp932);
// Asks a person at the terminal which of the box's buttons to press: Enter,
// an unknown answer or the end of input press its default button.
int AskOnTerminal(const MessageBoxSeen& box);
// The name of a message box's button, "Yes" for IDYES and so on.
const char* ButtonName(int id);
// Prints a UTF-8 text for the terminal, each line behind `indent`.
void PrintIndented(const std::string& utf8, const char* indent);

}  // namespace hostsim
