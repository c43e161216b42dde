// plugin_win32.h -- the plug-in's spine: module state shared by the Win32 glue.
#pragma once

#include <windows.h>

#include <cstdint>

#include "plugin/vis_header_win32.h"

// This module's instance, recorded at process attach; used to load bitmaps.
extern HINSTANCE moduleInstance;
// The game window Init made; null until the first Init, and again once the
// window is destroyed. Visualisation thread.
extern HWND gameWindow;
// 1 when the module is loaded; the first paint that runs the frame pass
// clears it and nothing sets it again.
extern int32_t firstPaint;
// Performance-counter counts per second, read by Init.
extern LONGLONG counterFrequency;

// The module record kept as the game window's user data, or null while
// there is no game window.
winampVisModule* ModuleOfGameWindow();

// The module record's callbacks. Config runs on whatever thread calls it;
// the others on the host's visualisation thread.
void __cdecl Config(winampVisModule* module);
int __cdecl Init(winampVisModule* module);
void __cdecl Quit(winampVisModule* module);
// The frame pass (play/frame_pass_win32.cpp).
int __cdecl Render(winampVisModule* module);
// 1 while Render runs. A modal box or dialog that Render opens paints the
// game window from inside the pass; such a paint only copies the back buffer.
extern int32_t framePassRunning;
