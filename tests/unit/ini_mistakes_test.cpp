// The mistakes in the INI file's settings' section that the plug-in passes
// over without a word, as the finder names them, in UTF-8 and in code page
// 932, with LF and with CR LF.
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cp932.h"
#include "telepost/ini_mistakes.h"

namespace telepost {
namespace {

using domain_list::Encoding;

// A line as typed, the parts in braces in full-width mode: their letters,
// spaces and "=" in their full-width forms, in `encoding`.
std::string Typed(std::string_view line, Encoding encoding) {
    const bool utf8 = encoding == Encoding::Utf8;
    std::string text;
    bool fullWidth = false;
    for (const char c : line) {
        if (c == '{' || c == '}') {
            fullWidth = c == '{';
        } else if (fullWidth && c == ' ') {
            text += utf8 ? "\xE3\x80\x80" : "\x81\x40";
        } else if (fullWidth && c == '=') {
            text += utf8 ? kFullWidthEquals.utf8 : kFullWidthEquals.cp932;
        } else if (fullWidth && c >= 'A' && c <= 'Z') {
            text += utf8 ? "\xEF\xBC" : "\x82";
            text += static_cast<char>((utf8 ? 0xA1 : 0x60) + (c - 'A'));
        } else if (fullWidth && c >= 'a' && c <= 'z') {
            text += utf8 ? "\xEF\xBD" : "\x82";
            text += static_cast<char>(0x81 + (c - 'a'));
        } else {
            text += c;
        }
    }
    return text;
}

const char* VerdictName(DomainVerdict verdict) {
    switch (verdict) {
        case DomainVerdict::Kept:
            return "kept";
        case DomainVerdict::CutOff:
            return "cut off";
        case DomainVerdict::MailAddress:
            return "mail address";
        case DomainVerdict::ForeignSeparator:
            return "foreign separator";
        case DomainVerdict::NotADomainCharacter:
            return "not a domain character";
        case DomainVerdict::TooLong:
            return "too long";
        case DomainVerdict::DotAtAnEnd:
            return "dot at an end";
        case DomainVerdict::EmptyPart:
            return "empty part";
        case DomainVerdict::NoDot:
            return "no dot";
        case DomainVerdict::Duplicate:
            return "duplicate";
        case DomainVerdict::OverTheCount:
            return "over the count";
    }
    return "?";
}

// A mistake in a line of its own, the line's bytes left out: the table below
// checks those against the text.
const char* SpotName(IniSpot spot) {
    switch (spot) {
        case IniSpot::None:
            return "nowhere";
        case IniSpot::LineStart:
            return "at the line's start";
        case IniSpot::InKeyName:
            return "in the key's name";
        case IniSpot::BeforeEquals:
            return "before =";
    }
    return "?";
}

std::string Describe(const IniMistake& m) {
    const std::string line = std::to_string(m.line) + ": ";
    const std::string key = m.key ? m.key : "";
    switch (m.kind) {
        case IniMistakeKind::NoSection:
            return line + "no section";
        case IniMistakeKind::HeaderMistyped:
            return line + "header mistyped" +
                   (m.spot == IniSpot::None ? "" : std::string(", space ") + SpotName(m.spot));
        case IniMistakeKind::KeyOutside:
            return line + key + " outside" +
                   (m.countingLine ? ", in the section of " + std::to_string(m.countingLine) : "");
        case IniMistakeKind::FullWidthSpace:
            return line + "full-width space " + SpotName(m.spot) + ", " + key;
        case IniMistakeKind::NotAComment:
            return line + "meant as a comment";
        case IniMistakeKind::ByteOrderMark:
            return line + "byte order mark";
        case IniMistakeKind::SectionTwice:
            return line + "section again, " + std::to_string(m.countingLine) + " counts";
        case IniMistakeKind::NotAKey:
            return line + "not a key" + (m.key ? ", like " + key : "");
        case IniMistakeKind::KeyTwice:
            return line + key + " again, " + std::to_string(m.countingLine) + " counts";
        case IniMistakeKind::SkippedDomain:
            return line + key + " skips " + std::string(m.item) + ": " + VerdictName(m.verdict);
        case IniMistakeKind::NotANumber:
            return line + key + " is no number: " + std::string(m.item);
    }
    return line + "?";
}

// The text's lines as the finder gives them: without their line ends.
std::vector<std::string_view> LinesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        lines.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
    }
    return lines;
}

// The mistakes in `text`, told as the encoding detected; each one's bytes
// checked against its line, and each item against its bytes.
std::vector<std::string> Mistakes(std::string_view text) {
    IniMistake found[64];
    const std::size_t count = FindIniMistakes(text, IniEncodingOf(text), found);
    EXPECT_LE(count, std::size(found));
    const std::vector<std::string_view> lines = LinesOf(text);
    std::vector<std::string> described;
    for (std::size_t i = 0; i < count && i < std::size(found); ++i) {
        const IniMistake& m = found[i];
        described.push_back(Describe(m));
        if (m.kind == IniMistakeKind::NoSection) {
            EXPECT_TRUE(i == 0 && m.line == 0 && m.text.empty()) << described.back();
            continue;
        }
        EXPECT_TRUE(m.line >= 1 && m.line <= lines.size()) << described.back();
        std::string_view line = lines[m.line - 1];
        if (m.line == 1 && line.starts_with(kUtf8ByteOrderMark)) {
            line.remove_prefix(3);
        }
        EXPECT_EQ(m.text, line) << described.back();
        EXPECT_EQ(m.text.data(), line.data()) << described.back();
        if (m.kind == IniMistakeKind::SkippedDomain) {
            EXPECT_TRUE(m.item.data() >= m.text.data() &&
                        m.item.data() + m.item.size() <= m.text.data() + m.text.size())
                << described.back();
        }
    }
    return described;
}

std::string Joined(const std::vector<std::string>& lines, std::string_view lineEnd) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += lineEnd;
    }
    return text;
}

// Keys typed in full-width mode, "＝" for "=", and other lines that give no
// key: each named, with the key it looks like, in either encoding and with
// either line end; comments, blank lines and other sections never.
TEST(IniMistakesTest, NamesEachLineThatGivesNoKeyAndTheKeyItLooksLike) {
    for (const Encoding encoding : {Encoding::Utf8, Encoding::Cp932}) {
        const char* const typed[] = {
            "; {settings}",
            "# {exempt domains=x.jp}",
            "[k-tai]",
            "exempt domains{=}docomo.ne.jp",
            "{j domains} = a.jp",
            "\t{CONVERT} to {Emoji = }1",
            "{ delete crlf }= 1",
            "convert to emojis=1",
            "docomo.ne.jp",
            "exempt domains docomo.ne.jp",
            "exempt{ }domains{  }=x.jp",
            "j  domains=x.jp",
            "",
            " \t",
            "  ; convert to emoji=1",
            "[other]",
            "exempt domains{=}docomo.ne.jp",
        };
        std::vector<std::string> lines;
        for (const char* line : typed) {
            lines.push_back(Typed(line, encoding));
        }
        const std::vector<std::string> expected = {
            "4: not a key, like exempt domains",
            "5: not a key, like j domains",
            "6: not a key, like convert to emoji",
            "7: not a key, like delete crlf",
            "8: not a key",
            "9: not a key",
            "10: not a key",
            "11: full-width space in the key's name, exempt domains",
            "12: not a key",
            "17: exempt domains outside, in the section of 16",
        };
        for (const std::string_view lineEnd : {"\n", "\r\n"}) {
            const std::string text = Joined(lines, lineEnd);
            SCOPED_TRACE(text);
            ASSERT_EQ(IniEncodingOf(text), encoding);
            EXPECT_EQ(Mistakes(text), expected);
        }
    }
}

// A key given again, in any letter case, and the section given again: only
// the first counts, and its line is named. Lines outside the section are
// named only when they give a key the plug-in reads, and none of those after
// a second header, which that header's mistake accounts for.
TEST(IniMistakesTest, NamesAKeyOrTheSectionGivenAgainWithTheLineThatCounts) {
    const std::string text =
        "delete crlf=1\r\n"       // 1: before any section
        "[k-tai]\r\n"             // 2
        "delete crlf=0\r\n"       // 3
        "convert to emoji=1\r\n"  // 4
        " Delete CRLF = 1\r\n"    // 5
        "j domains=a.jp\r\n"      // 6
        ";delete crlf=1\r\n"      // 7
        "DELETE CRLF=\r\n"        // 8
        "J DOMAINS=nodot\r\n"     // 9: not examined
        "[other]\r\n"             // 10
        "delete crlf=1\r\n"       // 11
        "[ K-TAI ]\r\n"           // 12
        "delete crlf=1\r\n"       // 13
        "nonsense\r\n"            // 14
        "[k-tai]";                // 15
    EXPECT_EQ(Mistakes(text), (std::vector<std::string>{
                                  "1: delete crlf outside",
                                  "5: delete crlf again, 3 counts",
                                  "8: delete crlf again, 3 counts",
                                  "9: j domains again, 6 counts",
                                  "11: delete crlf outside, in the section of 10",
                                  "12: section again, 2 counts",
                                  "15: section again, 2 counts",
                              }));
}

// A setting's value that holds no number where GetPrivateProfileIntA reads
// one reads as 0, off: named, with the value. A number the reader takes
// (after blanks and a sign, in any base it knows, followed by anything) and
// an empty value, which reads 0 as no key does, are not.
TEST(IniMistakesTest, NamesASettingThatHoldsNoNumber) {
    for (const Encoding encoding : {Encoding::Utf8, Encoding::Cp932}) {
        // "１", the digit typed in full-width mode.
        const std::string one = encoding == Encoding::Utf8 ? "\xEF\xBC\x91" : "\x82\x50";
        const std::string text = "[k-tai]\r\nconvert to hankaku=" + one +
                                 "\r\nconvert to emoji=on\r\ndelete crlf=\r\n[other]\r\n"
                                 "convert to emoji=yes\r\n";
        EXPECT_EQ(Mistakes(text), (std::vector<std::string>{
                                      "2: convert to hankaku is no number: " + one,
                                      "3: convert to emoji is no number: on",
                                      // outside: its value is not examined
                                      "6: convert to emoji outside, in the section of 5",
                                  }));
    }
    for (const char* number : {"1", " -1", "+7", "0x1F", "1 ; on", "12abc", "\"1\""}) {
        SCOPED_TRACE(number);
        EXPECT_EQ(Mistakes(std::string("[k-tai]\nconvert to emoji=") + number + "\n"),
                  std::vector<std::string>{});
    }
}

// The exempt domains "abc.jp" after as many commas as make a value of
// `length` bytes.
std::string ListOf(int length) {
    return "exempt domains=" + std::string(static_cast<std::size_t>(length) - 6, ',') + "abc.jp\n";
}

// Each item the plug-in skips, with its reason: of the line that counts,
// read as the plug-in reads it, in either encoding. A domain listed again is
// used (its first writing is), and not named.
TEST(IniMistakesTest, NamesEachDomainTheListThatCountsSkips) {
    struct Case {
        const char* what;
        std::string text;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"UTF-8",
         "[k-tai]\nj domains = \"a.jp, nodot; \xEF\xBD\x81\xEF\xBC\x8E\xEF\xBD\x8A\xEF\xBD\x90"
         "\xE3\x80\x80"
         "a..b @.x.jp A.JP \xE6\x90\xBA.jp\"\n"
         "exempt domains=" +
             std::string(64, 'x') + ".jp\n",
         {"2: j domains skips nodot: no dot", "2: j domains skips a..b: empty part",
          "2: j domains skips @.x.jp: dot at an end",
          "2: j domains skips \xE6\x90\xBA.jp: not a domain character",
          "3: exempt domains skips " + std::string(64, 'x') + ".jp: too long"}},
        {"code page 932, CR LF",
         "[k-tai]\r\nd domains=\x82\x81\x81\x44jp\x81\x41"
         "a.jp\x81\x41\x8C\x67.jp\r\n",
         {"2: d domains skips \x8C\x67.jp: not a domain character"}},
        {"only the line that counts",
         "[k-tai]\ndocomo domains=\ndocomo domains=nodot\n",
         {"3: docomo domains again, 2 counts"}},
        // The plug-in reads kDomainListSize - 1 bytes of a list: one that fills
        // them may end inside a domain.
        {"a list that fits", "[k-tai]\n" + ListOf(kDomainListSize - 2), {}},
        {"a list that fills the buffer",
         "[k-tai]\n" + ListOf(kDomainListSize - 1),
         {"2: exempt domains skips abc.jp: cut off"}},
        {"a list cut",
         "[k-tai]\n" + ListOf(kDomainListSize + 3),
         {"2: exempt domains skips ab: cut off"}},
        {"a list cut, outside the section: not examined",
         ListOf(kDomainListSize + 3),
         {"0: no section", "1: exempt domains outside"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Mistakes(c.text), c.expected);
    }
}

// The section the plug-in reads missing or its header mistyped: every
// setting is off. A line that looks like the header is named where no true
// header is, and the lines under it are not; without one, "no section" comes
// first once a key the plug-in reads stands outside; such a key is named
// wherever it stands outside, with the header of the section it is in. A file
// with no key of the plug-in (empty, comments, other sections) has no mistake.
// Each file in UTF-8 and in code page 932, with CR LF.
TEST(IniMistakesTest, NamesTheSectionMissingOrMistypedAndKeysOutsideIt) {
    struct Case {
        const char* file;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"", {}},
        {"\n\n", {}},
        {"; 携帯の設定\n# exempt domains=a.jp\n", {}},
        {"[other]\nfoo=1\nメモ\n[more]\nbar=2\n", {}},
        {"exempt domains=docomo.ne.jp\nconvert to hankaku=1\n",
         {"0: no section", "1: exempt domains outside", "2: convert to hankaku outside"}},
        {"[other]\nfoo=1\nＣＯＮＶＥＲＴ　ＴＯ　ＥＭＯＪＩ＝１\n",
         {"0: no section", "3: convert to emoji outside, in the section of 1"}},
        {"[ｋ-ｔａｉ]\nconvert to hankaku=1\n", {"1: header mistyped"}},
        {"［k-tai］\nconvert to hankaku=1\n", {"1: header mistyped"}},
        {"【K-TAI】\nconvert to hankaku=1\n", {"1: header mistyped"}},
        {"[ktai]\n", {"1: header mistyped"}},
        {"[k_tai]\n", {"1: header mistyped"}},
        {"[ｋ－ｔａｉ\n", {"1: header mistyped"}},
        {" k-tai ]\n", {"1: header mistyped"}},
        {"　[k-tai]\nj domains=x\n", {"1: header mistyped, space at the line's start"}},
        // Keys above the mistyped header are named; those under it, up to the
        // next header, are not.
        {"delete crlf=1\n[ktai]\nconvert to hankaku=1\n[other]\nconvert to emoji=1\n",
         {"1: delete crlf outside", "2: header mistyped",
          "5: convert to emoji outside, in the section of 4"}},
        // Only where no true header is: beside one, "[ktai]" is another section.
        {"[ktai]\nj domains=a.jp\n[k-tai]\nk-tai\n",
         {"2: j domains outside, in the section of 1", "4: not a key"}},
        // Not like the header: more than the name, or another name.
        {"[k-tai2]\n[携帯]\n【k-tai】設定\nk tai\n", {}},
    };
    for (const Case& c : cases) {
        std::string crlf;
        for (const char ch : std::string_view(c.file)) {
            crlf += ch == '\n' ? "\r\n" : std::string(1, ch);
        }
        for (const bool cp932 : {false, true}) {
            const std::string text = cp932 ? telepost_tests::Cp932(crlf) : crlf;
            SCOPED_TRACE(text);
            EXPECT_EQ(Mistakes(text), c.expected);
        }
    }
}

// A line the plug-in cannot read for want of something the user cannot see
// or did not mean: a full-width space (where it stands), a note not begun
// with ";" (a line of Japanese, "//", "；", "＃"), and in a list a mail
// address, a separator the list does not take, a full stop at the end. A
// line with full-width letters as well is told as a key typed in full-width
// mode. Each in UTF-8 and in code page 932.
TEST(IniMistakesTest, NamesWhatTheUserCannotSeeOrDidNotMean) {
    struct Case {
        const char* line;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"exempt domains　=a.jp", {"2: full-width space before =, exempt domains"}},
        {"　convert to emoji=1", {"2: full-width space at the line's start, convert to emoji"}},
        {"exempt　domains=a.jp", {"2: full-width space in the key's name, exempt domains"}},
        {"delete crlf　　= 1", {"2: full-width space before =, delete crlf"}},
        {"　ｄelete crlf=1", {"2: not a key, like delete crlf"}},
        {"exempt domains　＝a.jp", {"2: not a key, like exempt domains"}},
        {"携帯の設定", {"2: meant as a comment"}},
        {"// exempt domains=a.jp", {"2: meant as a comment"}},
        {"／／ メモ", {"2: meant as a comment"}},
        {"；メモ", {"2: meant as a comment"}},
        {"＃メモ", {"2: meant as a comment"}},
        {"メモ＝あとで", {"2: not a key"}},
        {"memo", {"2: not a key"}},
        {"exempt domains=taro@docomo.ne.jp ＠au.com jiro＠ezweb.ne.jp",
         {"2: exempt domains skips taro@docomo.ne.jp: mail address",
          "2: exempt domains skips jiro＠ezweb.ne.jp: mail address"}},
        {"j domains=a.jp・b.jp c.jp／d.jp e.jp/f.jp g.jp|h.jp i.jp：j.jp",
         {"2: j domains skips a.jp・b.jp: foreign separator",
          "2: j domains skips c.jp／d.jp: foreign separator",
          "2: j domains skips e.jp/f.jp: foreign separator",
          "2: j domains skips g.jp|h.jp: foreign separator",
          "2: j domains skips i.jp：j.jp: foreign separator"}},
        {"j domains=a.jp。", {"2: j domains skips a.jp。: dot at an end"}},
        {"j domains=a.jp a.jp Ａ．ＪＰ", {}},
    };
    for (const Case& c : cases) {
        for (const bool cp932 : {false, true}) {
            const std::string utf8 = std::string("[k-tai]\r\n") + c.line + "\r\n";
            const std::string text = cp932 ? telepost_tests::Cp932(utf8) : utf8;
            std::vector<std::string> expected;
            for (const std::string& e : c.expected) {
                expected.push_back(cp932 ? telepost_tests::Cp932(e) : e);
            }
            SCOPED_TRACE(text);
            EXPECT_EQ(Mistakes(text), expected);
        }
    }
}

// A byte order mark hides the section whose header it stands on: named, and
// that section's lines with it; before anything else it does no harm.
TEST(IniMistakesTest, NamesAByteOrderMarkOnlyWhereItHidesTheSection) {
    const std::string bom = kUtf8ByteOrderMark;
    struct Case {
        std::string text;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {bom + "[k-tai]\r\nnonsense\r\n", {"1: byte order mark"}},
        {bom + " [ K-tai ] \r\nnonsense\r\n[k-tai]\r\nmore nonsense\r\n",
         {"1: byte order mark", "4: not a key"}},
        {bom + "; comment\r\n[k-tai]\r\nnonsense\r\n", {"3: not a key"}},
        {bom + "[other]\r\nnonsense\r\n", {}},
        {bom + "\r\n[k-tai]\r\n", {}},
        {"\r\n" + bom + "[k-tai]\r\n", {}},  // no mark: bytes on the second line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Mistakes(c.text), c.expected);
    }
}

// A caller's array holds the first mistakes, however many there are, and the
// count says how many more there are.
TEST(IniMistakesTest, KeepsTheFirstMistakesAndCountsThemAll) {
    std::string text = "[k-tai]\n";
    for (int i = 0; i < 30; ++i) {
        text += "nonsense ";
        text += std::to_string(i);
        text += "\n";
    }
    IniMistake all[40];
    ASSERT_EQ(FindIniMistakes(text, Encoding::Utf8, all), 30u);
    IniMistake few[4];
    EXPECT_EQ(FindIniMistakes(text, Encoding::Utf8, few), 30u);
    for (std::size_t i = 0; i < std::size(few); ++i) {
        EXPECT_EQ(Describe(few[i]), Describe(all[i]));
        EXPECT_EQ(few[i].text, all[i].text);
    }
    EXPECT_EQ(FindIniMistakes(text, Encoding::Utf8, {}), 30u);
    EXPECT_EQ(FindIniMistakes("", Encoding::Utf8, few), 0u);
}

}  // namespace
}  // namespace telepost
