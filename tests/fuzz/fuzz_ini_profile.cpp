// The INI byte reader against the profile functions: turns its input into an
// INI text as users write them (sections, the settings' one and names near
// it, every key the plug-in reads in any letter case, quotes, blanks,
// comments, CR, LF and CR LF, full-width forms in code page 932 and in
// UTF-8, a byte order mark), writes it to a file and reads every key both
// ways: FindIniValue and FindIniSetting from the bytes, the Linux layer's
// GetPrivateProfileStringA and GetPrivateProfileIntA (which model Windows')
// from the file.
//
// The comparison keeps to the byte reader's contract (ini_text.h): the texts
// whose bytes the profile functions hand over as they are, that is text in
// code page 932 (ASCII among it) without a NUL nor the mark of UTF-16: every lead byte followed by
// a trail byte, so that a line's LF is never taken as one; and none with a
// pair whose second byte is "]" in a line that opens with "[", where the
// reader, reading bytes, ends the header that the code page's characters do
// not. A text outside it (UTF-8 beyond ASCII that is not code page 932 too,
// a stray lead byte) is still read both ways, for the sanitizers. A value is compared as the
// profile functions give it: through the code page and back, which turns a
// pair the code page does not define into "・" and a character held twice
// into its first form.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ansi_text.h"
#include "fuzz_check.h"
#include "telepost/ini_text.h"

namespace {

using telepost::kDomainListKeys;
using telepost::kSettingKeys;

// Whether `text` is in the byte reader's contract: every lead byte followed
// by a trail byte, no NUL, and no "]" as the second byte of a pair in a line
// that opens with "[" (the reader takes it for the header's end).
bool InContract(std::string_view text) {
    if (text.starts_with(telepost::kUtf16ByteOrderMark)) {
        return false;  // read as UTF-16
    }
    bool header = false;  // whether the line so far, blanks aside, opens with "["
    bool lineStart = true;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte == 0) {
            return false;
        }
        if (byte == '\n') {
            header = false;
            lineStart = true;
            continue;
        }
        if (lineStart && !telepost::ini_text::IsBlank(static_cast<char>(byte))) {
            header = byte == '[';
            lineStart = false;
        }
        if ((byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC)) {
            if (at + 1 == text.size()) {
                return false;
            }
            const auto trail = static_cast<unsigned char>(text[++at]);
            if (trail < 0x40 || trail == 0x7F || trail > 0xFC || (header && trail == ']')) {
                return false;
            }
        }
    }
    return true;
}

// The file every input is written to: in memory where the system has a
// tmpfs, one for each process of a run with -jobs, removed when it ends.
const std::string& FilePath() {
    static const std::string path = [] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(folder) + "/telepost-fuzz-ini-profile-" + std::to_string(getpid()) +
               ".ini";
    }();
    static const bool removedAtExit = std::atexit([] { std::remove(path.c_str()); }) == 0;
    static_cast<void>(removedAtExit);
    return path;
}

// Pieces of a text, chosen by the input.
constexpr std::string_view kBlanks[] = {"", " ", "\t", "  \t", "\v", "\f", "\x1A", "\r"};
constexpr std::string_view kLineEnds[] = {"\r\n", "\n", "\r\n", "\n", "", "\r", "\r\r\n", "\n\r"};
constexpr std::string_view kSectionNames[] = {
    "k-tai",
    "K-TAI",
    "k-Tai",
    "k-tai ",
    "k tai",
    "k-tai2",
    "ktai",
    "k-ta",
    "other",
    "",
    "\xEF\xBD\x8B-tai",  // "ｋ" in UTF-8
    "\x82\x8B-tai",      // "ｋ" in code page 932
    "k\x81\x7C"
    "tai",               // "－" in code page 932
    "\x90\xDD\x92\xE8",  // 設定
    "\x81\x5D",          // "‐", whose second byte is "]"
    "k-tai]",
};
constexpr std::string_view kOtherKeys[] = {
    "no such key",
    "convert",
    "convert to emoj",
    "convert to emojii",
    "domains",
    "x",
    "\xEF\xBD\x83onvert to emoji",  // "ｃ" in UTF-8
    "\x82\x83onvert to emoji",      // "ｃ" in code page 932
    "convert\x81\x40to emoji",      // a full-width space
};
constexpr std::string_view kValues[] = {
    "0",
    "1",
    "-1",
    "+7",
    "0x1F",
    "0X1F",
    "0o17",
    "0b101",
    "010",
    "2147483648",
    "4294967297",
    "99999999999999999999999999999999",
    "1e3",
    "12abc",
    "- 5",
    "\x01"
    "5",
    "au.com",
    "a.jp, b.jp; c.jp",
    "@au.com",
    "docomo.ne.jp",
    "a=b",
    ";x",
    "#x",
    "\x82\x81u.com",      // "ａ" in code page 932
    "\xEF\xBD\x81u.com",  // "ａ" in UTF-8
    "\x82\x50",           // "１" in code page 932
    "\xEF\xBC\x91",       // "１" in UTF-8
    "\x81\x81"
    "1",  // "＝" in code page 932
    "\xEF\xBC\x9D"
    "1",  // "＝" in UTF-8
    "\x81\x40",
    "\xE3\x80\x80",  // a full-width space both ways
    "\x87\x90",
    "\x81\xE0",
    "\xED\x40",
    "\xFA\x5C",  // characters held twice
    "\x85\x40",
    "\xEB\x40",
    "\xFC\x4B",
    "\xFC\xFC",  // pairs not defined, the last lead byte
    "\xA1",
    "\xDF",
    "\x80",
    "\xA0",
    "\xFD",
};
constexpr std::string_view kQuotes[] = {"", "", "\"", "'"};

std::string_view Pick(FuzzedDataProvider& input, std::span<const std::string_view> items) {
    return items[input.ConsumeIntegralInRange<std::size_t>(0, items.size() - 1)];
}

std::string KeyOf(FuzzedDataProvider& input) {
    const std::size_t known = std::size(kSettingKeys) + std::size(kDomainListKeys);
    const std::size_t choice = input.ConsumeIntegralInRange<std::size_t>(0, known);
    std::string key = choice < std::size(kSettingKeys) ? kSettingKeys[choice]
                      : choice < known ? kDomainListKeys[choice - std::size(kSettingKeys)]
                                       : std::string(Pick(input, kOtherKeys));
    const auto upper = input.ConsumeIntegral<std::uint8_t>();  // which letters in upper case
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (key[i] >= 'a' && key[i] <= 'z' && (upper >> (i % 8) & 1) != 0) {
            key[i] = static_cast<char>(key[i] - 'a' + 'A');
        }
    }
    return key;
}

std::string ValueOf(FuzzedDataProvider& input) {
    std::string value;
    const std::size_t parts = input.ConsumeIntegralInRange<std::size_t>(0, 3);
    for (std::size_t i = 0; i < parts; ++i) {
        value += input.ConsumeBool() ? std::string(Pick(input, kValues))
                                     : input.ConsumeRandomLengthString(8);
        value += Pick(input, kBlanks);
    }
    const std::string_view open = Pick(input, kQuotes);
    const std::string_view close = input.ConsumeBool() ? open : Pick(input, kQuotes);
    return std::string(open) + value + std::string(close);
}

std::string TextOf(FuzzedDataProvider& input) {
    std::string text;
    if (input.ConsumeIntegralInRange<int>(0, 7) == 0) {
        text += telepost::kUtf8ByteOrderMark;
    }
    while (input.remaining_bytes() > 0) {
        text += Pick(input, kBlanks);
        switch (input.ConsumeIntegralInRange<int>(0, 7)) {
            case 0:
            case 1: {
                text += "[";
                text += Pick(input, kBlanks);
                text += Pick(input, kSectionNames);
                text += Pick(input, kBlanks);
                if (input.ConsumeIntegralInRange<int>(0, 7) != 0) {
                    text += "]";
                }
                if (input.ConsumeBool()) {
                    text += input.ConsumeRandomLengthString(6);
                }
                break;
            }
            case 2:
            case 3:
            case 4:
                text += KeyOf(input);
                text += Pick(input, kBlanks);
                text += input.ConsumeIntegralInRange<int>(0, 15) == 0 ? "\x81\x81" : "=";
                text += Pick(input, kBlanks);
                text += ValueOf(input);
                break;
            case 5:
                text += input.ConsumeBool() ? ";" : "#";
                text += input.ConsumeBool() ? KeyOf(input) + "=" + ValueOf(input)
                                            : input.ConsumeRandomLengthString(12);
                break;
            case 6:
                break;  // a blank line
            default:
                text += input.ConsumeRandomLengthString(16);
                break;
        }
        text += Pick(input, kBlanks);
        text += Pick(input, kLineEnds);
    }
    return text;
}

// The bytes the profile functions give for a value the byte reader found.
std::string AsTheProfileFunctionsGive(std::string_view value) {
    return win32posix::WideToAnsi(win32posix::AnsiToWide(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string text = TextOf(input);
    const std::string& file = FilePath();
    std::FILE* out = std::fopen(file.c_str(), "wb");
    FUZZ_CHECK(out != nullptr);
    FUZZ_CHECK(std::fwrite(text.data(), 1, text.size(), out) == text.size());
    FUZZ_CHECK(std::fclose(out) == 0);

    const bool compared = InContract(text);
    if (std::getenv("TELEPOST_FUZZ_SHOW") != nullptr) {  // to read a finding's text
        std::fprintf(stderr, "in the contract: %d, text:\n", compared ? 1 : 0);
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            std::fprintf(stderr, byte >= 0x20 && byte < 0x7F && c != '\\' ? "%c" : "\\x%02X", byte);
        }
        std::fprintf(stderr, "\n");
    }
    constexpr char kAbsent[] = "\x01(absent)";
    std::vector<char> buffer(text.size() + sizeof kAbsent);
    std::vector<const char*> keys(std::begin(kSettingKeys), std::end(kSettingKeys));
    keys.insert(keys.end(), std::begin(kDomainListKeys), std::end(kDomainListKeys));
    const telepost::IniSettingsRead read = telepost::ReadIniSettings(text);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string_view found =
            telepost::FindIniValue(text, telepost::kSettingsSection, keys[i]);
        const DWORD length =
            GetPrivateProfileStringA(telepost::kSettingsSection, keys[i], kAbsent, buffer.data(),
                                     static_cast<DWORD>(buffer.size()), file.c_str());
        const std::string given(buffer.data(), length);
        if (compared) {
            FUZZ_CHECK(found.data() ? given == AsTheProfileFunctionsGive(found) : given == kAbsent);
        }
        if (i >= std::size(kSettingKeys)) {
            FUZZ_CHECK(read.domainLists[i - std::size(kSettingKeys)].data() == found.data());
            continue;  // a list, which the plug-in never reads as a number
        }
        const std::int32_t setting = telepost::FindIniSetting(text, keys[i]);
        FUZZ_CHECK(read.settings[i] == setting);
        FUZZ_CHECK(!compared ||
                   setting == static_cast<std::int32_t>(GetPrivateProfileIntA(
                                  telepost::kSettingsSection, keys[i], 0, file.c_str())));
    }
    return 0;
}
