#include "host/plugin_info.h"

#include <cstring>

#include "resources/product.h"

namespace telepost {

namespace {

constexpr char kVendor[] = TELEPOST_VENDOR;
constexpr char kVersion[] = "2.6b for DoCoMo";
#define TELEPOST_MESSAGE(name, text) constexpr char name[] = text;
#include "host/plugin_info_messages.inc"
#undef TELEPOST_MESSAGE

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
