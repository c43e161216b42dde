// game_window_win32.h -- the 288 x 310 game window and its procedure.
#pragma once

#include <cstdint>

#include "host/vis_header_win32.h"
#include "platform/platform_win32.h"

struct Plugin;

// The module record kept as the game window's user data, or null while
// there is no game window.
winampVisModule* ModuleOfGameWindow(const Platform& platform);

// Init's window steps: registers the class "WinampStompara", creates the
// tool window owned by the host's main window at SCREEN_X, SCREEN_Y, stores
// the record as its user data and fits its client area to 288 x 310. The
// window reaches `plugin` through its own extra bytes. On a failure shows
// its box (and log line) and returns 0. Sets the platform's window.
int CreateGameWindow(Plugin& plugin, winampVisModule* module);

// Quit's window step: destroys the game window (a no-op when it is gone)
// and unregisters its class.
void DestroyGameWindow(Plugin& plugin, const winampVisModule* module);
