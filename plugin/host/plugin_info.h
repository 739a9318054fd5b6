// What the plug-in tells the host about itself.
#pragma once

#include "telepost/contract.h"

namespace telepost {

// Fills the host's information record as the contract lays it out. A null
// record is ignored.
void FillPluginInfo(void* record);

}  // namespace telepost
