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

// A file with a mistake of each kind, between comments and a line of
// another section that are never named.
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
    "exempt domains＝x\n"
    "色=青\n";

std::string ExpectedNotice(const std::string& ini) {
    return Cp932("設定ファイルの次の行には誤りがあり、書かれた内容の一部が使われていません。\n") +
           ini + "\n\n" +
           Cp932(
               "3 行目: exempt domains＝docomo.ne.jp\n"
               "　全角の文字が含まれているため、使われていません。「exempt "
               "domains」として使うには、"
               "キー名と「=」を半角で入力してください。\n"
               "4 行目: ｅｘｅｍｐｔ　ｄｏｍａｉｎｓ=au.com\n"
               "　全角の文字が含まれているため、使われていません。「exempt "
               "domains」として使うには、"
               "キー名と「=」を半角で入力してください。\n"
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
               "　値「１」を数値として読み取れないため、0（オフ）として扱われています。半角の数字で"
               "、"
               "オンにするときは 1、オフにするときは 0 と書いてください。\n"
               "12 行目: exempt domains＝x\n"
               "　「exempt domains」は 11 "
               "行目から始まるほかのセクションの中にあるため、使われていませ"
               "ん。[k-tai] の行の下に移してください。\n"
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

// The settings' section missing or mistyped, keys outside it, and what a
// user cannot see or did not mean: each file, in code page 932 and in UTF-8
// with CR LF, gives the whole notice written here (between the opening and
// the path, and the closing advice, which every notice has); a file with no
// key of the plug-in gives none.
TEST_F(IniMistakesTest, EachFileGivesItsWholeNotice) {
    struct Case {
        const char* what;
        const char* file;
        const char* told;  // null: nothing told
        std::string sent;  // what a send to DoCoMo makes of "Ａ"
    };
    const std::string converted = "A";
    const std::string kept = Cp932("Ａ");
    const Case cases[] = {
        {"an empty file", "", nullptr, kept},
        {"other sections only", "; メモ\n[other]\nname=1\nメモ\n", nullptr, kept},
        {"no section", "convert to hankaku=1\nexempt domains=docomo.ne.jp\n",
         "[k-tai] の行が見つからないため、テレポストの設定とドメインの一覧はすべて使われていません"
         "（設定はすべてオフとして扱われます）。テレポストの設定を書いた行の上に、半角で「[k-tai]」"
         "とだけ書いた行を加えてください。\n"
         "1 行目: convert to hankaku=1\n"
         "　「convert to hankaku」は [k-tai] の行の下にないため、使われていません。[k-tai] の行の"
         "下に移してください。\n"
         "2 行目: exempt domains=docomo.ne.jp\n"
         "　「exempt domains」は [k-tai] の行の下にないため、使われていません。[k-tai] の行の下に"
         "移してください。\n",
         kept},
        {"the header typed in full-width mode", "; 設定\n[ｋ－ｔａｉ]\nconvert to hankaku=1\n",
         "2 行目: [ｋ－ｔａｉ]\n"
         "　[k-tai] "
         "の行として読み取れないため、テレポストの設定とドメインの一覧はすべて使われていま"
         "せん（設定はすべてオフとして扱われます）。この行を、半角で「[k-tai]」とだけ書き直してくだ"
         "さい。\n",
         kept},
        {"the header after a full-width space, a key above it",
         "convert to emoji=1\n　【k-tai】\nconvert to hankaku=1\n",
         "1 行目: convert to emoji=1\n"
         "　「convert to emoji」は [k-tai] の行の下にないため、使われていません。[k-tai] の行の下"
         "に移してください。\n"
         "2 行目: 　【k-tai】\n"
         "　[k-tai] "
         "の行として読み取れないため、テレポストの設定とドメインの一覧はすべて使われていま"
         "せん（設定はすべてオフとして扱われます）。この行を、半角で「[k-tai]」とだけ書き直してくだ"
         "さい。行の先頭にある全角スペースも消してください。\n",
         kept},
        {"a key above the section and in another",
         "delete crlf=1\n[k-tai]\nconvert to hankaku=1\n[other]\nexempt domains=au.com\n",
         "1 行目: delete crlf=1\n"
         "　「delete crlf」は [k-tai] の行の下にないため、使われていません。[k-tai] の行の下に移し"
         "てください。\n"
         "5 行目: exempt domains=au.com\n"
         "　「exempt domains」は 4 行目から始まるほかのセクションの中にあるため、使われていません。"
         "[k-tai] の行の下に移してください。\n",
         converted},
        {"what a user cannot see or did not mean",
         "[k-tai]\nconvert to hankaku　=1\n　exempt domains=au.com\nj　domains=a.jp\n"
         "携帯電話の設定\n// メモ\n"
         "docomo domains=taro@docomo.ne.jp a.jp・b.jp c.jp。 c.jp\n",
         "2 行目: convert to hankaku　=1\n"
         "　「=」の前に全角スペースがあるため、「convert to hankaku」として読み取れず、使われて"
         "いません。全角スペースを消してください。\n"
         "3 行目: 　exempt domains=au.com\n"
         "　行の先頭に全角スペースがあるため、「exempt domains」として読み取れず、使われていま"
         "せん。全角スペースを消してください。\n"
         "4 行目: j　domains=a.jp\n"
         "　キー名の途中に全角スペースがあるため、「j domains」として読み取れず、使われていま"
         "せん。全角スペースを半角のスペースに変えてください。\n"
         "5 行目: 携帯電話の設定\n"
         "　設定の行としても説明の行（コメント）としても読み取れません。説明の行は、行の先頭に"
         "半角の「;」を付けて書いてください。\n"
         "6 行目: // メモ\n"
         "　設定の行としても説明の行（コメント）としても読み取れません。説明の行は、行の先頭に"
         "半角の「;」を付けて書いてください。\n"
         "7 行目: docomo domains=taro@docomo.ne.jp a.jp・b.jp c.jp。 c.jp\n"
         "　「taro@docomo.ne.jp」は、メールアドレスの形で書かれているため使われていません。"
         "「@」より後ろのドメインの部分だけを書いてください。\n"
         "　「a.jp・b.jp」は、一覧の区切りに使えない文字（「・」「／」など）を含むため使われて"
         "いません。ドメインの間は、「,」「、」または空白で区切ってください。\n"
         "　「c.jp。」は、先頭か末尾がドット（「.」や「。」）であるため使われていません。先頭と"
         "末尾の「.」や「。」を消してください。\n",
         kept},
        {"more than the box shows", "[k-tai]\na\nb\nc\nd\ne\nf\ng\nh\ni\nj\n",
         "2 行目: a\n"
         "　テレポストが読み取る設定の項目ではないため、使われていません。キー名のつづりをご確認く"
         "ださい。\n"
         "3 行目: b\n"
         "　テレポストが読み取る設定の項目ではないため、使われていません。キー名のつづりをご確認く"
         "ださい。\n"
         "4 行目: c\n"
         "　テレポストが読み取る設定の項目ではないため、使われていません。キー名のつづりをご確認く"
         "ださい。\n"
         "5 行目: d\n"
         "　テレポストが読み取る設定の項目ではないため、使われていません。キー名のつづりをご確認く"
         "ださい。\n"
         "6 行目: e\n"
         "　テレポストが読み取る設定の項目ではないため、使われていません。キー名のつづりをご確認く"
         "ださい。\n"
         "7 行目: f\n"
         "　テレポストが読み取る設定の項目ではないため、使われていません。キー名のつづりをご確認く"
         "ださい。\n"
         "8 行目: g\n"
         "　テレポストが読み取る設定の項目ではないため、使われていません。キー名のつづりをご確認く"
         "ださい。\n"
         "9 行目: h\n"
         "　テレポストが読み取る設定の項目ではないため、使われていません。キー名のつづりをご確認く"
         "ださい。\n"
         "ほかに 2 件あります。上の行を直してメールソフトを起動し直すと、残りが表示されます。\n",
         kept},
    };
    for (const Case& c : cases) {
        for (const bool cp932 : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (cp932 ? ", code page 932" : ", UTF-8"));
            const std::string file = WithCrLf(c.file);
            ASSERT_NO_FATAL_FAILURE(Start(cp932 ? Cp932(file) : file));
            const std::vector<MessageBoxSeen> boxes = Told();
            std::vector<std::string> texts;
            for (const MessageBoxSeen& box : boxes) {
                texts.push_back(box.text);
            }
            std::vector<std::string> expected;
            if (c.told) {
                expected.push_back(
                    Cp932("設定ファイルの次の行には誤りがあり、書かれた内容の一部が使われていま"
                          "せん。\n") +
                    ini_ + "\n\n" + Cp932(c.told) +
                    Cp932("\nメモ帳などでファイルを直して保存してから、メールソフトを起動し直"
                          "してください。"));
            }
            EXPECT_EQ(texts, expected);
            EXPECT_EQ(SentToDoCoMo(Cp932("Ａ")), c.sent);
            host_.Unload();
        }
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
                  "イルの 1 行目にある [k-tai] の行を読み取れません。このまま保存すると [k-tai] "
                  "の行が二重になり、BOM を取り除いた後も保存した設定が使われなくなるため、設定は"
                  "保存していません。\n\nキャンセルで設定画面を閉じ、メモ帳でこのファイルを開いて、"
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
