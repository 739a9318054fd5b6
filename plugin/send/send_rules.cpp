// The outgoing inspection: the body conversions the settings ask for, then
// each recipient of To, Cc and Bcc against the mobile carriers' rules.
#include "send/send_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "convert/convert.h"
#include "telepost/sjis.h"
#include "recipients/recipients.h"
#include "send/compose_headers.h"
#include "telepost/contract.h"

namespace telepost {

namespace {

constexpr int kInspectedSize = 260;    // the first read of the Subject and From a rule inspects
constexpr int kMailboxPartSize = 256;  // each result of splitting From, its terminator included
// The recipient list when it cannot be held whole: To, "," Cc, "," Bcc and the
// terminator, each value cut to a first read's length.
constexpr int kRecipientListSize = 3 * (kHeaderSize - 1) + 2 + 1;

constexpr char kTo[] = "To";
constexpr char kCc[] = "Cc";
constexpr char kBcc[] = "Bcc";
constexpr char kSubject[] = "Subject";
constexpr char kFrom[] = "From";
constexpr char kRecipientSeparator = ',';
constexpr char kAddressMark = '@';

// A Subject that begins with it survives SubjectPolicy::ClearedUnlessMarked.
constexpr char kKeepSubjectMark = '#';

#define TELEPOST_MESSAGE(name, text) constexpr char name[] = text;
#include "send/send_rules_messages.inc"
#undef TELEPOST_MESSAGE
constexpr UINT kLengthWarningStyle = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

// The carriers the recipients so far belong to.
struct CarriersSeen {
    bool any = false;           // some entry matched: the body goes back to the host
    bool emojiFor = false;      // an entry of a carrier for the emoji conversion
    bool emojiAgainst = false;  // an entry of a carrier against it
};

// One send's own state. A send started while another waits for the user's
// answer (the warning's message loop lets the host do that) has its own, so
// the two share nothing.
struct Inspection {
    explicit Inspection(const ComposeWindow& window) : compose(window) {}

    ComposeWindow compose;
    size_t bodyLength = 0;
    CarriersSeen seen;
    // The Subject and From as the user wrote them, read before the send's
    // first header change, and which of the two the send has written since.
    bool kept = false;
    HeaderValue keptSubject;
    HeaderValue keptFrom;
    bool subjectWritten = false;
    bool fromWritten = false;
};

// Asks whether to send a message too long for a phone: true only when the
// user answers Yes. A box that cannot be shown (0) is no answer, and counts
// as No, so that nothing goes out that the user did not agree to.
bool SendAnyway(HWND window) {
    return MessageBoxA(window, kLengthWarning, kPluginName, kLengthWarningStyle) == IDYES;
}

// Keeps the Subject and From before the send changes either, so that a
// cancelled send can put them back.
void KeepHeaders(Inspection& send) {
    if (!send.kept) {
        send.keptSubject.Read(send.compose, kSubject, kHeaderSize);
        send.keptFrom.Read(send.compose, kFrom, kHeaderSize);
        send.kept = true;
    }
}

// A header the send could not keep whole is left as written: a cancelled
// send could not put it back.
void WriteSubject(Inspection& send, const char* value) {
    if (send.keptSubject.Whole()) {
        WriteHeader(send.compose, kSubject, value);
        send.subjectWritten = true;
    }
}

void WriteFrom(Inspection& send, const char* value) {
    if (send.keptFrom.Whole()) {
        WriteHeader(send.compose, kFrom, value);
        send.fromWritten = true;
    }
}

// Puts back each header the cancelled send changed, as the user wrote it. A
// value kept only in part is not written: a cut value would lose its end.
void PutBackHeaders(const Inspection& send) {
    if (send.subjectWritten && send.keptSubject.Whole()) {
        WriteHeader(send.compose, kSubject, send.keptSubject.Text());
    }
    if (send.fromWritten && send.keptFrom.Whole()) {
        WriteHeader(send.compose, kFrom, send.keptFrom.Text());
    }
}

// Whether the splitter's result is an address From may be reduced to: an `@`
// with something on each side, found character by character, since a
// double-byte character's trail byte may be 0x40. What the splitter gives for
// a mailbox it does not understand (the comment of "(Taro) taro@example.jp",
// nothing for "Taro <>") is no address, and writing it would lose the
// user's.
bool HoldsAddress(const char* address) {
    for (const char* p = address; *p != '\0';) {
        if (IsLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
            p += 2;
            continue;
        }
        if (*p == kAddressMark && p != address && p[1] != '\0') {
            return true;
        }
        ++p;
    }
    return false;
}

// The bare address of From, when it fits a split result whole and is an
// address: false when it does not or is none, when From itself was not read
// whole, or when no memory could be had to split it. The address is split
// into a buffer as large as From, so that a longer one shows as such instead
// of being cut to fit.
bool BareAddress(const HeaderValue& from, char (&address)[kMailboxPartSize]) {
    if (!from.Whole()) {
        return false;
    }
    const size_t size = std::max(from.Length() + 1, static_cast<size_t>(kMailboxPartSize));
    std::unique_ptr<char[]> larger;
    char* result = address;
    if (size > kMailboxPartSize) {
        larger.reset(new (std::nothrow) char[size]);
        if (!larger) {
            return false;
        }
        result = larger.get();
    }
    char name[kMailboxPartSize];
    if (!SplitMailbox(name, kMailboxPartSize, result, static_cast<int>(size), from.Text())) {
        return false;
    }
    const size_t length = std::strlen(result);
    if (length >= kMailboxPartSize || !HoldsAddress(result)) {
        return false;
    }
    if (larger) {
        std::memcpy(address, larger.get(), length + 1);
    }
    return true;
}

// What the rule does to the Subject.
void ApplySubjectPolicy(Inspection& send, SubjectPolicy policy) {
    switch (policy) {
        case SubjectPolicy::Kept:
            break;
        case SubjectPolicy::ClearedUnlessMarked: {
            const HeaderValue subject(send.compose, kSubject, kInspectedSize);
            if (subject.Text()[0] != kKeepSubjectMark) {
                WriteSubject(send, "");
            }
            break;
        }
        case SubjectPolicy::Cleared:
            WriteSubject(send, "");  // not read, so a keep mark does not save it
            break;
    }
}

// The bytes From counts for when it is left as written: as many as any
// limit's cap.
constexpr size_t kLongestAddress = SIZE_MAX;

// What the rule does to From; the bytes of the bare address it is reduced
// to. An address too long for a split result, or a From whose split result is
// no address, leaves From as written and counts as long as any, as an address
// longer than a limit's cap does.
size_t ApplyFromPolicy(Inspection& send, FromPolicy policy) {
    if (policy == FromPolicy::AsWritten) {
        return kLongestAddress;
    }
    const HeaderValue from(send.compose, kFrom, kInspectedSize);
    char address[kMailboxPartSize];
    if (!BareAddress(from, address)) {
        return kLongestAddress;
    }
    WriteFrom(send, address);
    return std::strlen(address);
}

// Whether the message fits the rule's limit, the From address counted as
// `addressLength` bytes when the limit counts it.
bool FitsLimit(const LengthLimit& limit, size_t bodyLength, size_t addressLength) {
    size_t counted = bodyLength;
    if (limit.countsAddress) {
        counted += std::min(addressLength, limit.addressCap) + limit.overhead;
    }
    return counted <= limit.bytes;
}

// Applies one carrier's rule to the send: the Subject, From, then the length,
// a message too long sent only when the user says so. False when the user
// cancels.
bool ApplyRule(Inspection& send, const CarrierRow& rule) {
    if (rule.subject != SubjectPolicy::Kept || rule.from != FromPolicy::AsWritten) {
        KeepHeaders(send);
    }
    ApplySubjectPolicy(send, rule.subject);
    const size_t addressLength = ApplyFromPolicy(send, rule.from);
    return FitsLimit(rule.length, send.bodyLength, addressLength) ||
           SendAnyway(send.compose.window);
}

// To, Cc and Bcc joined into one list, with "," before each of Cc and Bcc
// that is not empty, held whole. When no memory can be had for that, each
// value is cut to a first read's length, as the list was always held.
class RecipientList {
  public:
    explicit RecipientList(const ComposeWindow& compose) {
        const HeaderValue to(compose, kTo, kHeaderSize);
        const HeaderValue cc(compose, kCc, kHeaderSize);
        const HeaderValue bcc(compose, kBcc, kHeaderSize);
        whole_.reset(new (std::nothrow) char[to.Length() + cc.Length() + bcc.Length() + 3]);
        text_ = whole_ ? whole_.get() : cut_;
        length_ = 0;
        Append(to);
        for (const HeaderValue* value : {&cc, &bcc}) {
            if (value->Length() != 0) {
                text_[length_++] = kRecipientSeparator;
                Append(*value);
            }
        }
        text_[length_] = '\0';
    }
    RecipientList(const RecipientList&) = delete;
    RecipientList& operator=(const RecipientList&) = delete;

    char* Text() { return text_; }

  private:
    void Append(const HeaderValue& value) {
        size_t length = value.Length();
        if (!whole_) {
            length = std::min(length, static_cast<size_t>(kHeaderSize - 1));
        }
        std::memcpy(text_ + length_, value.Text(), length);
        length_ += length;
    }

    std::unique_ptr<char[]> whole_;
    char cut_[kRecipientListSize];
    char* text_;
    size_t length_;
};

// Joins To, Cc and Bcc and applies each entry's carrier rule, the header
// changes written at once. False when the user cancels the send; the headers
// it changed are then put back.
bool InspectRecipients(Inspection& send, const UserDomainsRecord& domains) {
    RecipientList list(send.compose);
    char* cursor = nullptr;
    for (char* entry = NextRecipient(list.Text(), &cursor); entry;
         entry = NextRecipient(nullptr, &cursor)) {
        const Carrier carrier = ClassifyRecipient(entry, domains);
        if (carrier == Carrier::None) {
            continue;
        }
        const CarrierRow& rule = RowOf(carrier);
        send.seen.any = true;
        if (rule.emoji == EmojiVote::For) {
            send.seen.emojiFor = true;
        } else {
            send.seen.emojiAgainst = true;
        }
        if (!ApplyRule(send, rule)) {
            PutBackHeaders(send);
            return false;
        }
    }
    return true;
}

// A send whose phones all take emoji: emoji in the body, and the Subject
// converted as the settings ask and written back, even unchanged. A Subject
// held only in part is left as written.
void ConvertForEmojiPhones(const ComposeWindow& compose, const SettingsRecord& settings,
                           char* body) {
    if (settings.ConvertToEmoji) {
        ToImodeEmoji(body);
    }
    HeaderValue subject(compose, kSubject, kHeaderSize);
    if (!subject.Whole()) {
        return;
    }
    if (settings.ConvertToHankaku) {
        ZenkakuToHankaku(subject.Text());
    }
    if (settings.ConvertToEmoji) {
        ToImodeEmoji(subject.Text());
    }
    WriteHeader(compose, kSubject, subject.Text());
}

}  // namespace

int InspectOutgoing(const HostApiRecord& host, const SettingsRecord& settings,
                    const UserDomainsRecord& domains, HWND window, int mode) {
    ComposeTextBuffer scratch = {};  // its contents are not used
    char* body = BorrowComposeText(host, window, scratch);
    if (!body) {
        return 0;  // no message text to work on
    }
    if (settings.DeleteCrlf) {
        DeleteBlanks(body);
    }
    if (settings.ConvertToHankaku) {
        ZenkakuToHankaku(body);
    }
    if (mode != 0) {
        return 0;
    }
    Inspection send({host, window});
    send.bodyLength = std::strlen(body);
    if (!InspectRecipients(send, domains)) {
        return -1;
    }
    if (send.seen.emojiFor && !send.seen.emojiAgainst) {
        ConvertForEmojiPhones(send.compose, settings, body);
    }
    if (send.seen.any) {
        host.BKA_CompSetText(window, 0, body);
    }
    return 0;
}

}  // namespace telepost
