// The part of the Win32 API that TELEPOST and its stand-in host use, for Linux
// builds. Types and constants keep their Windows names and values; the
// functions are implemented in this folder over POSIX.
#pragma once

#include "win32/types.h"
#include "win32/kernel.h"
#include "win32/user.h"
#include "win32/menu.h"
#include "win32/dialog.h"
#include "win32/resources.h"
