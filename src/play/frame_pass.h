// frame_pass.h -- one frame of the game: follow the song, take its step, run the field.
//
// Render (frame_pass_win32.cpp) measures the frame, paints the background,
// calls PlayFrame, lays the flame over the field and presents the back
// buffer. Everything here runs on the thread that owns the game window.
#pragma once

#include <cstdint>

#include "chart/game_timing.h"
#include "chart/step_clock.h"
#include "gfx/draw.h"
#include "platform/platform.h"

// Field geometry: lane n's cells start at x = 60 + 45 n; cells are 32 x 32
// (the target row's top edge, kTargetRowTop, is in chart/game_timing.h).
constexpr int32_t kLaneLeft = 60;
constexpr int32_t kLaneSpacing = 45;
constexpr int32_t kCellSize = 32;
// Edge of the lit target per step of the press animation (pressFrame 0..4).
constexpr int32_t pressSizes[5] = {20, 24, 26, 28, 30};

struct Game;

// Init: forgets any song, so the next frame loads the playing song's chart:
// empties the last-seen title, makes the chart absent and forgets a chart
// being made when the last session quit.
void ForgetSong(Game& game);

// The middle of a frame pass, after the background copy: follows the
// playing song (loading or making its chart when the title changes,
// opening the configuration when it has none), takes the step due from the
// game's step source and spawns its arrows, runs the field pass, the beat
// pulse, the colour phase and the banner. While the chart is being made it
// takes no step and draws the progress line. Returns 0 when the frame is
// complete, 1 when the host named a song but the step source has nothing to
// play from (nothing drawn past the background).
int PlayFrame(Game& game);

// What the frame pass does with what the step source saw, in this order: a
// position below 1 ms clears combo and cools the flame (FlameMood 0); a
// chart missing for LEVEL is told (ReportMissingChart); a new step advances
// the beat pulse. The frame pass then spawns the new step's arrows, or at
// the chart's end sets FlameMood to 3.
void ActOnStepClock(Game& game, const StepClockReport& report);

// The field pass over the four lanes: target row and press animation,
// judge, retire, then every live arrow drawn (unless hit) and, with
// `moveArrows`, risen by this frame's rise. Draws into the back buffer only.
void DrawField(Game& game, bool moveArrows);
