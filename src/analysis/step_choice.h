// step_choice.h -- which onsets become arrows at each level, and in which lanes.
//
// Arrows land on the beat grid where the music has an onset: Standard on
// the strongest beats, one arrow at a time and never faster than a step
// every 450 ms; Advanced adds the off-beat eighths where the music is busy
// and a double on the strongest bar starts; Expert takes sixteenths,
// off-beats and doubles on accents. Quiet passages and the intro stay
// empty. Lanes follow two feet that alternate and never cross: the left
// foot keeps to left, down and up, the right to down, up and right, and no
// lane comes again sooner than the level allows. Deterministic: the same
// song always gives the same chart. Plain computation, any thread.
#pragma once

#include <vector>

#include "analysis/audio_analysis.h"
#include "analysis/beat_grid.h"
#include "authoring/step_placement.h"

// The notes of each level, at their song times.
void ChooseSteps(const AudioAnalysis& analysis, const BeatGrid& grid, std::vector<TimedNote> (&levels)[kLevels]);
