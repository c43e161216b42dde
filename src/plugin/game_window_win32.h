// game_window_win32.h -- the 288 x 310 game window and its procedure.
#pragma once

#include <cstdint>

#include "base/vis_header_win32.h"

// The game window Init made; null until the first Init, and again once the
// window is destroyed. Written by CreateGameWindow and DestroyGameWindow;
// read by Render and the platform calls. Visualisation thread.
extern HWND gameWindow;
// 1 when the module is loaded; the first paint that runs the frame pass
// clears it and nothing sets it again.
extern int32_t firstPaint;

// The module record kept as the game window's user data, or null while
// there is no game window.
winampVisModule* ModuleOfGameWindow();

// Init's window steps: registers the class "WinampStompara", creates the
// tool window owned by the host's main window at SCREEN_X, SCREEN_Y, stores
// the record as its user data and fits its client area to 288 x 310. On a
// failure shows its box (and log line) and returns 0. Sets gameWindow.
int CreateGameWindow(winampVisModule* module);

// Quit's window step: destroys the game window (a no-op when it is gone)
// and unregisters its class.
void DestroyGameWindow(const winampVisModule* module);
