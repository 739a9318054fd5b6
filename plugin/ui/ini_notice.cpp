// The notice about the INI file that the plug-in gives once a start: a file
// saved as UTF-8 with a byte order mark on the settings' header, which
// Windows does not see; a file whose path the plug-in could not form; or the
// lines of the settings' section that the plug-in passes over (a line that
// gives no key it reads, a key given twice, a domain a list skips), each
// named with its number. The file itself is never changed.
#include <windows.h>

#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>
#include <string_view>

#include "host/process_state.h"
#include "telepost/contract.h"
#include "telepost/ini_mistakes.h"
#include "telepost/sjis.h"
#include "ui/ui.h"

namespace telepost {

namespace {

// The texts, each notice's account of the trouble, then (after the file's
// path, when there is one) what the user can do.
// 設定ファイルが「UTF-8 (BOM 付き)」の形式で保存されているため、Windows はファ
// イルの最初の行を読み取れません。このままでは、テレポストの設定とドメインの一
// 覧が読み込まれず、設定はすべてオフとして扱われます。
constexpr char kByteOrderMark[] =
    "\x90\xDD\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x81\x75UTF-8 (BOM \x95\x74\x82\xAB"
    ")\x81\x76\x82\xCC\x8C\x60\x8E\xAE\x82\xC5\x95\xDB\x91\xB6\x82\xB3\x82\xEA\x82\xC4\x82\xA2"
    "\x82\xE9\x82\xBD\x82\xDF\x81\x41Windows \x82\xCD\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x8D"
    "\xC5\x8F\x89\x82\xCC\x8D\x73\x82\xF0\x93\xC7\x82\xDD\x8E\xE6\x82\xEA\x82\xDC\x82\xB9\x82\xF1"
    "\x81\x42\x82\xB1\x82\xCC\x82\xDC\x82\xDC\x82\xC5\x82\xCD\x81\x41\x83\x65\x83\x8C\x83\x7C\x83"
    "\x58\x83\x67\x82\xCC\x90\xDD\x92\xE8\x82\xC6\x83\x68\x83\x81\x83\x43\x83\x93\x82\xCC\x88\xEA"
    "\x97\x97\x82\xAA\x93\xC7\x82\xDD\x8D\x9E\x82\xDC\x82\xEA\x82\xB8\x81\x41\x90\xDD\x92\xE8\x82"
    "\xCD\x82\xB7\x82\xD7\x82\xC4\x83\x49\x83\x74\x82\xC6\x82\xB5\x82\xC4\x88\xB5\x82\xED\x82\xEA"
    "\x82\xDC\x82\xB7\x81\x42";
// メモ帳でこのファイルを開き、「名前を付けて保存」で文字コードを「UTF-8 (BOM
// 付き)」から「ANSI」または「UTF-8」に変えて上書き保存し、メールソフトを起動し
// 直してください。
constexpr char kByteOrderMarkFix[] =
    "\x83\x81\x83\x82\x92\xA0\x82\xC5\x82\xB1\x82\xCC\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x8A"
    "\x4A\x82\xAB\x81\x41\x81\x75\x96\xBC\x91\x4F\x82\xF0\x95\x74\x82\xAF\x82\xC4\x95\xDB\x91\xB6"
    "\x81\x76\x82\xC5\x95\xB6\x8E\x9A\x83\x52\x81\x5B\x83\x68\x82\xF0\x81\x75UTF-8 (BOM \x95\x74"
    "\x82\xAB)\x81\x76\x82\xA9\x82\xE7\x81\x75"
    "ANSI\x81\x76\x82\xDC\x82\xBD\x82\xCD\x81\x75UTF-8\x81\x76\x82\xC9\x95\xCF\x82\xA6\x82\xC4"
    "\x8F\xE3\x8F\x91\x82\xAB\x95\xDB\x91\xB6\x82\xB5\x81\x41\x83\x81\x81\x5B\x83\x8B\x83\x5C\x83"
    "\x74\x83\x67\x82\xF0\x8B\x4E\x93\xAE\x82\xB5\x92\xBC\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3"
    "\x82\xA2\x81\x42";
// プラグインのフォルダーのパスが長すぎるため、設定ファイル TELEPOST.ini の場所
// を決められません。テレポストの設定とドメインの一覧は読み込まれず、設定はすべ
// てオフとして扱われます。設定を保存することもできません。
constexpr char kNoPath[] =
    "\x83\x76\x83\x89\x83\x4F\x83\x43\x83\x93\x82\xCC\x83\x74\x83\x48\x83\x8B\x83\x5F\x81\x5B\x82"
    "\xCC\x83\x70\x83\x58\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xE9\x82\xBD\x82\xDF\x81\x41\x90\xDD"
    "\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B TELEPOST.ini \x82\xCC\x8F\xEA\x8F\x8A\x82\xF0\x8C"
    "\x88\x82\xDF\x82\xE7\x82\xEA\x82\xDC\x82\xB9\x82\xF1\x81\x42\x83\x65\x83\x8C\x83\x7C\x83\x58"
    "\x83\x67\x82\xCC\x90\xDD\x92\xE8\x82\xC6\x83\x68\x83\x81\x83\x43\x83\x93\x82\xCC\x88\xEA\x97"
    "\x97\x82\xCD\x93\xC7\x82\xDD\x8D\x9E\x82\xDC\x82\xEA\x82\xB8\x81\x41\x90\xDD\x92\xE8\x82\xCD"
    "\x82\xB7\x82\xD7\x82\xC4\x83\x49\x83\x74\x82\xC6\x82\xB5\x82\xC4\x88\xB5\x82\xED\x82\xEA\x82"
    "\xDC\x82\xB7\x81\x42\x90\xDD\x92\xE8\x82\xF0\x95\xDB\x91\xB6\x82\xB7\x82\xE9\x82\xB1\x82\xC6"
    "\x82\xE0\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42";
// 設定ファイルのパスは 259 バイト（全角文字は 2 バイト）までです。メールソフト
// をパスの短いフォルダーに移すなどしてプラグインのフォルダーのパスを短くし、メ
// ールソフトを起動し直してください。
constexpr char kNoPathFix[] =
    "\x90\xDD\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x83\x70\x83\x58\x82\xCD 259 \x83"
    "\x6F\x83\x43\x83\x67\x81\x69\x91\x53\x8A\x70\x95\xB6\x8E\x9A\x82\xCD 2 \x83\x6F\x83\x43\x83"
    "\x67\x81\x6A\x82\xDC\x82\xC5\x82\xC5\x82\xB7\x81\x42\x83\x81\x81\x5B\x83\x8B\x83\x5C\x83\x74"
    "\x83\x67\x82\xF0\x83\x70\x83\x58\x82\xCC\x92\x5A\x82\xA2\x83\x74\x83\x48\x83\x8B\x83\x5F\x81"
    "\x5B\x82\xC9\x88\xDA\x82\xB7\x82\xC8\x82\xC7\x82\xB5\x82\xC4\x83\x76\x83\x89\x83\x4F\x83\x43"
    "\x83\x93\x82\xCC\x83\x74\x83\x48\x83\x8B\x83\x5F\x81\x5B\x82\xCC\x83\x70\x83\x58\x82\xF0\x92"
    "\x5A\x82\xAD\x82\xB5\x81\x41\x83\x81\x81\x5B\x83\x8B\x83\x5C\x83\x74\x83\x67\x82\xF0\x8B\x4E"
    "\x93\xAE\x82\xB5\x92\xBC\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
static_assert(MAX_PATH - 1 == 259, "kNoPathFix names the longest path");
// 設定ファイルの次の行には誤りがあり、書かれた内容の一部が使われていません。
constexpr char kMistakes[] =
    "\x90\xDD\x92\xE8\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xCC\x8E\x9F\x82\xCC\x8D\x73"
    "\x82\xC9\x82\xCD\x8C\xEB\x82\xE8\x82\xAA\x82\xA0\x82\xE8\x81\x41\x8F\x91\x82\xA9"
    "\x82\xEA\x82\xBD\x93\xE0\x97\x65\x82\xCC\x88\xEA\x95\x94\x82\xAA\x8E\x67\x82\xED"
    "\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x42";
// メモ帳などでファイルを直して保存してから、メールソフトを起動し直してください
// 。
constexpr char kMistakesFix[] =
    "\x83\x81\x83\x82\x92\xA0\x82\xC8\x82\xC7\x82\xC5\x83\x74\x83\x40\x83\x43\x83\x8B"
    "\x82\xF0\x92\xBC\x82\xB5\x82\xC4\x95\xDB\x91\xB6\x82\xB5\x82\xC4\x82\xA9\x82\xE7"
    "\x81\x41\x83\x81\x81\x5B\x83\x8B\x83\x5C\x83\x74\x83\x67\x82\xF0\x8B\x4E\x93\xAE"
    "\x82\xB5\x92\xBC\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
// Before each line named: its number, then its text.
// %u 行目:
constexpr char kLineNumber[] = "%u \x8D\x73\x96\xDA: ";
// How each mistake is explained, on a line of its own under the line named.
// 　テレポストが読み取る設定の項目ではないため、使われていません。キー名のつづ
// りをご確認ください。
constexpr char kNotAKey[] =
    "\x81\x40\x83\x65\x83\x8C\x83\x7C\x83\x58\x83\x67\x82\xAA\x93\xC7\x82\xDD\x8E\xE6"
    "\x82\xE9\x90\xDD\x92\xE8\x82\xCC\x8D\x80\x96\xDA\x82\xC5\x82\xCD\x82\xC8\x82\xA2"
    "\x82\xBD\x82\xDF\x81\x41\x8E\x67\x82\xED\x82\xEA\x82\xC4\x82\xA2\x82\xDC\x82\xB9"
    "\x82\xF1\x81\x42\x83\x4C\x81\x5B\x96\xBC\x82\xCC\x82\xC2\x82\xC3\x82\xE8\x82\xF0"
    "\x82\xB2\x8A\x6D\x94\x46\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
// 　全角の文字が含まれているため、使われていません。「%s」のつもりでしたら、
// キー名と「=」を半角で入力してください。
constexpr char kLooksLikeKey[] =
    "\x81\x40\x91\x53\x8A\x70\x82\xCC\x95\xB6\x8E\x9A\x82\xAA\x8A\xDC\x82\xDC\x82\xEA"
    "\x82\xC4\x82\xA2\x82\xE9\x82\xBD\x82\xDF\x81\x41\x8E\x67\x82\xED\x82\xEA\x82\xC4"
    "\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x42\x81\x75%s\x81\x76\x82\xCC\x82\xC2\x82\xE0"
    "\x82\xE8\x82\xC5\x82\xB5\x82\xBD\x82\xE7\x81\x41\x83\x4C\x81\x5B\x96\xBC\x82\xC6"
    "\x81\x75=\x81\x76\x82\xF0\x94\xBC\x8A\x70\x82\xC5\x93\xFC\x97\xCD\x82\xB5\x82\xC4"
    "\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
// 　「%s」は %u 行目にもあるため、この行は使われていません（同じキーは最
// 初の行だけが使われます）。
constexpr char kKeyTwice[] =
    "\x81\x40\x81\x75%s\x81\x76\x82\xCD %u \x8D\x73\x96\xDA\x82\xC9\x82\xE0\x82\xA0\x82\xE9"
    "\x82\xBD\x82\xDF\x81\x41\x82\xB1\x82\xCC\x8D\x73\x82\xCD\x8E\x67\x82\xED\x82\xEA"
    "\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x69\x93\xAF\x82\xB6\x83\x4C\x81\x5B"
    "\x82\xCD\x8D\xC5\x8F\x89\x82\xCC\x8D\x73\x82\xBE\x82\xAF\x82\xAA\x8E\x67\x82\xED"
    "\x82\xEA\x82\xDC\x82\xB7\x81\x6A\x81\x42";
// ドメインを増やすときは、%u 行目に「,」で区切って書き足してください。
constexpr char kListTwice[] =
    "\x83\x68\x83\x81\x83\x43\x83\x93\x82\xF0\x91\x9D\x82\xE2\x82\xB7\x82\xC6\x82\xAB"
    "\x82\xCD\x81\x41%u \x8D\x73\x96\xDA\x82\xC9\x81\x75,\x81\x76\x82\xC5\x8B\xE6\x90\xD8"
    "\x82\xC1\x82\xC4\x8F\x91\x82\xAB\x91\xAB\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3"
    "\x82\xA2\x81\x42";
// 　設定の見出しは %u 行目にもあるため、この見出しから次の見出しまでの行は
// 使われていません（最初の見出しの内容だけが使われます）。
constexpr char kSectionTwice[] =
    "\x81\x40\x90\xDD\x92\xE8\x82\xCC\x8C\xA9\x8F\x6F\x82\xB5\x82\xCD %u \x8D\x73\x96\xDA"
    "\x82\xC9\x82\xE0\x82\xA0\x82\xE9\x82\xBD\x82\xDF\x81\x41\x82\xB1\x82\xCC\x8C\xA9"
    "\x8F\x6F\x82\xB5\x82\xA9\x82\xE7\x8E\x9F\x82\xCC\x8C\xA9\x8F\x6F\x82\xB5\x82\xDC"
    "\x82\xC5\x82\xCC\x8D\x73\x82\xCD\x8E\x67\x82\xED\x82\xEA\x82\xC4\x82\xA2\x82\xDC"
    "\x82\xB9\x82\xF1\x81\x69\x8D\xC5\x8F\x89\x82\xCC\x8C\xA9\x8F\x6F\x82\xB5\x82\xCC"
    "\x93\xE0\x97\x65\x82\xBE\x82\xAF\x82\xAA\x8E\x67\x82\xED\x82\xEA\x82\xDC\x82\xB7"
    "\x81\x6A\x81\x42";
// 　「%s」は、%sため使われていません。
constexpr char kSkippedDomain[] =
    "\x81\x40\x81\x75%s\x81\x76\x82\xCD\x81\x41%s\x82\xBD\x82\xDF\x8E\x67\x82\xED\x82\xEA"
    "\x82\xC4\x82\xA2\x82\xDC\x82\xB9\x82\xF1\x81\x42";
// ほかに %u 件あります。
constexpr char kMore[] =
    "\x82\xD9\x82\xA9\x82\xC9 %u \x8C\x8F\x82\xA0\x82\xE8\x82\xDC\x82\xB7\x81\x42";
// Why a domain of a list is skipped, each ending where kSkippedDomain goes on.
// 行が長すぎて最後まで読み取れない
constexpr char kCutOff[] =
    "\x8D\x73\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xC4\x8D\xC5\x8C\xE3\x82\xDC\x82\xC5"
    "\x93\xC7\x82\xDD\x8E\xE6\x82\xEA\x82\xC8\x82\xA2";
// メールドメインに使えない文字を含む
constexpr char kNotADomainCharacter[] =
    "\x83\x81\x81\x5B\x83\x8B\x83\x68\x83\x81\x83\x43\x83\x93\x82\xC9\x8E\x67\x82\xA6"
    "\x82\xC8\x82\xA2\x95\xB6\x8E\x9A\x82\xF0\x8A\xDC\x82\xDE";
// %d バイトより長い
constexpr char kTooLong[] = "%d \x83\x6F\x83\x43\x83\x67\x82\xE6\x82\xE8\x92\xB7\x82\xA2";
// 先頭か末尾がドットである
constexpr char kDotAtAnEnd[] =
    "\x90\xE6\x93\xAA\x82\xA9\x96\x96\x94\xF6\x82\xAA\x83\x68\x83\x62\x83\x67\x82\xC5"
    "\x82\xA0\x82\xE9";
// ドットが 2 つ続いている
constexpr char kEmptyPart[] =
    "\x83\x68\x83\x62\x83\x67\x82\xAA 2 \x82\xC2\x91\xB1\x82\xA2\x82\xC4\x82\xA2\x82\xE9";
// ドットを含まない
constexpr char kNoDot[] = "\x83\x68\x83\x62\x83\x67\x82\xF0\x8A\xDC\x82\xDC\x82\xC8\x82\xA2";
// 同じ一覧にすでにある
constexpr char kDuplicate[] =
    "\x93\xAF\x82\xB6\x88\xEA\x97\x97\x82\xC9\x82\xB7\x82\xC5\x82\xC9\x82\xA0\x82\xE9";
// 1 つのキーに書ける %d 個を超えている
constexpr char kOverTheCount[] =
    "1 \x82\xC2\x82\xCC\x83\x4C\x81\x5B\x82\xC9\x8F\x91\x82\xAF\x82\xE9 %d \x8C\xC2\x82\xF0"
    "\x92\xB4\x82\xA6\x82\xC4\x82\xA2\x82\xE9";
// …
constexpr char kEllipsis[] = "\x81\x63";

constexpr UINT kNoticeStyle = MB_OK | MB_ICONEXCLAMATION;

// The mistakes named at most, so that the box fits on a screen, and the bytes
// of a line or an item shown at most, more of it cut and marked kEllipsis.
constexpr std::size_t kShownMistakes = 8;
constexpr std::size_t kShownBytes = 60;
using ShownText = char[kShownBytes + sizeof kEllipsis];
// The longest part a format of this file gives: an explanation with an item
// and a reason in it.
constexpr std::size_t kFormattedSize = 512;

// The notice being written into the record's text: parts added while they
// fit, the text always terminated. kIniNoticeSize holds the longest notice:
// kShownMistakes lines and their explanations, each line and item cut to
// kShownBytes, and the path.
class Notice {
  public:
    explicit Notice(char (&text)[kIniNoticeSize]) : text_(text) { text_[0] = '\0'; }

    void Add(std::string_view part) {
        const std::size_t room = kIniNoticeSize - 1 - length_;
        const std::size_t bytes = part.size() < room ? part.size() : room;
        std::memcpy(text_ + length_, part.data(), bytes);
        length_ += bytes;
        text_[length_] = '\0';
    }
    // `format` (a text of this file) with its arguments, as wsprintfA writes it.
    template <typename... Args>
    void Format(const char* format, Args... args) {
        char part[kFormattedSize];
        wsprintfA(part, format, args...);
        Add(part);
    }

  private:
    char (&text_)[kIniNoticeSize];
    std::size_t length_ = 0;
};

// The notice's bound: a mistake is its line's number and text, then at most
// two formatted parts.
static_assert(sizeof kSkippedDomain + sizeof(ShownText) + sizeof kOverTheCount + 16 <
              kFormattedSize);
static_assert(sizeof kMistakes + MAX_PATH + sizeof kMore + sizeof kMistakesFix +
                  kShownMistakes * (kFormattedSize * 3 + sizeof(ShownText)) <
              kIniNoticeSize);

// `bytes` of the file, written in `encoding`, as the box shows them: in code
// page 932, cut on a character's edge to kShownBytes, and kEllipsis after a
// cut. A character beyond ASCII counts two bytes, as code page 932 mostly
// writes it.
void Show(std::string_view bytes, domain_list::Encoding encoding, ShownText& shown) {
    const bool utf8 = encoding == domain_list::Encoding::Utf8;
    std::size_t taken = 0;
    std::size_t width = 0;
    while (taken < bytes.size()) {
        const unsigned char byte = static_cast<unsigned char>(bytes[taken]);
        std::size_t step = 1;
        if (utf8) {
            step = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        } else if (IsLeadByte(byte)) {
            step = 2;
        }
        const std::size_t columns = byte < 0x80 ? 1 : 2;
        if (width + columns > kShownBytes || taken + step > bytes.size()) {
            break;
        }
        taken += step;
        width += columns;
    }
    std::size_t length = taken;
    if (utf8) {
        WCHAR wide[kShownBytes];
        const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(taken),
                                              wide, static_cast<int>(kShownBytes));
        const int made = WideCharToMultiByte(kCodePage, 0, wide, units, shown,
                                             static_cast<int>(kShownBytes), nullptr, nullptr);
        length = made > 0 ? static_cast<std::size_t>(made) : 0;
    } else {
        std::memcpy(shown, bytes.data(), taken);
    }
    shown[length] = '\0';
    if (taken < bytes.size()) {
        std::memcpy(shown + length, kEllipsis, sizeof kEllipsis);
    }
}

// Why a domain list skips an item, for each verdict but Kept: the text, and
// the bound it names (its "%d"), if any.
struct SkipReason {
    DomainVerdict verdict;
    const char* text;
    int bound;
};
constexpr SkipReason kSkipReasons[] = {
    {DomainVerdict::CutOff, kCutOff, 0},
    {DomainVerdict::NotADomainCharacter, kNotADomainCharacter, 0},
    {DomainVerdict::TooLong, kTooLong, kMaxDomainLength},
    {DomainVerdict::DotAtAnEnd, kDotAtAnEnd, 0},
    {DomainVerdict::EmptyPart, kEmptyPart, 0},
    {DomainVerdict::NoDot, kNoDot, 0},
    {DomainVerdict::Duplicate, kDuplicate, 0},
    {DomainVerdict::OverTheCount, kOverTheCount, kMaxAddedDomains},
};

// The item `item` and why the list skips it.
void AddSkipped(Notice& notice, const char* item, DomainVerdict verdict) {
    for (const SkipReason& reason : kSkipReasons) {
        if (reason.verdict == verdict) {
            char text[kFormattedSize];
            wsprintfA(text, reason.text, reason.bound);
            notice.Format(kSkippedDomain, item, text);
        }
    }
}

bool IsDomainListKey(const char* key) {
    for (const char* list : kDomainListKeys) {
        if (list == key) {
            return true;
        }
    }
    return false;
}

// The line of `mistake`, unless the mistake before named it already, then
// why it is not used, each on a line of its own.
void AddMistake(Notice& notice, const IniMistake& mistake, const IniMistake* before,
                domain_list::Encoding encoding) {
    ShownText shown;
    if (!before || before->line != mistake.line) {
        Show(mistake.text, encoding, shown);
        notice.Format(kLineNumber, static_cast<unsigned>(mistake.line));
        notice.Add(shown);
        notice.Add("\n");
    }
    switch (mistake.kind) {
        case IniMistakeKind::NotAKey:
            if (mistake.key) {
                notice.Format(kLooksLikeKey, mistake.key);
            } else {
                notice.Add(kNotAKey);
            }
            break;
        case IniMistakeKind::KeyTwice:
            notice.Format(kKeyTwice, mistake.key, static_cast<unsigned>(mistake.countingLine));
            if (IsDomainListKey(mistake.key)) {
                notice.Format(kListTwice, static_cast<unsigned>(mistake.countingLine));
            }
            break;
        case IniMistakeKind::SectionTwice:
            notice.Format(kSectionTwice, static_cast<unsigned>(mistake.countingLine));
            break;
        case IniMistakeKind::SkippedDomain:
            Show(mistake.item, encoding, shown);
            AddSkipped(notice, shown, mistake.verdict);
            break;
        case IniMistakeKind::ByteOrderMark:
            break;
    }
    notice.Add("\n");
}

// The file's text as the mistakes are found in: as it is, or for a file in
// UTF-16 (little-endian, with its byte order mark) as the profile functions
// read it, in code page 932, into `converted`. Empty when it cannot be had.
std::string_view ExaminedText(const IniBytesRecord& ini, IniBytesRecord& converted) {
    const std::string_view text = ini.Text();
    if (!text.starts_with(kUtf16ByteOrderMark)) {
        return text;
    }
    const std::size_t units = (text.size() - (sizeof kUtf16ByteOrderMark - 1)) / 2;
    const std::unique_ptr<WCHAR[]> wide(new (std::nothrow) WCHAR[units + 1]);
    converted.bytes.reset(new (std::nothrow) char[units * 2 + 1]);
    if (!wide || !converted.bytes || units == 0) {
        return {};
    }
    for (std::size_t i = 0; i < units; ++i) {
        const std::size_t at = sizeof kUtf16ByteOrderMark - 1 + 2 * i;
        wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(text[at]) |
                                     static_cast<unsigned char>(text[at + 1]) << 8);
    }
    const int made =
        WideCharToMultiByte(kCodePage, 0, wide.get(), static_cast<int>(units),
                            converted.bytes.get(), static_cast<int>(units * 2), nullptr, nullptr);
    converted.length = made > 0 ? static_cast<DWORD>(made) : 0;
    return converted.Text();
}

}  // namespace

void ExamineIniFile() {
    g_iniNotice.told = false;
    Notice notice(g_iniNotice.text);
    if (!g_iniPath[0]) {
        for (const char* part : {kNoPath, "\n\n", kNoPathFix}) {
            notice.Add(part);
        }
        return;
    }
    IniBytesRecord ini;
    IniBytesRecord converted;
    if (!ReadIniBytes(g_iniPath, ini)) {
        return;  // no file, or one too large to be a settings file a person wrote
    }
    const std::string_view text = ExaminedText(ini, converted);
    const domain_list::Encoding encoding =
        text.data() == ini.Text().data() ? IniEncodingOf(text) : domain_list::Encoding::Cp932;
    IniMistake found[kShownMistakes];
    const std::size_t count = FindIniMistakes(text, encoding, found);
    if (count == 0) {
        return;
    }
    if (found[0].kind == IniMistakeKind::ByteOrderMark) {
        // The section is lost whole: nothing else in it matters.
        for (const char* part : std::initializer_list<const char*>{
                 kByteOrderMark, "\n\n", g_iniPath, "\n\n", kByteOrderMarkFix}) {
            notice.Add(part);
        }
        return;
    }
    for (const char* part :
         std::initializer_list<const char*>{kMistakes, "\n", g_iniPath, "\n\n"}) {
        notice.Add(part);
    }
    for (std::size_t i = 0; i < count && i < kShownMistakes; ++i) {
        AddMistake(notice, found[i], i > 0 ? &found[i - 1] : nullptr, encoding);
    }
    if (count > kShownMistakes) {
        notice.Format(kMore, static_cast<unsigned>(count - kShownMistakes));
        notice.Add("\n");
    }
    notice.Add("\n");
    notice.Add(kMistakesFix);
}

void TellIniTrouble(HWND owner) {
    if (!g_iniNotice.text[0] || g_iniNotice.told) {
        return;
    }
    // Told before the box waits for OK: a window opened meanwhile asks nothing
    // again. A box that could not be shown is tried again at the next chance.
    g_iniNotice.told = true;
    if (MessageBoxA(owner, g_iniNotice.text, kPluginName, kNoticeStyle) == 0) {
        g_iniNotice.told = false;
    }
}

}  // namespace telepost
