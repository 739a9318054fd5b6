#include "host/plugin_info.h"

#include <cstring>

#include "resources/product.h"

namespace telepost {

namespace {

constexpr char kVendor[] = TELEPOST_VENDOR;
constexpr char kVersion[] = "2.6b for DoCoMo";
// "携帯電話への電子メール送信をサポートします"
constexpr char kDescription[] =
    "\x8C\x67\x91\xD1\x93\x64\x98\x62\x82\xD6\x82\xCC\x93\x64\x8E\x71\x83\x81\x81\x5B\x83\x8B"
    "\x91\x97\x90\x4D\x82\xF0\x83\x54\x83\x7C\x81\x5B\x83\x67\x82\xB5\x82\xDC\x82\xB7";

struct Field {
    const char* text;
    size_t size;  // with the terminator
};

constexpr Field kFields[kInfoFieldCount] = {
    {kPluginName, sizeof kPluginName},
    {kVendor, sizeof kVendor},
    {kVersion, sizeof kVersion},
    {kDescription, sizeof kDescription},
};

static_assert(
    [] {
        for (const Field& f : kFields) {
            if (f.size > static_cast<size_t>(kInfoFieldSize)) {
                return false;
            }
        }
        return true;
    }(),
    "every text fits its field");

}  // namespace

void FillPluginInfo(void* record) {
    if (!record) {
        return;
    }
    auto* field = static_cast<char*>(record);
    for (const Field& f : kFields) {
        std::memcpy(field, f.text, f.size);
        field += kInfoFieldSize;
    }
}

}  // namespace telepost
