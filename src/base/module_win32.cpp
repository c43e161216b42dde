// module_win32.cpp -- storage of this module's own instance.
#include "base/module_win32.h"

HINSTANCE moduleInstance;
