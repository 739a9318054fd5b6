// The Shift-JIS (code page 932) byte classes, which the host and the plug-in
// share: their one definition is the contract's.
#pragma once

#include "telepost/sjis.h"
