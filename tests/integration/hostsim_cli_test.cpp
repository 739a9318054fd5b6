// hostsim on the command line, as a person runs it: help and version, an error
// that names the argument at fault, a message file read without a silent
// change, and settings given for one send that never touch the user's INI file.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "cli.h"
#include "host.h"

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
// if given (once the output is being captured, which needs the real one).
Outcome Capture(const Args& args, const std::string& temporary = {}) {
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

class HostsimCliTest : public testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(folder_);
        std::remove(ini_.c_str());
    }
    void TearDown() override {
        fs::remove_all(folder_);
        std::remove(ini_.c_str());
    }

    // A message file holding `text`, its path.
    std::string Message(const std::string& text) {
        std::ofstream(file_, std::ios::binary) << text;
        return file_;
    }

    std::string folder_ = testing::TempDir() + "telepost_cli_test/";
    std::string file_ = folder_ + "message.txt";
    std::string ini_ = IniBeside(PluginBesideProgram());
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
        Capture({"command", "hankaku", "a\n\xF0\x9F\x98\x80"}),
        "hostsim command: the message's line 2: \xF0\x9F\x98\x80 (U+1F600) not in code page 932");
    Outcome substituted = Capture({"command", "hankaku", "\xF0\x9F\x98\x80", "--substitute"});
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
    EXPECT_TRUE(Holds(given.out,
                      "convert to hankaku=1 convert to emoji=1 delete crlf=1  "
                      "(given for this send; " +
                          ini_ + " stays as it is)"))
        << given.out;
    EXPECT_TRUE(Holds(given.out, "domains     j domains=ezweb.ne.jp, au.com\n")) << given.out;
    EXPECT_TRUE(Holds(given.out, "domains     d domains=example.org\n")) << given.out;
    EXPECT_TRUE(Holds(given.out, "\xE2\x86\x92  A\n")) << given.out;  // the plug-in took them
    EXPECT_EQ(ReadBytes(ini_), kUsersIni);
    EXPECT_TRUE(fs::is_empty(temporary)) << "the private copy is left behind";

    // Without options the plug-in reads the user's file as it stands.
    Outcome plain = Capture({"send", file});
    EXPECT_EQ(plain.status, kExitOk) << plain.err;
    EXPECT_TRUE(Holds(plain.out,
                      "convert to hankaku=0 convert to emoji=1 delete crlf=0  (from " + ini_ + ")"))
        << plain.out;
    EXPECT_EQ(ReadBytes(ini_), kUsersIni);
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
    EXPECT_TRUE(Holds(info.out,
                      "  j domains            softbank.ne.jp\xEF\xBC\x8Ci.softbank.jp"
                      "\xE3\x80\x80"
                      "foo.jp\xE3\x80\x81"
                      "bar.jp\n  d domains"))  // nothing skipped
        << info.out;
    EXPECT_TRUE(Holds(info.out, "  d domains            au.com nodot a..jp au_com.jp AU.COM\n" +
                                    indent + "skipped \"nodot\": not a domain: no dot\n" + indent +
                                    "skipped \"a..jp\": not a domain: two dots together\n" +
                                    indent + "skipped \"au_com.jp\": not a domain: a character " +
                                    "other than letters, digits, '-' and '.'\n" + indent +
                                    "skipped \"AU.COM\": listed before (letter case does not "
                                    "count)\n  exempt domains       docomo.ne.jp\n"))
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

}  // namespace
}  // namespace hostsim
