// plugin_win32.h -- the module record's callbacks, and the plug-in they work on.
#pragma once

#include <cstdint>

#include "flame/flame_surfaces_win32.h"
#include "flame/flame_thread_win32.h"
#include "gfx/surfaces_win32.h"
#include "host/vis_header_win32.h"
#include "platform/platform_win32.h"
#include "play/frame_pass_win32.h"
#include "play/game.h"
#include "play/pad_input.h"
#include "settings/settings.h"

// Everything the plug-in keeps, one value beside its module record for as
// long as the module is loaded; the record's userData points to it. Init
// prepares it, Render and the game window's procedure play on it, Quit lets
// go of what Init made. Host's visualisation thread, but for the settings,
// which Config may read and change on a thread of its own.
struct Plugin {
  Settings settings;
  Game game;
  Platform platform;
  Canvas canvas;
  FlameSurfaces flameSurfaces;
  FlameThread flameThread;
  FrameClock frameClock;
  PadState pad;  // the dance pad or game pad, read by Render
  // 1 when the module is loaded; the first paint that runs the frame pass
  // clears it and nothing sets it again.
  int32_t firstPaint = 1;
};

// The plug-in of the module record the host calls with.
Plugin& PluginOf(const winampVisModule* module);

// Config runs on whatever thread calls it; the others on the host's
// visualisation thread. Init answers 0 when the game runs, 1 when it could
// not start (said in a box); Render 0 to go on, 1 to end the visualisation.
void __cdecl Config(winampVisModule* module);
int __cdecl Init(winampVisModule* module);
int __cdecl Render(winampVisModule* module);
void __cdecl Quit(winampVisModule* module);
