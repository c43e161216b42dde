// module_win32.cpp -- storage of this module's own instance.
#include "host/module_win32.h"

HINSTANCE moduleInstance;
