// game_window_win32.h -- the 288 x 310 game window and its procedure.
#pragma once

#include "plugin/vis_header_win32.h"

// Init's window steps: registers the class "WinampStompara", creates the
// tool window owned by the host's main window at SCREEN_X, SCREEN_Y, stores
// the record as its user data and fits its client area to 288 x 310. On a
// failure shows its box (and log line) and returns 0. Sets gameWindow.
int CreateGameWindow(winampVisModule* module);

// Quit's window step: destroys the game window (a no-op when it is gone)
// and unregisters its class.
void DestroyGameWindow(const winampVisModule* module);
