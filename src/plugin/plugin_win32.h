// plugin_win32.h -- the module record's callbacks, as the host calls them.
#pragma once

#include "base/vis_header_win32.h"

// Config runs on whatever thread calls it; the others on the host's
// visualisation thread. Init answers 0 when the game runs, 1 when it could
// not start (said in a box); Render 0 to go on, 1 to end the visualisation.
void __cdecl Config(winampVisModule* module);
int __cdecl Init(winampVisModule* module);
int __cdecl Render(winampVisModule* module);
void __cdecl Quit(winampVisModule* module);
