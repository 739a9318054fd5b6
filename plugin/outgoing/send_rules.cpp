// The outgoing inspection: the body conversions the settings ask for, then
// each recipient of To, Cc and Bcc against the mobile carriers' rules.
#include "outgoing/send_rules.h"

#include <algorithm>
#include <cstring>

#include "convert/convert.h"
#include "host/host_api.h"
#include "host/plugin_info.h"
#include "host/settings.h"
#include "outgoing/carriers.h"
#include "outgoing/recipients.h"

namespace telepost {

namespace {

constexpr int kScratchSize = 260;         // BKA_CompGetText's buffer; its contents are not used
constexpr int kHeaderSize = 2048;         // a header value that is joined or converted
constexpr int kRecipientListSize = 6146;  // To, "," Cc, "," Bcc and the terminator
constexpr int kInspectedSize = 260;       // the Subject and From read by rule J
constexpr int kMailboxPartSize = 256;     // each result of splitting From

constexpr char kTo[] = "To";
constexpr char kCc[] = "Cc";
constexpr char kBcc[] = "Bcc";
constexpr char kSubject[] = "Subject";
constexpr char kFrom[] = "From";

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

// Which carriers the recipients so far belong to.
struct Flags {
    bool changed = false;       // some entry matched: the body goes back to the host
    bool otherCarrier = false;  // a group J or group D entry was seen
    bool docomo = false;        // a DoCoMo entry was seen
};

// Reads a header into a cleared buffer, so that a host that writes nothing
// leaves an empty value, and keeps the value terminated within the buffer.
void ReadHeader(HWND window, const char* name, char* buffer, int size) {
    std::memset(buffer, 0, static_cast<size_t>(size));
    HostApi.BKA_CompGetSpecifiedHeader(window, name, buffer, size);
    buffer[size - 1] = '\0';
}

void WriteHeader(HWND window, const char* name, const char* value) {
    HostApi.BKA_CompSetSpecifiedHeader(window, name, value);
}

// Asks whether to send a message too long for a phone: false when the user
// answers No.
bool SendAnyway(HWND window) {
    return MessageBoxA(window, kLengthWarning, kPluginName, kLengthWarningStyle) != IDNO;
}

// Rule J: the Subject is cleared unless it is marked to be kept, From is
// reduced to its bare address, and the address counts towards the limit.
bool ApplyGroupJ(HWND window, size_t bodyLength) {
    char inspected[kInspectedSize];
    ReadHeader(window, kSubject, inspected, kInspectedSize);
    if (inspected[0] != kKeepSubjectMark) {
        WriteHeader(window, kSubject, "");
    }
    ReadHeader(window, kFrom, inspected, kInspectedSize);
    char name[kMailboxPartSize];
    char address[kMailboxPartSize];
    SplitMailbox(name, kMailboxPartSize, address, kMailboxPartSize, inspected);
    WriteHeader(window, kFrom, address);
    size_t counted = std::min(std::strlen(address), kGroupJAddressCap);
    return bodyLength + counted + kGroupJOverhead <= kGroupJMessageLimit || SendAnyway(window);
}

bool ApplyDoCoMo(HWND window, size_t bodyLength) {
    return bodyLength <= kDoCoMoBodyLimit || SendAnyway(window);
}

// Rule D: the Subject is cleared without being read, so a kept mark does not
// save it.
bool ApplyGroupD(HWND window, size_t bodyLength) {
    WriteHeader(window, kSubject, "");
    return bodyLength <= kGroupDBodyLimit || SendAnyway(window);
}

// Appends "," and the header's value to the list when the value is not empty.
void AppendRecipients(HWND window, const char* name, char* list, char* header) {
    ReadHeader(window, name, header, kHeaderSize);
    if (header[0] == '\0') {
        return;
    }
    size_t length = std::strlen(list);
    list[length] = ',';
    std::strcpy(list + length + 1, header);  // fits: three values of 2047 bytes and two commas
}

// Joins To, Cc and Bcc and applies each entry's carrier rule, the header
// changes written at once. False when the user cancels the send.
bool InspectRecipients(HWND window, size_t bodyLength, Flags& flags) {
    char list[kRecipientListSize];
    char header[kHeaderSize];
    ReadHeader(window, kTo, list, kHeaderSize);
    AppendRecipients(window, kCc, list, header);
    AppendRecipients(window, kBcc, list, header);

    char* cursor = nullptr;
    for (char* entry = NextRecipient(list, &cursor); entry;
         entry = NextRecipient(nullptr, &cursor)) {
        bool goOn = true;
        switch (ClassifyRecipient(entry)) {
            case Carrier::GroupJ:
                flags.changed = flags.otherCarrier = true;
                goOn = ApplyGroupJ(window, bodyLength);
                break;
            case Carrier::DoCoMo:
                flags.changed = flags.docomo = true;
                goOn = ApplyDoCoMo(window, bodyLength);
                break;
            case Carrier::GroupD:
                flags.changed = flags.otherCarrier = true;
                goOn = ApplyGroupD(window, bodyLength);
                break;
            case Carrier::None:
                break;
        }
        if (!goOn) {
            return false;
        }
    }
    return true;
}

// A send to DoCoMo phones alone: emoji in the body, and the Subject converted
// as the settings ask and written back, even unchanged.
void ConvertForDoCoMo(HWND window, char* body) {
    if (Settings.ConvertToEmoji) {
        ToImodeEmoji(body);
    }
    char subject[kHeaderSize];
    ReadHeader(window, kSubject, subject, kHeaderSize);
    if (Settings.ConvertToHankaku) {
        ZenkakuToHankaku(subject);
    }
    if (Settings.ConvertToEmoji) {
        ToImodeEmoji(subject);
    }
    WriteHeader(window, kSubject, subject);
}

}  // namespace

int InspectOutgoing(HWND window, int mode) {
    Flags flags;
    char scratch[kScratchSize];
    char* body = HostApi.BKA_CompGetText(window, scratch, kScratchSize);
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
    if (!InspectRecipients(window, std::strlen(body), flags)) {
        return -1;
    }
    if (flags.docomo && !flags.otherCarrier) {
        ConvertForDoCoMo(window, body);
    }
    if (flags.changed) {
        HostApi.BKA_CompSetText(window, 0, body);
    }
    return 0;
}

}  // namespace telepost
