#include "support/send_calls.h"

#include "codec.h"
#include "telepost/contract.h"

namespace hostsim {

MessageBoxSeen LengthWarning(HWND owner, int answer) {
    std::string text;
    Utf8ToCp932("携帯電話に送信するにはメッセージが長すぎます。\nこのまま送信しますか？", &text);
    return {owner, text, telepost::kPluginName, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, answer};
}

}  // namespace hostsim
