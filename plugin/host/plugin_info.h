// What the plug-in tells the host about itself.
#pragma once

namespace telepost {

// "テレポスト", the plug-in's name, also the caption of every message it shows.
inline constexpr char kPluginName[] = "\x83\x65\x83\x8C\x83\x7C\x83\x58\x83\x67";

constexpr int kInfoFieldSize = 80;  // bytes of each text field of the record
constexpr int kInfoFieldCount = 4;  // name, vendor, version, description

// Fills the host's information record: four 80-byte fields, each text copied
// with its terminator and the bytes behind it left as the host had them. A
// null record is ignored.
void FillPluginInfo(void* record);

}  // namespace telepost
