// beat_grid.h -- the song's beats: its tempo, the beat's phase, and the beats one by one where it drifts.
//
// - Tempo: the flux envelope's periodicity, as the magnitude of its Fourier
//   transform in windows of 8 s summed over the song (robust to a tempo that
//   wanders), searched from 60 to 240 BPM. Of a tempo, its double and its
//   half, the one chosen is the one whose beat and eighths are both heard,
//   weighed towards a dancer's 90..180 BPM.
// - Beats: followed through the song by dynamic programming: the chain of
//   frames with the most flux whose gaps stay nearest that tempo, each then
//   moved onto an onset when one lies close.
// - Phase: where the beats' mid band (snare, clicks, voices) is weaker than
//   the eighths' between, the beat is half a beat on; kick and bass alone
//   cannot tell a beat from an off-beat.
// - Steady songs get one grid: a least-squares line through the beats fixes
//   tempo and phase over the whole song; where the beats stray from any one
//   line (a live band, a tempo change) they are kept as followed.
// Plain computation, any thread.
#pragma once

#include <string>
#include <vector>

#include "analysis/audio_analysis.h"

struct BeatGrid {
  double beatMs = 0;              // one beat at the main tempo
  std::vector<double> beatsMs;    // every beat from the first with music to the last
  bool steady = true;             // false: the tempo drifts, beats followed one by one
  double bpm() const { return 60000.0 / beatMs; }
};

// False with `error` set when the song has no beat to follow (silence, a
// clip too short, no rhythm).
bool FitBeatGrid(const AudioAnalysis& analysis, BeatGrid& grid, std::string& error);
