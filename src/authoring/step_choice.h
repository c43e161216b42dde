// step_choice.h -- which onsets become arrows at each level, and in which lanes.
//
// Arrows land on the beat grid where the music has an onset, the strongest
// onsets first, until the level has its share of arrows a second of music:
// - Standard: single arrows on beats, about 1.6 a second and never closer
//   than 450 ms. Where beats come faster than two a second, only every other
//   beat: the one with more in the mid band (snare, clicks, voices).
// - Advanced: adds eighths, about 2.5 a second, 250 ms apart at least, and a
//   double on the strongest bar starts.
// - Expert: adds sixteenths and triplet eighths (swing), about 4 a second,
//   110 ms apart at least, and doubles on accents.
// Each level holds the arrows of the level below. Quiet passages and the
// intro stay empty. Lanes follow two feet that alternate and never cross:
// the left foot keeps to left, down and up, the right to down, up and
// right, and no lane comes again sooner than the level allows (900 ms on
// Standard, 400 on Advanced). Deterministic: the same song always gives the
// same chart. Plain computation, any thread.
#pragma once

#include <vector>

#include "analysis/audio_analysis.h"
#include "analysis/beat_grid.h"
#include "authoring/step_placement.h"

// The notes of each level, at their song times.
void ChooseSteps(const AudioAnalysis& analysis, const BeatGrid& grid, std::vector<TimedNote> (&levels)[kLevels]);
