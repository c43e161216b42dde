// beat_grid.h -- the song's beats: one tempo and phase fitted over the whole song.
//
// The tempo is the period at which the onsets, weighted by strength, line up
// best over the whole song (searched from 60 to 240 BPM, then taken into
// the octave 90..180 BPM); the beat falls on the stronger of the two
// phases an eighth apart; a least-squares line through the onsets on the
// beats then fixes tempo and phase, so the grid rests on the whole song
// rather than on any one beat. Where the onsets stray from any one tempo
// (a live band, a tempo change) the beats are followed one by one from
// onset to onset, each at its own time. Plain computation, any thread.
#pragma once

#include <string>
#include <vector>

#include "audio_analysis.h"

struct BeatGrid {
  double beatMs = 0;              // one beat at the main tempo
  std::vector<double> beatsMs;    // every beat from the first with music to the last
  bool steady = true;             // false: the tempo drifts, beats followed one by one
  double bpm() const { return 60000.0 / beatMs; }
};

// False with `error` set when the song has no beat to follow (silence, a
// clip too short, no rhythm).
bool FitBeatGrid(const AudioAnalysis& analysis, BeatGrid& grid, std::string& error);
