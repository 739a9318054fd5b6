// A settings file as people write it by hand, read by the loaded plug-in:
// each mistake in the settings' section told once, naming its line, in any
// encoding and with any line ends; a byte order mark told only where it hides
// the section; and the same settings from a file in UTF-8 on every system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cp932.h"
#include "host.h"
#include "support/plugin_under_test.h"
#include "telepost/contract.h"
#include "user.h"

namespace hostsim {
namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using telepost_tests::Cp932;

// `text` with each LF made CR LF.
std::string WithCrLf(const std::string& text) {
    std::string crlf;
    for (char c : text) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    return crlf;
}

class IniMistakesTest : public testing::Test {
  protected:
    void TearDown() override { std::remove(ini_.c_str()); }

    // Starts the plug-in with `bytes` as its INI file.
    void Start(const std::string& bytes) {
        std::ofstream(ini_, std::ios::binary) << bytes;
        std::string error;
        ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
        host_.Plugin().BKC_OnStart();
    }

    // Opens two compose windows: what the plug-in told the user.
    std::vector<MessageBoxSeen> Told() {
        User user;
        for (int i = 0; i < 2; ++i) {
            host_.CloseCompose(host_.OpenCompose(Message{}));
        }
        return user.MessageBoxes();
    }

    // What a send to a DoCoMo address makes of `body`.
    std::string SentToDoCoMo(const std::string& body) {
        Message message;
        message.headers = {{"To", "taro@docomo.ne.jp"}};
        message.body = body;
        HWND window = host_.OpenCompose(message);
        host_.Plugin().BKC_OnOutgoing(window, 0);
        std::string sent = host_.Body(window);
        host_.CloseCompose(window);
        return sent;
    }

    std::string ini_ = IniUnderTest();
    Host host_;
};

// A file with a mistake of each kind, between comments and another section
// that are never named.
const std::string kFile =
    "; 携帯メールの設定\n"
    "[k-tai]\n"
    "exempt domains＝docomo.ne.jp\n"
    "ｅｘｅｍｐｔ　ｄｏｍａｉｎｓ=au.com\n"
    "exempt domains=docomo.ne.jp\n"
    "exempt domains=au.com\n"
    "# メモ\n"
    "docomo domains=example, a..jp\n"
    "convet to hankaku=1\n"
    "convert to emoji=１\n"
    "[ほかの設定]\n"
    "exempt domains＝x\n";

std::string ExpectedNotice(const std::string& ini) {
    return Cp932("設定ファイルの次の行には誤りがあり、書かれた内容の一部が使われていません。\n") +
           ini + "\n\n" +
           Cp932(
               "3 行目: exempt domains＝docomo.ne.jp\n"
               "　全角の文字が含まれているため、使われていません。「exempt domains」のつもりでした"
               "ら、キー名と「=」を半角で入力してください。\n"
               "4 行目: ｅｘｅｍｐｔ　ｄｏｍａｉｎｓ=au.com\n"
               "　全角の文字が含まれているため、使われていません。「exempt domains」のつもりでした"
               "ら、キー名と「=」を半角で入力してください。\n"
               "6 行目: exempt domains=au.com\n"
               "　「exempt domains」は 5 行目にもあるため、この行は使われていません（同じキーは最初"
               "の行だけが使われます）。ドメインを増やすときは、5 行目に「,」で区切って書き足して"
               "ください。\n"
               "8 行目: docomo domains=example, a..jp\n"
               "　「example」は、ドットを含まないため使われていません。\n"
               "　「a..jp」は、ドットが 2 つ続いているため使われていません。\n"
               "9 行目: convet to hankaku=1\n"
               "　テレポストが読み取る設定の項目ではないため、使われていません。キー名のつづりをご"
               "確認ください。\n"
               "10 行目: convert to emoji=１\n"
               "　値「１」を数として読み取れないため、0（オフ）として扱われています。半角の数字で"
               "書いてください。\n"
               "\n"
               "メモ帳などでファイルを直して保存してから、メールソフトを起動し直してください。");
}

TEST_F(IniMistakesTest, EachMistakeIsToldOnceNamingItsLine) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"code page 932, CR LF", WithCrLf(Cp932(kFile))},
        {"code page 932, LF", Cp932(kFile)},
        {"UTF-8, CR LF", WithCrLf(kFile)},
        {"UTF-8, LF", kFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(Start(c.bytes));
        const std::vector<MessageBoxSeen> boxes = Told();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, ExpectedNotice(ini_));
        EXPECT_EQ(boxes[0].caption, telepost::kPluginName);
        // The file is only read.
        EXPECT_EQ(ReadBytes(ini_), c.bytes);
        // What the mistakes leave: docomo.ne.jp exempt (line 5), none added.
        EXPECT_EQ(SentToDoCoMo(Cp932("Ａ")), Cp932("Ａ"));
        host_.Unload();
    }
}

// So many mistakes that naming them all would not fit on a screen: the first
// few are named, and how many more there are.
TEST_F(IniMistakesTest, ManyMistakesFitOnAScreen) {
    std::string file = "[k-tai]\r\n";
    for (int i = 0; i < 40; ++i) {
        file += std::string("not a key ") + std::to_string(i) + "\r\n";
    }
    ASSERT_NO_FATAL_FAILURE(Start(file));
    const std::vector<MessageBoxSeen> boxes = Told();
    ASSERT_EQ(boxes.size(), 1u);
    const std::string& text = boxes[0].text;
    EXPECT_NE(text.find(Cp932("2 行目: not a key 0\n")), std::string::npos) << text;
    EXPECT_EQ(text.find(Cp932("行目: not a key 39")), std::string::npos) << text;
    EXPECT_NE(text.find(Cp932("ほかに ")), std::string::npos) << text;
    EXPECT_LT(std::count(text.begin(), text.end(), '\n'), 30);
}

// A byte order mark hides nothing before a comment line, and is not told;
// on the settings' header it hides the whole section: told, and OK leaves the
// file as it is, saying why, for a second section would hide behind the first
// once the mark is gone.
TEST_F(IniMistakesTest, AByteOrderMarkIsToldOnlyWhereItHidesTheSection) {
    const std::string bom = "\xEF\xBB\xBF";
    ASSERT_NO_FATAL_FAILURE(Start(bom + "; 設定\r\n[k-tai]\r\nconvert to hankaku=1\r\n"));
    EXPECT_EQ(Told(), std::vector<MessageBoxSeen>{});
    EXPECT_EQ(SentToDoCoMo(Cp932("Ａ")), "A");
    host_.Unload();

    const std::string hidden = bom + "[k-tai]\r\nconvert to hankaku=1\r\n; 設定\r\n";
    ASSERT_NO_FATAL_FAILURE(Start(hidden));
    ASSERT_EQ(Told().size(), 1u);
    User user;
    user.OnDialog([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDOK, 0); });
    user.OnMessageBox([](const MessageBoxSeen& box) {
        PostMessageA(box.owner, WM_COMMAND, IDCANCEL, 0);  // the dialog, once the box is answered
        return IDOK;
    });
    host_.Plugin().BKC_OnPlugInSetup(nullptr);
    ASSERT_EQ(user.MessageBoxes().size(), 1u);
    EXPECT_EQ(
        user.MessageBoxes()[0].text,
        Cp932("設定を保存できませんでした。\n") + ini_ + "\n" +
            Cp932("この設定ファイルは「UTF-8 (BOM 付き)」で保存されているため、Windows はファ"
                  "イルの 1 行目にある設定の見出しを読み取れません。このまま保存すると見出しが"
                  "二重になり、BOM を取り除いた後も保存した設定が使われなくなるため、設定は保存"
                  "していません。\n\nキャンセルで設定画面を閉じ、メモ帳でこのファイルを開いて、"
                  "「名前を付けて保存」で文字コードを「ANSI」または「UTF-8」に変えて上書き保存し"
                  "てから、設定画面を開き直して OK を押してください。ファイルに書かれた設定とド"
                  "メインの一覧が使われるようになります。"));
    EXPECT_EQ(ReadBytes(ini_), hidden);
}

// A file in UTF-8 with LF line ends whose line before the header ends in a
// full-width character ("）" ends in 0x89, a lead byte of code page 932, which
// a system reading the file through that code page takes with the LF): every
// setting is read from the file's bytes, alike on every system.
TEST_F(IniMistakesTest, AFileInUtf8GivesTheSameSettingsOnEverySystem) {
    ASSERT_NO_FATAL_FAILURE(
        Start("; 設定（見本）\n[k-tai]\nconvert to hankaku=1\n"
              "convert to emoji=0\nexempt domains=au.com\n"));
    EXPECT_EQ(Told(), std::vector<MessageBoxSeen>{});
    EXPECT_EQ(SentToDoCoMo(Cp932("Ａ●")), std::string("A") + Cp932("●"));
}

}  // namespace
}  // namespace hostsim
