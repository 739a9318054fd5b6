#include "support/send_calls.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>

#include "codec.h"
#include "support/plugin_under_test.h"
#include "telepost/contract.h"

namespace hostsim {

MessageBoxSeen LengthWarning(HWND owner, int answer) {
    std::string text;
    Utf8ToCp932("携帯電話に送信するにはメッセージが長すぎます。\nこのまま送信しますか？", &text);
    return {owner, text, telepost::kPluginName, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, answer};
}

std::vector<MessageBoxSeen> LengthWarnings(HWND owner, const std::vector<int>& answers) {
    std::vector<MessageBoxSeen> warnings;
    for (int answer : answers) {
        warnings.push_back(LengthWarning(owner, answer));
    }
    return warnings;
}

std::vector<Call> CallsMadeFor(const Host& host, HWND window) {
    std::vector<Call> calls = host.Calls();
    for (Call& call : calls) {
        EXPECT_EQ(call.window, window) << call.function;
        call.window = nullptr;
    }
    return calls;
}

void WriteSettings(const std::string& ini, const IniSettings& settings) {
    // The settings after these three are left out of the file: they read 0.
    const bool on[] = {settings.hankaku, settings.emoji, settings.deleteCrlf};
    static_assert(std::size(on) <= std::size(telepost::kSettingKeys));
    for (size_t i = 0; i < std::size(on); ++i) {
        WritePrivateProfileStringA(telepost::kSettingsSection, telepost::kSettingKeys[i],
                                   on[i] ? "1" : "0", ini.c_str());
    }
}

void SendTest::TearDown() {
    std::remove(IniPath().c_str());
}

std::string SendTest::IniPath() {
    return IniUnderTest();
}

void SendTest::Start(const IniSettings& settings) {
    const std::string ini = IniPath();
    WriteSettings(ini, settings);
    std::string error;
    ASSERT_TRUE(host_.Load(PluginUnderTest(), &error)) << error;
    host_.Plugin().BKC_OnStart();
    std::remove(ini.c_str());
}

HWND SendTest::Open(const Mail& mail) {
    Message message;
    message.headers = {{"To", mail.to},
                       {"Cc", mail.cc},
                       {"Bcc", mail.bcc},
                       {"Subject", mail.subject},
                       {"From", mail.from}};
    message.body = mail.body;
    return host_.OpenCompose(message);
}

}  // namespace hostsim
