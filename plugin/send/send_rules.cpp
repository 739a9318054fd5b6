// The outgoing inspection: the body conversions the settings ask for, then
// each recipient of To, Cc and Bcc against the mobile carriers' rules.
#include "send/send_rules.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "convert/convert.h"
#include "host/compose_headers.h"
#include "host/host_api.h"
#include "host/settings.h"
#include "outgoing/carriers.h"
#include "outgoing/recipients.h"
#include "telepost/contract.h"

namespace telepost {

namespace {

constexpr int kInspectedSize = 260;    // the first read of the Subject and From of rule J
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

// A Subject that begins with it survives rule J.
constexpr char kKeepSubjectMark = '#';

// The carriers' body limits in bytes. For group J the limit holds the body,
// the From address (counted up to kGroupJAddressCap bytes) and
// kGroupJOverhead bytes more.
constexpr size_t kDoCoMoBodyLimit = 500;
constexpr size_t kGroupDBodyLimit = 89;
constexpr size_t kGroupJMessageLimit = 384;
constexpr size_t kGroupJAddressCap = 55;
constexpr size_t kGroupJOverhead = 7;

// "携帯電話に送信するにはメッセージが長すぎます。\nこのまま送信しますか？"
constexpr char kLengthWarning[] =
    "\x8C\x67\x91\xD1\x93\x64\x98\x62\x82\xC9\x91\x97\x90\x4D\x82\xB7\x82\xE9\x82\xC9\x82\xCD"
    "\x83\x81\x83\x62\x83\x5A\x81\x5B\x83\x57\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xDC\x82\xB7"
    "\x81\x42\n"
    "\x82\xB1\x82\xCC\x82\xDC\x82\xDC\x91\x97\x90\x4D\x82\xB5\x82\xDC\x82\xB7\x82\xA9\x81\x48";
constexpr UINT kLengthWarningStyle = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

// The carriers the recipients so far belong to.
struct CarriersSeen {
    bool any = false;        // some entry matched: the body goes back to the host
    bool groupJOrD = false;  // a group J or group D entry was seen
    bool docomo = false;     // a DoCoMo entry was seen
};

// One send's own state. A send started while another waits for the user's
// answer (the warning's message loop lets the host do that) has its own, so
// the two share nothing.
struct Inspection {
    HWND window = nullptr;
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
        send.keptSubject.Read(send.window, kSubject, kHeaderSize);
        send.keptFrom.Read(send.window, kFrom, kHeaderSize);
        send.kept = true;
    }
}

// A header the send could not keep whole is left as written: a cancelled
// send could not put it back.
void WriteSubject(Inspection& send, const char* value) {
    if (send.keptSubject.Whole()) {
        WriteHeader(send.window, kSubject, value);
        send.subjectWritten = true;
    }
}

void WriteFrom(Inspection& send, const char* value) {
    if (send.keptFrom.Whole()) {
        WriteHeader(send.window, kFrom, value);
        send.fromWritten = true;
    }
}

// Puts back each header the cancelled send changed, as the user wrote it. A
// value kept only in part is not written: a cut value would lose its end.
void PutBackHeaders(const Inspection& send) {
    if (send.subjectWritten && send.keptSubject.Whole()) {
        WriteHeader(send.window, kSubject, send.keptSubject.Text());
    }
    if (send.fromWritten && send.keptFrom.Whole()) {
        WriteHeader(send.window, kFrom, send.keptFrom.Text());
    }
}

// The bare address of From, when it fits a split result whole: false when it
// does not, when From itself was not read whole, or when no memory could be
// had to split it. The address is split into a buffer as large as From, so
// that a longer one shows as such instead of being cut to fit.
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
    if (length >= kMailboxPartSize) {
        return false;
    }
    if (larger) {
        std::memcpy(address, larger.get(), length + 1);
    }
    return true;
}

// Rule J: the Subject is cleared unless it is marked to be kept, From is
// reduced to its bare address, and the address counts towards the limit. An
// address too long for a split result leaves From as written and counts
// kGroupJAddressCap bytes, as any address longer than that does.
bool ApplyGroupJ(Inspection& send) {
    KeepHeaders(send);
    const HeaderValue subject(send.window, kSubject, kInspectedSize);
    if (subject.Text()[0] != kKeepSubjectMark) {
        WriteSubject(send, "");
    }
    const HeaderValue from(send.window, kFrom, kInspectedSize);
    char address[kMailboxPartSize];
    size_t counted = kGroupJAddressCap;
    if (BareAddress(from, address)) {
        WriteFrom(send, address);
        counted = std::min(std::strlen(address), kGroupJAddressCap);
    }
    return send.bodyLength + counted + kGroupJOverhead <= kGroupJMessageLimit ||
           SendAnyway(send.window);
}

bool ApplyDoCoMo(const Inspection& send) {
    return send.bodyLength <= kDoCoMoBodyLimit || SendAnyway(send.window);
}

// Rule D: the Subject is cleared without being read, so a kept mark does not
// save it.
bool ApplyGroupD(Inspection& send) {
    KeepHeaders(send);
    WriteSubject(send, "");
    return send.bodyLength <= kGroupDBodyLimit || SendAnyway(send.window);
}

// To, Cc and Bcc joined into one list, with "," before each of Cc and Bcc
// that is not empty, held whole. When no memory can be had for that, each
// value is cut to a first read's length, as the list was always held.
class RecipientList {
  public:
    explicit RecipientList(HWND window) {
        const HeaderValue to(window, kTo, kHeaderSize);
        const HeaderValue cc(window, kCc, kHeaderSize);
        const HeaderValue bcc(window, kBcc, kHeaderSize);
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
bool InspectRecipients(Inspection& send) {
    RecipientList list(send.window);
    char* cursor = nullptr;
    for (char* entry = NextRecipient(list.Text(), &cursor); entry;
         entry = NextRecipient(nullptr, &cursor)) {
        bool goOn = true;
        switch (ClassifyRecipient(entry)) {
            case Carrier::GroupJ:
                send.seen.any = send.seen.groupJOrD = true;
                goOn = ApplyGroupJ(send);
                break;
            case Carrier::DoCoMo:
                send.seen.any = send.seen.docomo = true;
                goOn = ApplyDoCoMo(send);
                break;
            case Carrier::GroupD:
                send.seen.any = send.seen.groupJOrD = true;
                goOn = ApplyGroupD(send);
                break;
            case Carrier::None:
                break;
        }
        if (!goOn) {
            PutBackHeaders(send);
            return false;
        }
    }
    return true;
}

// A send to DoCoMo phones alone: emoji in the body, and the Subject converted
// as the settings ask and written back, even unchanged. A Subject held only
// in part is left as written.
void ConvertForDoCoMo(HWND window, char* body) {
    if (Settings.ConvertToEmoji) {
        ToImodeEmoji(body);
    }
    HeaderValue subject(window, kSubject, kHeaderSize);
    if (!subject.Whole()) {
        return;
    }
    if (Settings.ConvertToHankaku) {
        ZenkakuToHankaku(subject.Text());
    }
    if (Settings.ConvertToEmoji) {
        ToImodeEmoji(subject.Text());
    }
    WriteHeader(window, kSubject, subject.Text());
}

}  // namespace

int InspectOutgoing(HWND window, int mode) {
    ComposeTextBuffer scratch = {};  // its contents are not used
    char* body = BorrowComposeText(window, scratch);
    if (!body) {
        return 0;  // no message text to work on
    }
    if (Settings.DeleteCrlf) {
        DeleteBlanks(body);
    }
    if (Settings.ConvertToHankaku) {
        ZenkakuToHankaku(body);
    }
    if (mode != 0) {
        return 0;
    }
    Inspection send;
    send.window = window;
    send.bodyLength = std::strlen(body);
    if (!InspectRecipients(send)) {
        return -1;
    }
    if (send.seen.docomo && !send.seen.groupJOrD) {
        ConvertForDoCoMo(window, body);
    }
    if (send.seen.any) {
        HostApi.BKA_CompSetText(window, 0, body);
    }
    return 0;
}

}  // namespace telepost
