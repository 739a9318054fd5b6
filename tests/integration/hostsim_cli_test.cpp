// hostsim on the command line, as a person runs it: help and version, an error
// that names the argument at fault, a message file read without a silent
// change, and settings given for one send that never touch the user's INI file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "cli.h"
#include "codec.h"
#include "host.h"
#include "support/plugin_under_test.h"
#include "interruption.h"
#include "message_file.h"
#include "paths.h"
#include "telepost/contract.h"
#include "read_only_files.h"
#include "temp_folder.h"

#ifdef _WIN32
#include <io.h>
#else
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace hostsim {
namespace {

namespace fs = std::filesystem;

// What a run printed, and its exit status.
struct Outcome {
    int status = 0;
    std::string out;
    std::string err;
};

// Points the system's temporary folder somewhere else while it lives.
class TemporaryFolderAt {
  public:
    explicit TemporaryFolderAt(const std::string& folder) {
        for (const char* name : kNames) {
            const char* old = std::getenv(name);
            saved_.push_back(old ? old : "");
            Set(name, folder);
        }
    }
    ~TemporaryFolderAt() {
        for (size_t i = 0; i < std::size(kNames); ++i) {
            Set(kNames[i], saved_[i]);
        }
    }

  private:
#ifdef _WIN32
    static constexpr const char* kNames[] = {"TMP", "TEMP"};
    static void Set(const char* name, const std::string& value) {
        _putenv_s(name, value.c_str());
    }
#else
    static constexpr const char* kNames[] = {"TMPDIR"};
    static void Set(const char* name, const std::string& value) {
        if (value.empty()) {
            unsetenv(name);
        } else {
            setenv(name, value.c_str(), 1);
        }
    }
#endif
    std::vector<std::string> saved_;
};

// Runs hostsim on `args`, with the system's temporary folder at `temporary`
// if given (once the output is being captured, which needs the real one). A
// verb that loads the plug-in loads the run's copy, unless told another.
Outcome Capture(Args args, const std::string& temporary = {}) {
    for (const char* verb : {"info", "send", "setup", "command"}) {
        if (!args.empty() && args.front() == verb) {
            args = WithPluginUnderTest(args, 1);
        }
    }
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Outcome outcome;
    {
        std::optional<TemporaryFolderAt> at;
        if (!temporary.empty()) {
            at.emplace(temporary);
        }
        outcome.status = RunHostsim(args);
    }
    outcome.out = testing::internal::GetCapturedStdout();
    outcome.err = testing::internal::GetCapturedStderr();
    return outcome;
}

bool Holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// An error is one line on standard error and nothing on standard output.
void ExpectOneLineError(const Outcome& outcome, const std::string& part) {
    EXPECT_EQ(outcome.status, kExitFailure);
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(Holds(outcome.err, part)) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A path or an argument as the system's narrow functions take it: UTF-8
// here, code page 932 on Windows.
std::string Narrow(const std::string& utf8) {
#ifdef _WIN32
    std::string text;
    Utf8ToCp932(utf8, &text);
    return text;
#else
    return utf8;
#endif
}

class HostsimCliTest : public testing::Test {
  protected:
    void SetUp() override { std::remove(ini_.c_str()); }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(ini_, ignored);  // a file or a folder
    }

    // A message file holding `text`, its path.
    std::string Message(const std::string& text) {
        std::ofstream(file_, std::ios::binary) << text;
        return file_;
    }

    const telepost_tests::TempFolder temporaryFolder_{"cli"};
    const std::string folder_ = temporaryFolder_.Path();
    std::string file_ = folder_ + "message.txt";
    std::string ini_ = IniUnderTest();
};

TEST_F(HostsimCliTest, HelpAndVersionGoToStandardOutput) {
    for (Args args :
         {Args{"--help"}, Args{"-h"}, Args{"help"}, Args{"send", "--help"}, Args{"setup", "-h"}}) {
        Outcome outcome = Capture(args);
        EXPECT_EQ(outcome.status, kExitOk) << args.front();
        EXPECT_EQ(outcome.out.rfind("usage: hostsim", 0), 0u) << outcome.out;
        EXPECT_EQ(outcome.err, "");
    }
    Outcome version = Capture({"--version"});
    EXPECT_EQ(version.status, kExitOk);
    std::string number = version.out.substr(0, version.out.size() - 1);
    ASSERT_EQ(version.out.rfind("hostsim ", 0), 0u) << version.out;
    EXPECT_EQ(version.out.back(), '\n');
    EXPECT_EQ(std::count(number.begin(), number.end(), '.'), 2) << number;
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(number[sizeof "hostsim"]))) << number;

    Outcome nothing = Capture({});
    EXPECT_EQ(nothing.status, kExitFailure);
    EXPECT_EQ(nothing.err.rfind("usage: hostsim", 0), 0u);

    // Every setting's option is in the usage and told with its INI key.
    const std::string help = Capture({"--help"}).out;
    for (size_t i = 0; i < telepost::kSettingCount; ++i) {
        const std::string option = kSettingOptions[i];
        EXPECT_TRUE(Holds(help, "[" + option + " on|off]")) << option;
        EXPECT_TRUE(Holds(help, "\n  " + option + " on|off\n")) << option;
        EXPECT_TRUE(Holds(help, std::string("\"") + telepost::kSettingKeys[i] + '"')) << option;
    }
}

// The columns a line takes on a terminal: two for each wide character (the
// full-width forms, kana, kanji and the CJK marks), one for any other.
size_t Columns(const std::string& utf8) {
    size_t columns = 0;
    for (size_t i = 0; i < utf8.size();) {
        auto lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (size_t k = 1; k < length && i + k < utf8.size(); ++k) {
            code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        }
        const bool wide =
            (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
            (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
            (code >= 0xFF00 && code <= 0xFF60) || (code >= 0xFFE0 && code <= 0xFFE6) ||
            code >= 0x1F300;
        columns += wide ? 2 : 1;
        i += length;
    }
    return columns;
}

// Every line of the usage, as --help prints it and as a run without a verb
// does, fits a terminal of 80 columns.
TEST_F(HostsimCliTest, EveryLineOfTheUsageFitsEightyColumns) {
    EXPECT_EQ(Columns("ab\xEF\xBC\x8C\xE3\x80\x81"), 6u);  // ab，、
    for (const std::string& usage : {Capture({"--help"}).out, Capture({}).err}) {
        EXPECT_EQ(usage.rfind("usage: hostsim", 0), 0u) << usage;
        std::istringstream lines(usage);
        std::string line;
        while (std::getline(lines, line)) {
            EXPECT_LE(Columns(line), 80u) << line;
        }
    }
}

TEST_F(HostsimCliTest, EachWrongArgumentIsNamedOnOneLine) {
    const std::string file = Message("To: taro@docomo.ne.jp\n\nHi\n");
    struct Case {
        Args args;
        std::string error;
    };
    const Case cases[] = {
        {{"send", file, "--hankaku"}, "hostsim send: --hankaku needs on or off"},
        {{"send", file, "--hankaku", "maybe"}, "--hankaku needs on or off, not 'maybe'"},
        {{"send", file, "--emoji", "--yes"}, "--emoji needs on or off"},
        {{"send", file, "--mode", "4294967296"}, "--mode needs a whole number"},
        {{"send", file, "--mode", "-2147483649"}, "not '-2147483649'"},
        {{"send", file, "--mode", "3x"}, "--mode needs a whole number"},
        {{"send", file, "--mode="}, "--mode needs a whole number"},
        {{"send", file, "--yes", "--no"}, "--yes and --no exclude each other"},
        {{"send", file, "--bogus"}, "unknown option '--bogus'"},
        {{"send", file, "--codes=yes"}, "--codes takes no value"},
        {{"send", file, "--sjis", "--sjis"}, "--sjis is given twice"},
        {{"send", file, "--d-domains", "a.jp\nb.jp"}, "--d-domains needs its list on one line"},
        {{"send"}, "hostsim send: MESSAGE"},
        {{"send", file, "extra"}, "unexpected argument 'extra'"},
        {{"setup", "--emoji", "maybe"}, "hostsim setup: --emoji needs on or off, not 'maybe'"},
        {{"command", "hankaku"}, "hostsim command: MESSAGE"},
        {{"command", "nope", "x"}, "unknown command 'nope'"},
        {{"command", "hankaku", file, "--text", "x"},
         "hostsim command: --text and MESSAGE '" + file + "' exclude each other"},
        {{"command", "hankaku", "--text"}, "--text needs the message's text"},
        {{"info", "x"}, "hostsim info: unexpected argument 'x'"},
        {{"frobnicate"}, "hostsim: unknown command 'frobnicate'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        ExpectOneLineError(Capture(c.args), c.error);
    }
#ifndef _WIN32
    // Arguments arrive as UTF-8 here (as code page 932 on Windows, which holds
    // every character it can give).
    ExpectOneLineError(
        Capture({"command", "hankaku", "--text", "a\n\xF0\x9F\x98\x80"}),
        "hostsim command: the message's line 2: \xF0\x9F\x98\x80 (U+1F600) not in code page 932");
    Outcome substituted =
        Capture({"command", "hankaku", "--text", "\xF0\x9F\x98\x80", "--substitute"});
    EXPECT_EQ(substituted.status, kExitOk);
    EXPECT_TRUE(Holds(substituted.err, "warning: line 1: \xF0\x9F\x98\x80 (U+1F600) becomes ?"))
        << substituted.err;
#endif
    // The whole range of the host's send mode is a mode.
    for (const char* mode : {"--mode=-2147483648", "--mode=2147483647"}) {
        EXPECT_EQ(Capture({"send", file, mode}).status, kExitOk) << mode;
    }
}

TEST_F(HostsimCliTest, AMessageThatCannotBeReadAsWrittenIsAnErrorNamingTheLine) {
    struct Case {
        const char* what;
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"CR-only line ends", "To: taro@docomo.ne.jp\rSubject: Hi\r\rHello\r",
         "line 1 ends in CR without LF"},
        {"a lone CR in the body", "To: taro@docomo.ne.jp\r\n\r\nHi\r\nthere\rnow\r\n",
         "line 4 ends in CR without LF"},
        {"a NUL byte", std::string("To: taro@docomo.ne.jp\nSubject: a\0b\n\nHi\n", 39),
         "line 2 holds a NUL byte"},
        {"bytes that are not UTF-8", "To: taro@docomo.ne.jp\n\nHi\n\xFF\xFE\n",
         "line 4 is not UTF-8"},
        {"an emoji code page 932 lacks", "To: taro@docomo.ne.jp\nSubject: \xF0\x9F\x98\x80\n\nHi\n",
         "line 2: \xF0\x9F\x98\x80 (U+1F600) not in code page 932"},
        {"Hangul in the body", "To: taro@docomo.ne.jp\n\nHi\n\xED\x95\x9C \xED\x95\x9C\n",
         "line 4: \xED\x95\x9C (U+D55C) and 1 more not in code page 932"},
        {"a header given twice", "To: a@docomo.ne.jp\nTo: b@docomo.ne.jp\n\nHi\n",
         "line 2 gives To again, after line 1"},
        {"no header", "To taro@docomo.ne.jp\n\nHi\n", "line 1 is no header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectOneLineError(Capture({"send", Message(c.text)}),
                           "hostsim send: " + file_ + ": " + c.error);
    }
    ExpectOneLineError(Capture({"send", folder_}), "is a folder, not a message file");
    ExpectOneLineError(Capture({"send", folder_ + "absent.txt"}), "absent.txt: cannot be read");
}

// Standard input read from the file `path` while it lives, as a shell's "<"
// gives it.
class StandardInputFrom {
  public:
    explicit StandardInputFrom(const std::string& path) : saved_(dup(fileno(stdin))) {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             std::fclose);
        EXPECT_TRUE(file && dup2(fileno(file.get()), fileno(stdin)) != -1) << path;
        std::clearerr(stdin);
    }
    ~StandardInputFrom() {
        dup2(saved_, fileno(stdin));
        close(saved_);
        std::clearerr(stdin);
    }
    StandardInputFrom(const StandardInputFrom&) = delete;
    StandardInputFrom& operator=(const StandardInputFrom&) = delete;

  private:
    int saved_;
};

// hostsim command takes its message as send does: a file, standard input
// ("-") or, only through --text, the text itself; and what send refuses in a
// message, command refuses with the same words.
TEST_F(HostsimCliTest, TheCommandTakesItsMessageAsSendDoes) {
    const std::string utf8 =  // Ａｂｃ１２３
        "\xEF\xBC\xA1\xEF\xBD\x82\xEF\xBD\x83\xEF\xBC\x91\xEF\xBC\x92\xEF\xBC\x93";
    const std::string shiftJis = "\x82\x60\x82\x82\x82\x83\x82\x50\x82\x51\x82\x52";
    struct Source {
        const char* what;
        std::string bytes;  // the file's, or standard input's
        Args args;          // after "command hankaku"
        bool fromInput = false;
    };
    const Source sources[] = {
        {"a UTF-8 file", utf8 + "\n", {file_}},
        {"a UTF-8 file with a byte order mark", "\xEF\xBB\xBF" + utf8 + "\n", {file_}},
        {"a Shift-JIS file", shiftJis + "\r\n", {file_, "--sjis"}},
        {"standard input", utf8 + "\n", {"-"}, true},
        {"--text", "", {"--text", Narrow(utf8)}},
    };
    const std::string input = folder_ + "input.txt";
    for (const Source& c : sources) {
        SCOPED_TRACE(c.what);
        std::ofstream(c.fromInput ? input : file_, std::ios::binary) << c.bytes;
        Args args = {"command", "hankaku"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        std::optional<StandardInputFrom> redirected;
        if (c.fromInput) {
            redirected.emplace(input);
        }
        Outcome outcome = Capture(args);
        EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
        EXPECT_TRUE(Holds(outcome.out, "\nhanded back  Abc123\n")) << outcome.out;
    }

    struct Refused {
        const char* what;
        std::string bytes;
        std::string reason;
    };
    const Refused refused[] = {
        {"a NUL byte",
         std::string("Abc\n1\0"
                     "23\n",
                     9),
         "line 2 holds a NUL byte"},
        {"a lone CR", "Abc\r123\n", "line 1 ends in CR without LF"},
        {"bytes that are not UTF-8", "Abc\n\xFF\xFE\n", "line 2 is not UTF-8"},
        {"an emoji code page 932 lacks", "Abc \xF0\x9F\x98\x80\n",
         "line 1: \xF0\x9F\x98\x80 (U+1F600) not in code page 932"},
    };
    for (const Refused& c : refused) {
        SCOPED_TRACE(c.what);
        std::ofstream(input, std::ios::binary) << c.bytes;
        Outcome send = Capture({"send", input});
        ExpectOneLineError(send, "hostsim send: " + input + ": " + c.reason);
        const std::string words = send.err.substr(send.err.find(": ") + 2);
        ExpectOneLineError(Capture({"command", "hankaku", input}), "hostsim command: " + words);
        StandardInputFrom redirected(input);
        ExpectOneLineError(Capture({"command", "hankaku", "-"}),
                           "hostsim command: standard input: " + c.reason);
    }
    ExpectOneLineError(Capture({"command", "hankaku", folder_}),
                       ": is a folder, not a message file");
#ifndef _WIN32
    // Here a person answers on the terminal: standard input cannot also hold
    // the message.
    ExpectOneLineError(Capture({"command", "check", "-", "--person"}),
                       "--person answers on standard input, which holds the message");
#endif
}

TEST_F(HostsimCliTest, SubstituteSendsStandInsAndListsEachOne) {
    // 😀 in the Subject, 한 in the body, to a recipient of no carrier.
    Outcome outcome = Capture({"send",
                               Message("To: a@example.com\nSubject: x \xF0\x9F\x98\x80\n\n"
                                       "\xED\x95\x9C Hi\n"),
                               "--substitute"});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_TRUE(Holds(outcome.err, "warning: line 2: \xF0\x9F\x98\x80 (U+1F600) becomes "))
        << outcome.err;
    EXPECT_TRUE(Holds(outcome.err, "warning: line 4: \xED\x95\x9C (U+D55C) becomes ?\n"))
        << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 2) << outcome.err;
    EXPECT_TRUE(Holds(outcome.out, "goes on (0)")) << outcome.out;
}

// The settings a send's line shows: the first three as written, then each
// setting added after them, off since no file or option here gives it.
std::string Settings(const std::string& firstThree) {
    std::string line = firstThree;
    for (size_t i = 3; i < telepost::kSettingCount; ++i) {
        line += std::string(" ") + telepost::kSettingKeys[i] + "=0";
    }
    return line;
}

// The settings line of a send given settings of its own: what the plug-in
// used, and the user's file it left as it is.
std::string GivenLine(const std::string& settings, const std::string& userIni) {
    return Settings(settings) + "  (given for this send; " + userIni + " stays as it is)";
}

// The user's INI file beside the plug-in, as a person may have written it.
constexpr char kUsersIni[] =
    "; kept by hand\r\n[k-tai]\r\nconvert to hankaku=0\r\nconvert to emoji = 1 \r\n"
    "d domains=example.org\r\n";

TEST_F(HostsimCliTest, SettingsForOneSendNeverTouchTheUsersIni) {
    std::ofstream(ini_, std::ios::binary) << kUsersIni;
    std::string temporary = folder_ + "temporary";
    fs::create_directories(temporary);
    std::string file = Message("To: taro@docomo.ne.jp\nSubject: \xEF\xBC\xA1\n\nHi\n");  // Ａ

    Outcome given = Capture(
        {"send", file, "--hankaku", "on", "--delete-crlf=1", "--j-domains", "ezweb.ne.jp, au.com"},
        temporary);
    EXPECT_EQ(given.status, kExitOk) << given.err;
    // Given settings over the user's: emoji from the file, the rest from the options.
    EXPECT_TRUE(
        Holds(given.out, GivenLine("convert to hankaku=1 convert to emoji=1 delete crlf=1", ini_)))
        << given.out;
    EXPECT_TRUE(Holds(given.out, "domains     j domains=ezweb.ne.jp, au.com\n")) << given.out;
    EXPECT_TRUE(Holds(given.out, "domains     d domains=example.org\n")) << given.out;
    EXPECT_TRUE(Holds(given.out, "\xE2\x86\x92  A\n")) << given.out;  // the plug-in took them
    EXPECT_EQ(ReadBytes(ini_), kUsersIni);
    EXPECT_TRUE(fs::is_empty(temporary)) << "the private copy is left behind";

    // Without options the plug-in reads the user's file as it stands.
    Outcome plain = Capture({"send", file});
    EXPECT_EQ(plain.status, kExitOk) << plain.err;
    EXPECT_TRUE(Holds(plain.out, Settings("convert to hankaku=0 convert to emoji=1 delete crlf=0") +
                                     "  (from " + ini_ + ")"))
        << plain.out;
    EXPECT_EQ(ReadBytes(ini_), kUsersIni);
}

// The settings line says "given for this send" only when options gave
// settings; with domain options alone, the settings are the user's file's, or
// the defaults when there is none.
TEST_F(HostsimCliTest, TheSettingsLineSaysWhereTheSettingsCameFrom) {
    const std::string file = Message("To: taro@docomo.ne.jp\nSubject: Hi\n\nHi\n");
    const std::string none = "  (" + ini_ + " does not exist; the plug-in used its defaults)\n";
    struct Case {
        const char* what;
        bool usersIni;
        Args options;
        std::string line;
    };
    const Case cases[] = {
        {"a setting given",
         true,
         {"--hankaku", "on"},
         GivenLine("convert to hankaku=1 convert to emoji=1 delete crlf=0", ini_)},
        {"a setting given, no INI file",
         false,
         {"--hankaku", "on"},
         GivenLine("convert to hankaku=1 convert to emoji=0 delete crlf=0", ini_)},
        {"domains alone",
         true,
         {"--j-domains", "ezweb.ne.jp"},
         Settings("convert to hankaku=0 convert to emoji=1 delete crlf=0") + "  (from " + ini_ +
             ")\n"},
        {"domains alone, no INI file",
         false,
         {"--j-domains", "ezweb.ne.jp"},
         Settings("convert to hankaku=0 convert to emoji=0 delete crlf=0") + none},
        {"nothing given, no INI file",
         false,
         {},
         Settings("convert to hankaku=0 convert to emoji=0 delete crlf=0") + none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.usersIni) {
            std::ofstream(ini_, std::ios::binary) << kUsersIni;
        } else {
            std::remove(ini_.c_str());
        }
        Args args = {"send", file};
        args.insert(args.end(), c.options.begin(), c.options.end());
        Outcome outcome = Capture(args, folder_);
        EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
        EXPECT_TRUE(Holds(outcome.out, "settings    " + c.line)) << outcome.out;
    }
}

// A recipient header longer than the plug-in reads whole: what the plug-in
// did not read gets no rule (here, no question for the DoCoMo address at the
// end), and hostsim says from which byte on it saw no recipient.
TEST_F(HostsimCliTest, RecipientsPastWhatThePlugInReadsAreTold) {
    const std::string tail = "@example.com, taro@docomo.ne.jp";
    struct Case {
        const char* header;
        size_t bytes;
        bool seen;  // the DoCoMo address, and so the question
    };
    const Case cases[] = {
        {"To", 2097151, true},    // its last byte the last the plug-in reads
        {"Bcc", 2097152, false},  // a byte past it: the address is cut
        {"To", 3900000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.header) + ", " + std::to_string(c.bytes) + " bytes");
        const std::string file =
            Message(std::string(c.header) + ": " + std::string(c.bytes - tail.size(), 'x') + tail +
                    "\nSubject: Hi\n\n" + std::string(600, 'a') + "\n");
        Outcome outcome = Capture({"send", file, "--no"});
        if (c.seen) {
            EXPECT_EQ(outcome.status, kExitCancelled);
            EXPECT_EQ(outcome.err, "");
            EXPECT_TRUE(Holds(outcome.out, "warning 1  answered No")) << outcome.out;
        } else {
            EXPECT_EQ(outcome.status, kExitOk);
            EXPECT_EQ(outcome.err, "hostsim send: warning: " + file + ": " + c.header + " is " +
                                       std::to_string(c.bytes) +
                                       " bytes, longer than the plug-in reads whole (2097150 "
                                       "bytes): it reads the first 2097151 and sees no recipient "
                                       "from byte 2097152 on\n");
            EXPECT_TRUE(Holds(outcome.out, "send       goes on (0)")) << outcome.out;
        }
    }
}

// A long mail to a DoCoMo smartphone goes out with no question and no emoji
// when docomo.ne.jp is exempt; without it, the warning asks as before.
TEST_F(HostsimCliTest, AnExemptDomainGetsNoRule) {
    const std::string file =
        Message("To: taro@docomo.ne.jp\nSubject: Hi\n\n" + std::string(600, 'a') + "\n");
    Outcome exempt =
        Capture({"send", file, "--emoji", "on", "--exempt-domains", "docomo.ne.jp"}, folder_);
    EXPECT_EQ(exempt.status, kExitOk) << exempt.err;
    EXPECT_TRUE(Holds(exempt.out, "domains     exempt domains=docomo.ne.jp\n")) << exempt.out;
    EXPECT_TRUE(Holds(exempt.out, "headers    unchanged\n")) << exempt.out;
    EXPECT_FALSE(Holds(exempt.out, "warning")) << exempt.out;
    EXPECT_TRUE(Holds(exempt.out, "body       not handed back")) << exempt.out;

    Outcome asked = Capture({"send", file, "--emoji", "on", "--no"}, folder_);
    EXPECT_EQ(asked.status, kExitCancelled) << asked.err;
    EXPECT_TRUE(Holds(asked.out, "warning 1  answered No")) << asked.out;
}

// hostsim info's lines for `keys`, in their order: "  ", the key in 20
// columns, a blank and what `shown` holds for it, else `otherwise`.
template <size_t N>
std::string KeyLines(const char* const (&keys)[N], const std::map<std::string, std::string>& shown,
                     const std::string& otherwise) {
    std::string lines;
    for (const char* key : keys) {
        std::string padded = key;
        padded.resize(std::max<size_t>(padded.size(), 20), ' ');
        lines += "  " + padded + " " + (shown.count(key) ? shown.at(key) : otherwise);
    }
    return lines;
}

// hostsim info shows every key the plug-in reads, in the order of the
// contract's tables, whether the file holds it or not: a key it does not
// hold reads 0 or as no domains.
TEST_F(HostsimCliTest, InfoShowsEveryKeyThePlugInReads) {
    std::ofstream(ini_, std::ios::binary) << "[k-tai]\r\nconvert to emoji=1\r\n"
                                             "delete crlf=\r\ndocomo domains=\r\n";
    Outcome info = Capture({"info"});
    EXPECT_EQ(info.status, kExitOk) << info.err;
    EXPECT_TRUE(Holds(
        info.out,
        "settings     " + ini_ + "\n" +
            KeyLines(telepost::kSettingKeys, {{"convert to emoji", "1\n"}, {"delete crlf", "0\n"}},
                     "0 (not set)\n") +
            KeyLines(telepost::kDomainListKeys, {{"docomo domains", "(empty)\n"}}, "not set\n")))
        << info.out;

    // Without a file the plug-in reads nothing, and every key shows so.
    fs::remove(ini_);
    Outcome none = Capture({"info"});
    EXPECT_TRUE(Holds(none.out, " (does not exist; the plug-in used its defaults)\n" +
                                    KeyLines(telepost::kSettingKeys, {}, "0 (not set)\n") +
                                    KeyLines(telepost::kDomainListKeys, {}, "not set\n")))
        << none.out;
}

// hostsim setup shows the settings as the plug-in reads the file after the
// dialog closes, and as hostsim info shows them: in a file in UTF-8 with LF
// line ends whose line before the header ends in a full-width character,
// which the profile functions may read as no header, and in Shift-JIS.
TEST_F(HostsimCliTest, SetupShowsTheSettingsAsThePlugInReadsThem) {
    struct Case {
        const char* what;
        std::string comment;  // ends in "あ"
        const char* lineEnd;
    };
    for (const Case& c : {Case{"UTF-8, LF", "; \xE3\x81\x82", "\n"},
                          Case{"Shift-JIS, CR LF", "; \x82\xA0", "\r\n"}}) {
        SCOPED_TRACE(c.what);
        const std::string end = c.lineEnd;
        std::ofstream(ini_, std::ios::binary) << c.comment + end + "[k-tai]" + end +
                                                     "convert to hankaku=1" + end +
                                                     "convert to emoji=1" + end;

        // Cancel writes nothing: the key the file lacks reads 0.
        Outcome cancelled = Capture({"setup", "--cancel"});
        EXPECT_EQ(cancelled.status, kExitOk) << cancelled.err;
        EXPECT_TRUE(Holds(cancelled.out, "settings     " + ini_ + "\n" +
                                             KeyLines(telepost::kSettingKeys,
                                                      {{"delete crlf", "0 (not set)\n"}}, "1\n")))
            << cancelled.out;

        Outcome saved = Capture({"setup", "--emoji", "off", "--delete-crlf", "on"});
        EXPECT_EQ(saved.status, kExitOk) << saved.err;
        const std::string settings =
            KeyLines(telepost::kSettingKeys, {{"convert to emoji", "0\n"}}, "1\n");
        EXPECT_TRUE(Holds(saved.out, "settings     " + ini_ + "\n" + settings)) << saved.out;
        Outcome info = Capture({"info"});
        EXPECT_TRUE(Holds(info.out, "settings     " + ini_ + "\n" + settings)) << info.out;
    }
}

// hostsim info shows each domain list as the user wrote it, with each item
// the plug-in skips and the reason; a list typed with the input method (its
// full-width comma, space and 、) keeps all its domains.
TEST_F(HostsimCliTest, InfoShowsTheSkippedDomainsWithTheirReasons) {
    std::ofstream(ini_, std::ios::binary) << "[k-tai]\r\n"
                                             "j domains=softbank.ne.jp\x81\x43i.softbank.jp\x81\x40"
                                             "foo.jp\x81\x41"
                                             "bar.jp\r\n"
                                             "d domains=au.com nodot a..jp au_com.jp AU.COM\r\n"
                                             "exempt domains=docomo.ne.jp\r\n";
    Outcome info = Capture({"info"});
    EXPECT_EQ(info.status, kExitOk) << info.err;
    const std::string indent(23, ' ');
    // Each list the file holds, and every other key of a list, not set.
    const std::map<std::string, std::string> lists = {
        {"j domains",  // nothing skipped
         "softbank.ne.jp\xEF\xBC\x8Ci.softbank.jp"
         "\xE3\x80\x80"
         "foo.jp\xE3\x80\x81"
         "bar.jp\n"},
        {"d domains", "au.com nodot a..jp au_com.jp AU.COM\n" + indent +
                          "skipped \"nodot\": not a domain: no dot\n" + indent +
                          "skipped \"a..jp\": not a domain: two dots together\n" + indent +
                          "skipped \"au_com.jp\": not a domain: a character " +
                          "other than letters, digits, '-' and '.'\n" + indent +
                          "skipped \"AU.COM\": listed before (letter case and "
                          "full-width forms do not count)\n"},
        {"exempt domains", "docomo.ne.jp\n"},
    };
    EXPECT_TRUE(Holds(info.out, KeyLines(telepost::kDomainListKeys, lists, "not set\n")))
        << info.out;

    // The plug-in took all four domains of the list typed with the input
    // method: each clears the Subject.
    for (const char* to : {"a@softbank.ne.jp", "b@i.softbank.jp", "c@foo.jp", "d@bar.jp"}) {
        Outcome sent =
            Capture({"send", Message(std::string("To: ") + to + "\nSubject: Hi\n\nx\n")});
        EXPECT_TRUE(Holds(sent.out, "Subject:   Hi\n")) << sent.out;
    }
#ifndef _WIN32
    // Here the arguments are UTF-8, written to the INI file in code page 932.
    const std::string file = Message("To: e@baz.jp\nSubject: Hi\n\nx\n");
    Outcome given = Capture({"send", file, "--j-domains",
                             "a.jp\xEF\xBC\x8C"
                             "baz.jp"},
                            folder_);
    EXPECT_TRUE(Holds(given.out, "Subject:   Hi\n")) << given.out;
    ExpectOneLineError(Capture({"send", file, "--j-domains", "a.jp \xF0\x9F\x98\x80"}, folder_),
                       "--j-domains needs a list that code page 932 can hold");
#endif
}

// Lists typed in full-width mode, in an INI file saved in code page 932 or
// in UTF-8, act in hostsim send as their ASCII forms, and hostsim info shows
// them as written and skips none of their items.
TEST_F(HostsimCliTest, ListsTypedInFullWidthModeActAsTheirAsciiForms) {
    const std::string exempt = "ｄｏｃｏｍｏ。ｎｅ。ｊｐ";
    const std::string added = "ａｕ。ｃｏｍ；ｍｙーｄｏｍａｉｎ．ｊｐ";
    for (bool utf8 : {false, true}) {
        SCOPED_TRACE(utf8 ? "UTF-8" : "code page 932");
        std::string exemptAsSaved = exempt;
        std::string addedAsSaved = added;
        ASSERT_TRUE(utf8 ||
                    (Utf8ToCp932(exempt, &exemptAsSaved) && Utf8ToCp932(added, &addedAsSaved)));
        std::ofstream(ini_, std::ios::binary) << "[k-tai]\r\nexempt domains=" << exemptAsSaved
                                              << "\r\nj domains=" << addedAsSaved << "\r\n";
        Outcome info = Capture({"info"});
        EXPECT_EQ(info.status, kExitOk) << info.err;
        EXPECT_TRUE(Holds(info.out, "  j domains            " + added + "\n")) << info.out;
        EXPECT_TRUE(Holds(info.out, "  exempt domains       " + exempt + "\n")) << info.out;
        EXPECT_FALSE(Holds(info.out, "skipped")) << info.out;

        // docomo.ne.jp exempt: a long mail goes out unasked.
        Outcome exempted = Capture(
            {"send",
             Message("To: taro@docomo.ne.jp\nSubject: Hi\n\n" + std::string(600, 'a') + "\n"),
             "--no"});
        EXPECT_EQ(exempted.status, kExitOk) << exempted.out;
        EXPECT_FALSE(Holds(exempted.out, "warning")) << exempted.out;
        // au.com and my-domain.jp under rule J: the Subject goes.
        for (const char* to : {"x@au.com", "y@my-domain.jp"}) {
            Outcome sent =
                Capture({"send", Message(std::string("To: ") + to + "\nSubject: Hi\n\nx\n")});
            EXPECT_EQ(sent.status, kExitOk) << sent.err;
            EXPECT_TRUE(Holds(sent.out, "Subject:   Hi\n")) << to << "\n" << sent.out;
        }
    }
}

// hostsim info shows what the plug-in tells as the first compose window
// opens: here, that the INI file was saved with a byte order mark, or has no
// section the plug-in reads. The file stays as it is.
TEST_F(HostsimCliTest, InfoShowsTheNoticeAboutTheIniFile) {
    const std::string bytes = "\xEF\xBB\xBF[k-tai]\r\nconvert to hankaku=1\r\n";
    std::ofstream(ini_, std::ios::binary) << bytes;
    Outcome info = Capture({"info"});
    EXPECT_EQ(info.status, kExitOk) << info.err;
    EXPECT_TRUE(Holds(info.out,
                      "message box  as the compose window opened, answered OK\n"
                      "  | 設定ファイルが「UTF-8 (BOM 付き)」の形式で保存されているため、"))
        << info.out;
    EXPECT_EQ(ReadBytes(ini_), bytes);

    // A file without the section: its keys are told; one of other sections
    // only is no news.
    std::ofstream(ini_, std::ios::binary) << "exempt domains=docomo.ne.jp\r\n";
    info = Capture({"info"});
    EXPECT_TRUE(Holds(info.out, "  | [k-tai] の行が見つからないため、")) << info.out;
    EXPECT_TRUE(Holds(info.out, "  | 1 行目: exempt domains=docomo.ne.jp\n")) << info.out;
    std::ofstream(ini_, std::ios::binary) << "[other]\r\nname=1\r\n";
    info = Capture({"info"});
    EXPECT_EQ(info.status, kExitOk) << info.err;
    EXPECT_FALSE(Holds(info.out, "message box")) << info.out;
}

// hostsim info reads a file as the plug-in does: a UTF-8 file with a byte
// order mark before a comment has its full-width list read as written, and
// a file in UTF-16 BE nothing, which the notice tells.
TEST_F(HostsimCliTest, InfoReadsEveryEncodingAsThePlugInDoes) {
    std::ofstream(ini_, std::ios::binary)
        << "\xEF\xBB\xBF; 設定\r\n[k-tai]\r\nconvert to hankaku=1\r\n"
           "exempt domains=ｄｏｃｏｍｏ．ｎｅ．ｊｐ、ezweb.ne.jp\r\n";
    Outcome info = Capture({"info"});
    EXPECT_EQ(info.status, kExitOk) << info.err;
    EXPECT_TRUE(Holds(info.out, "  convert to hankaku   1\n")) << info.out;
    EXPECT_TRUE(Holds(info.out, "  exempt domains       ｄｏｃｏｍｏ．ｎｅ．ｊｐ、ezweb.ne.jp\n"))
        << info.out;
    EXPECT_FALSE(Holds(info.out, "skipped")) << info.out;
    EXPECT_FALSE(Holds(info.out, "message box")) << info.out;

    std::string bigEndian = "\xFE\xFF";
    for (const char c : std::string("[k-tai]\r\nconvert to hankaku=1\r\n")) {
        bigEndian += '\0';
        bigEndian += c;
    }
    std::ofstream(ini_, std::ios::binary) << bigEndian;
    info = Capture({"info"});
    EXPECT_EQ(info.status, kExitOk) << info.err;
    EXPECT_TRUE(Holds(info.out, "  convert to hankaku   0 (not set)\n")) << info.out;
    EXPECT_TRUE(Holds(info.out,
                      "message box  as the compose window opened, answered OK\n"
                      "  | 設定ファイルが「UTF-16 BE」の形式で保存されているため、"))
        << info.out;
    EXPECT_EQ(ReadBytes(ini_), bigEndian);
}

TEST_F(HostsimCliTest, ASettingThatCannotBeGivenIsAnError) {
    std::ofstream(ini_, std::ios::binary) << kUsersIni;
    std::string file = Message("To: taro@docomo.ne.jp\n\nHi\n");
    Outcome outcome = Capture({"send", file, "--emoji", "off"}, folder_ + "no such folder");
    ExpectOneLineError(outcome, "hostsim send: cannot give the plug-in settings of its own");
    EXPECT_EQ(ReadBytes(ini_), kUsersIni);

    const std::string absent = folder_ + "absent.dll";
    ExpectOneLineError(Capture({"send", file, "--emoji", "off", "--plugin", absent}),
                       "cannot copy the plug-in " + absent);
}

TEST_F(HostsimCliTest, APlugInThatDoesNotLoadIsToldWithTheSystemsReason) {
    const std::string absent = folder_ + "absent.dll";
    Outcome outcome = Capture({"info", "--plugin", absent});
    std::string lead = "hostsim info: cannot load the plug-in " + absent + ": ";
    ExpectOneLineError(outcome, lead);
    // The system's text comes before the code it stands for.
    size_t code = outcome.err.find(" (error 126)\n");
    ASSERT_NE(code, std::string::npos) << outcome.err;
    EXPECT_GT(code, lead.size()) << outcome.err;
    // A file that is no library: the loader's own reason, about that file.
    Outcome text = Capture({"info", "--plugin", Message(std::string(256, 'x'))});
#ifdef _WIN32
    EXPECT_TRUE(Holds(text.err, "(error 193)\n")) << text.err;
    EXPECT_FALSE(Holds(text.err, "%1")) << text.err;
#else
    EXPECT_TRUE(Holds(outcome.err, "The specified module could not be found. (" + absent +
                                       ": No such file or directory)"))
        << outcome.err;
    EXPECT_TRUE(Holds(text.err, file_ + ": invalid ELF header) (error 126)")) << text.err;
#endif
}

TEST_F(HostsimCliTest, ACommandIsChosenByTheTextItWasRegisteredWith) {
    Host host;
    std::string error;
    ASSERT_TRUE(host.Load(PluginUnderTest(), &error)) << error;
    host.Plugin().BKC_OnStart();
    HWND window = host.OpenCompose(hostsim::Message{});
    HMENU menu = GetSubMenu(host.MenuBar(window), telepost::kCommandMenuPosition);
    // A command of someone else's before the plug-in's, and one after them.
    auto addAnother = [&] {
        int id = host.RegisterCommand("another command", telepost::kComposeMenuType, nullptr);
        AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(id), "another");
    };
    addAnother();
    host.BuildComposeMenu(window);
    addAnother();
    for (const telepost::ComposeCommandText* command : telepost::kComposeCommands) {
        int position = host.CommandPosition(menu, command->description);
        char label[256] = {};
        GetMenuStringA(menu, static_cast<UINT>(position), label, sizeof label, MF_BYPOSITION);
        EXPECT_STREQ(label, command->label);
    }
    EXPECT_EQ(host.CommandPosition(menu, "no such command"), -1);
}

// What the plug-in saw is told: a header hostsim does not know, an INI file
// it could not read; a message or an INI file that may never end is refused.
TEST_F(HostsimCliTest, InputsThatAreNotWhatTheySeemAreTold) {
    const std::string misspelt = Message("Tp: taro@docomo.ne.jp\nSubject: Hi\n\nHello\n");
    Outcome warned = Capture({"send", misspelt});
    EXPECT_EQ(warned.status, kExitOk) << warned.err;
    EXPECT_EQ(warned.err, "hostsim send: warning: " + misspelt +
                              ": unknown header 'Tp', which the plug-in never reads (hostsim "
                              "knows To, Cc, Bcc, Subject and From)\n");
    EXPECT_TRUE(Holds(warned.out, "goes on (0)")) << warned.out;

    // A message larger than the bound is refused before it is all read.
    const std::string large = folder_ + "large.txt";
    std::ofstream(large, std::ios::binary) << "To: a@docomo.ne.jp\n\n";
    fs::resize_file(large, kMaxMessageBytes + 1);
    ExpectOneLineError(
        Capture({"send", large}),
        "hostsim send: " + large + ": is larger than 67108864 bytes, more than any mail");
    // So is a stream, such as standard input, once it passes the bound.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::fopen(large.c_str(), "rb"),
                                                           std::fclose);
    std::string bytes;
    std::string error;
    EXPECT_FALSE(ReadMessageBytes(stream.get(), &bytes, &error, 4096));
    EXPECT_EQ(error, "is larger than 4096 bytes, more than any mail: not read");
    EXPECT_LE(bytes.size(), 4096u);

    // The INI file a folder: the plug-in reads nothing, and says so.
    fs::create_directory(ini_);
    Outcome folderIni = Capture({"send", misspelt});
    EXPECT_EQ(folderIni.status, kExitOk) << folderIni.err;
    EXPECT_TRUE(
        Holds(folderIni.out, Settings("convert to hankaku=0 convert to emoji=0 delete crlf=0") +
                                 "  (" + ini_ +
                                 " is a folder, not an INI file; the plug-in used its "
                                 "defaults)\n"))
        << folderIni.out;
    Outcome info = Capture({"info"});
    EXPECT_TRUE(Holds(info.out, "settings     " + ini_ + " (is a folder, not an INI file"))
        << info.out;
    fs::remove(ini_);
    Outcome noIni = Capture({"info"});
    EXPECT_TRUE(Holds(noIni.out, ini_ + " (does not exist; the plug-in used its defaults)\n"))
        << noIni.out;
#ifndef _WIN32
    // Devices and FIFOs: an error at once, not a wait for an end.
    ExpectOneLineError(Capture({"send", "/dev/zero"}),
                       "hostsim send: /dev/zero: is a FIFO, socket or device, not a message file");
    const std::string fifo = folder_ + "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ExpectOneLineError(Capture({"send", fifo}), fifo + ": is a FIFO, socket or device");
    ASSERT_EQ(mkfifo(ini_.c_str(), 0600), 0);
    for (const Args& args : {Args{"send", misspelt}, Args{"send", misspelt, "--emoji", "on"},
                             Args{"info"}, Args{"setup"}}) {
        Outcome outcome = Capture(args);
        EXPECT_EQ(outcome.status, kExitFailure) << args.front();
        EXPECT_TRUE(Holds(outcome.err, "the settings " + ini_ +
                                           " is a FIFO, socket or device, not an INI file\n"))
            << outcome.err;
    }
#endif
}

// Something to read that is no regular file on disk, and why hostsim says it
// is not one.
struct NoFileOnDisk {
    const char* what;
    std::string path;
    std::string reason;  // after the path, up to ", not a message file"
};

#ifdef _WIN32
std::string NamesDevice(const char* device) {
    return std::string("names the device ") + device +
           " (Windows keeps the name for it in every folder, with any extension)";
}
#endif

// What this system offers in place of a file: a FIFO or a device, and on
// Windows a pipe and the names it keeps for devices. Under Wine a Unix FIFO
// or a link to a device is a pipe or a device to the program too;
// hostsim_processes.sh makes those there, which a Windows program cannot.
std::vector<NoFileOnDisk> NotFilesOnDisk(const std::string& folder) {
    constexpr char kNotAFile[] = "is a FIFO, socket or device";
#ifdef _WIN32
    auto named = NamesDevice;
    std::vector<NoFileOnDisk> cases = {
        {"nul.txt", folder + "nul.txt", named("NUL")},
        {"AUX.TXT, whose reading would never end", folder + "AUX.TXT", named("AUX")},
        {"con, the console", folder + "con", named("CON")},
        {"Com1.txt", folder + "Com1.txt", named("COM1")},
        {"lpt9.tar.gz", folder + "lpt9.tar.gz", named("LPT9")},
        {"a device by its own path", "\\\\.\\NUL", kNotAFile},
    };
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
        // Wine shows the Unix root as a drive, its devices with it.
        cases.push_back({"a Unix device under Wine", "Z:\\dev\\zero", kNotAFile});
    }
    return cases;
#else
    const std::string fifo = folder + "fifo";
    const std::string link = folder + "zero.txt";
    mkfifo(fifo.c_str(), 0600);
    fs::create_symlink("/dev/zero", link);
    return {
        {"a FIFO", fifo, kNotAFile},
        {"a link to a device", link, kNotAFile},
        {"a device", "/dev/null", kNotAFile},
    };
#endif
}

// A message or an INI file that is no regular file on disk is refused before
// anything is read, for every verb: a FIFO or a device may never end, and a
// name Windows keeps for a device (in any case, with any extension) opens
// the device, not a file of that name.
TEST_F(HostsimCliTest, AMessageOrIniFileThatIsNoFileOnDiskIsRefused) {
    for (const NoFileOnDisk& c : NotFilesOnDisk(folder_)) {
        SCOPED_TRACE(c.what);
        ExpectOneLineError(Capture({"send", c.path, "--hankaku", "on"}, folder_),
                           "hostsim send: " + c.path + ": " + c.reason + ", not a message file\n");
    }
    // A plug-in whose INI file is no file on disk is not even loaded.
    std::vector<NoFileOnDisk> inis;
#ifdef _WIN32
    inis = {{"nul.ini", folder_ + "nul.ini", NamesDevice("NUL")},
            {"Aux.ini", folder_ + "Aux.ini", NamesDevice("AUX")}};
#else
    const std::string ini = folder_ + "TELEPOST.ini";
    fs::create_symlink("/dev/zero", ini);
    inis = {{"a link to a device", ini, "is a FIFO, socket or device"}};
#endif
    const std::string message = Message("To: taro@docomo.ne.jp\n\nHi\n");
    for (const NoFileOnDisk& c : inis) {
        const std::string plugin = c.path.substr(0, c.path.size() - 3) + "dll";
        for (const Args& args : {Args{"info"}, Args{"setup", "--emoji", "on"},
                                 Args{"send", message}, Args{"send", message, "--emoji", "on"}}) {
            SCOPED_TRACE(std::string(c.what) + ", " + args.front());
            Args withPlugin = args;
            withPlugin.insert(withPlugin.end(), {"--plugin", plugin});
            ExpectOneLineError(Capture(withPlugin, folder_), "hostsim " + args.front() +
                                                                 ": the settings " + c.path + " " +
                                                                 c.reason + ", not an INI file\n");
        }
    }
    // No private folder is left of any of these runs.
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) {
        EXPECT_NE(entry.path().filename().string().rfind("hostsim-", 0), 0u) << entry.path();
    }
#ifndef _WIN32
    // Here these names are a file's like any other.
    Outcome named = Capture({"send", Message("To: taro@docomo.ne.jp\n\nHi\n")});
    fs::rename(file_, folder_ + "aux.txt");
    Outcome aux = Capture({"send", folder_ + "aux.txt"});
    EXPECT_EQ(aux.status, kExitOk) << aux.err;
    EXPECT_EQ(aux.out, named.out);
#endif
}

// The private copies of the plug-in: writable settings whatever the user's
// file is, and no folder left of a run that has gone, while a running one's
// folder stays. A run is told by the lock it holds, not by its process
// identifier, which a run in another PID namespace (or under another Wine
// server) does not see, and which a new process may have taken.
TEST_F(HostsimCliTest, APrivateCopyIsWritableAndLeftoversAreSweptByTheNextRun) {
    std::ofstream(ini_, std::ios::binary) << kUsersIni;
    telepost_tests::MakeReadOnly(ini_);
    std::string temporary = folder_ + "temporary/";
    const std::string gone = "hostsim-2147483000-1";  // no process has this identifier
    const std::string running = "hostsim-" + std::to_string(ThisProcess()) + "-1";
    const std::string others = "hostsim-notes";
    // Killed after its lock was made, and a live run whose process cannot
    // be seen from here.
    const std::string goneLocked = "hostsim-2147483001-1";
    const std::string runningUnseen = "hostsim-2147483002-1";
    // A gone run's identifier, taken since by a process that runs: this one.
    const std::string goneReused = "hostsim-" + std::to_string(ThisProcess()) + "-2";
    OwnerLock held[2];
    for (const std::string& name : {gone, running, others, goneLocked, runningUnseen, goneReused}) {
        fs::create_directories(temporary + name);
        std::ofstream(temporary + name + "/TELEPOST.ini") << "[k-tai]\n";
    }
    ASSERT_TRUE(held[0].Create(FsPath(temporary + running) / kOwnerLockName));
    ASSERT_TRUE(held[1].Create(FsPath(temporary + runningUnseen) / kOwnerLockName));
    std::ofstream(temporary + goneLocked + "/" + kOwnerLockName) << "";
    std::string file = Message("To: taro@docomo.ne.jp\nSubject: \xEF\xBC\xA1\n\nHi\n");  // Ａ

    Outcome outcome = Capture({"send", file, "--hankaku", "on"}, temporary);
    telepost_tests::MakeWritable(ini_);
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_TRUE(Holds(outcome.out, "convert to hankaku=1 convert to emoji=1")) << outcome.out;
    EXPECT_EQ(ReadBytes(ini_), kUsersIni);
    std::vector<std::string> left;
    for (const fs::directory_entry& entry : fs::directory_iterator(temporary)) {
        left.push_back(entry.path().filename().string());
    }
    std::vector<std::string> kept = {others, running, runningUnseen};
    std::sort(left.begin(), left.end());
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(left, kept);
    EXPECT_TRUE(fs::exists(temporary + running + "/TELEPOST.ini"));
}

// A plug-in in a folder of Japanese name: loaded, copied and named on the
// terminal as the terminal writes it. In code page 932 the second byte of 表
// is a backslash, which must not be taken for a separator.
TEST_F(HostsimCliTest, APlugInInAFolderOfJapaneseNameIsLoadedCopiedAndShown) {
    // 山田/表/プラグイン/
    const std::string folder = folder_ +
                               "\xE5\xB1\xB1\xE7\x94\xB0/\xE8\xA1\xA8/"
                               "\xE3\x83\x97\xE3\x83\xA9\xE3\x82\xB0\xE3\x82\xA4\xE3\x83\xB3/";
    fs::create_directories(FsPath(Narrow(folder)));
    const std::string plugin = folder + "TELEPOST.dll";
    fs::copy_file(FsPath(PluginUnderTest()), FsPath(Narrow(plugin)));
    std::ofstream(FsPath(Narrow(folder + "TELEPOST.ini")), std::ios::binary) << kUsersIni;
    std::string file = Message("To: taro@docomo.ne.jp\nSubject: \xEF\xBC\xA1\n\nHi\n");  // Ａ

    Outcome info = Capture({"info", "--plugin", Narrow(plugin)});
    EXPECT_EQ(info.status, kExitOk) << info.err;
    EXPECT_TRUE(Holds(info.out, "settings     " + folder + "TELEPOST.ini\n")) << info.out;
    EXPECT_TRUE(Holds(info.out, "convert to emoji     1\n")) << info.out;

    Outcome given = Capture({"send", file, "--hankaku", "on", "--plugin", Narrow(plugin)}, folder_);
    EXPECT_EQ(given.status, kExitOk) << given.err;
    EXPECT_TRUE(Holds(given.out, GivenLine("convert to hankaku=1 convert to emoji=1 delete crlf=0",
                                           folder + "TELEPOST.ini")))
        << given.out;
    EXPECT_TRUE(Holds(given.out, "\xE2\x86\x92  A\n")) << given.out;

    const std::string absent = folder + "absent.dll";
    ExpectOneLineError(Capture({"info", "--plugin", Narrow(absent)}),
                       "hostsim info: cannot load the plug-in " + absent + ": ");

    // Every line in UTF-8: the plug-in's failure to save there (a folder in
    // the INI file's place), and an argument an error names.
    const std::string ini = folder + "TELEPOST.ini";
    fs::remove(FsPath(Narrow(ini)));
    fs::create_directory(FsPath(Narrow(ini)));
    Outcome unsaved = Capture({"setup", "--emoji", "on", "--plugin", Narrow(plugin)});
    EXPECT_EQ(unsaved.status, kExitFailure);
    EXPECT_EQ(unsaved.err, "hostsim setup: the settings could not be saved to " + ini + "\n");
#ifdef _WIN32
    const std::string asNamed = "\\TELEPOST.ini\n";  // by the plug-in's own path
#else
    const std::string asNamed = "/TELEPOST.ini\n";
#endif
    EXPECT_TRUE(
        Holds(unsaved.out, "\xE8\xA1\xA8" + std::string(1, asNamed[0]) +  // 表
                               "\xE3\x83\x97\xE3\x83\xA9\xE3\x82\xB0\xE3\x82\xA4\xE3\x83\xB3" +
                               asNamed))  // プラグイン
        << unsaved.out;
    ExpectOneLineError(Capture({"send", file, "--hankaku", Narrow("\xEF\xBD\x8F\xEF\xBD\x8E")}),
                       "--hankaku needs on or off, not '\xEF\xBD\x8F\xEF\xBD\x8E'");  // ｏｎ
}

#ifndef _WIN32
// An interrupted run removes its private folder and then ends as the signal
// ends it.
TEST(RemovedOnInterruptionTest, EachSignalRemovesTheFolderAndEndsTheRun) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        SCOPED_TRACE(signal);
        const telepost_tests::TempFolder scratch("interrupted");
        const fs::path folder = scratch / "folder";
        fs::create_directories(folder);
        const fs::path file = folder / "TELEPOST.ini";
        std::ofstream(file) << "[k-tai]\n";
        pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            RemovedOnInterruption guard({file}, folder, nullptr);
            raise(signal);
            _exit(0);  // not reached
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_FALSE(fs::exists(folder));
        fs::remove_all(folder);
    }
}
#endif

// Settings the plug-in cannot save: hostsim shows the plug-in's message,
// cancels the dialog and fails naming the file, which keeps what it held.
TEST_F(HostsimCliTest, SettingsThatCannotBeSavedAreAnErrorNamingTheFile) {
    struct Unwritable {
        const char* what;
        bool folder;
    };
    for (const Unwritable& c :
         {Unwritable{"a read-only file", false}, Unwritable{"a folder in its place", true}}) {
        SCOPED_TRACE(c.what);
        if (!c.folder && !telepost_tests::ReadOnlyFilesRefused()) {
            continue;
        }
        if (c.folder) {
            fs::create_directory(ini_);
        } else {
            std::ofstream(ini_, std::ios::binary) << kUsersIni;
            telepost_tests::MakeReadOnly(ini_);
        }

        Outcome outcome = Capture({"setup", "--emoji", "on"});

        EXPECT_EQ(outcome.status, kExitFailure);
        EXPECT_EQ(outcome.err, "hostsim setup: the settings could not be saved to " + ini_ + "\n");
        EXPECT_TRUE(Holds(outcome.out, "  | 設定を保存できませんでした。\n  | " + ini_ + "\n"))
            << outcome.out;
        EXPECT_TRUE(Holds(outcome.out, "pressed      OK\nmessage box\n")) << outcome.out;
        EXPECT_TRUE(Holds(outcome.out, "pressed      Cancel\n")) << outcome.out;
        // Shown and acted in once, though it comes back as the box closes.
        for (const char* once : {"dialog       ", "pressed      OK\n", "message box\n"}) {
            size_t times = 0;
            for (size_t at = outcome.out.find(once); at != std::string::npos;
                 at = outcome.out.find(once, at + 1)) {
                ++times;
            }
            EXPECT_EQ(times, 1u) << once << " in\n" << outcome.out;
        }
        if (c.folder) {
            EXPECT_TRUE(fs::is_directory(ini_));
            fs::remove(ini_);
        } else {
            EXPECT_EQ(ReadBytes(ini_), kUsersIni);
            telepost_tests::MakeWritable(ini_);
            std::remove(ini_.c_str());
        }
    }
}

}  // namespace
}  // namespace hostsim
