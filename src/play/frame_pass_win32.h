// frame_pass_win32.h -- Render's frame: timed, composed in the back buffer, presented.
#pragma once

#include <windows.h>

#include <cstdint>

#include "flame/flame_surfaces_win32.h"
#include "gfx/surfaces_win32.h"

struct Game;

// How Render's frames are timed and whether one is running: one record of
// the plug-in's. Visualisation thread.
struct FrameClock {
  LONGLONG counterFrequency = 0;  // counts a second; 0 when there is no counter
  LONGLONG lastCounterReading = 0;
  // 1 while a frame pass runs. A modal box or dialog that the pass opens
  // paints the game window from inside it; such a paint only copies the
  // back buffer. Written by RunFramePass; read by the game window's paint
  // routine.
  int32_t framePassRunning = 0;
};

// Whole ms since the latest frame began (and moved the arrows); 0 before
// the first, or without a counter.
int32_t MsSinceFrame(const FrameClock& clock);

// Init: reads the performance counter's frequency, by which frames are timed.
// Visualisation thread.
void StartFrameClock(FrameClock& clock);

// What one frame is drawn with besides the game: the back buffer and sheets,
// the flame's surfaces, the game window and the host's main window.
struct FrameTargets {
  Canvas* canvas;
  const FlameSurfaces* flame;
  HWND gameWindow;
  HWND hostWindow;
};

// One frame pass of `game` into the game window: measures the frame
// interval, takes the focus from the host's window to the game's, paints
// the background, plays the frame (frame_pass.h), lays the flame over it
// and presents the back buffer. Returns 0 to go on, 1 when a song plays that
// has no chart (nothing presented). On the thread that owns the game window.
int RunFramePass(Game& game, FrameClock& clock, const FrameTargets& targets);
