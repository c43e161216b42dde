// module_win32.h -- this module's own instance, for what it loads from itself.
#pragma once

#include <windows.h>

// This module's instance: written once by the module's entry point at
// process attach; read by the bitmap loading (gfx/surfaces_win32.cpp).
extern HINSTANCE moduleInstance;
