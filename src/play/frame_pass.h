// frame_pass.h -- the per-frame counters of the frame pass.
#pragma once

#include <cstdint>

// The play field, the back buffer and the game window's client area, in
// pixels; y grows downwards.
constexpr int kFieldWidth = 288;
constexpr int kFieldHeight = 310;

// Advanced by the step clock on every new step (0 -> 1, else +1); the field
// pass lights the target row while it is 2, and the frame pass then sets it
// back to 0. Visualisation thread only.
extern int32_t beatPulse;

// Number of completed frame passes, shown in the event log.
extern int32_t frameCounter;

// Time between the starts of the two latest Render calls, in ms.
extern int32_t frameInterval;

// File title of the song seen last (260 bytes), compared byte for byte with
// the playing song's title every frame. Visualisation thread only.
extern char lastSeenTitle[260];

// Init: forgets any song, so the next frame loads the playing song's chart:
// empties the last-seen title and makes the chart absent.
void ForgetSong();
