// beat_grid.h -- the song's beats: its tempo, the beat's phase, and the beats one by one where it drifts.
//
// - Tempo: the flux envelope's periodicity, as the magnitude of its Fourier
//   transform in windows of 8 s summed over the song (robust to a tempo that
//   wanders), from 60 BPM up. The envelope is a train of pulses, as strong
//   at the eighths as at the beat, so the beat is found by walking down the
//   metre from the strongest pulse to its half (or its third, for a pulse
//   with every third onset missing: swing, 12/8) until no faster than 180.
// - One grid: the period within 0.6 % of that and the phase at which the
//   onsets, by strength, fall closest to its beats (the onsets folded into
//   one beat), moved a sixteenth on where the onsets gather more on those
//   eighths, then fitted by least squares to the onsets near its beats.
// - Steady: the onsets of most 16-beat stretches gather within 20 ms of
//   the grid's eighths. Otherwise (a live band, a tempo change) the beats
//   are followed one by one by dynamic programming: the chain of frames with
//   the most flux whose gaps stay nearest the tempo, each moved onto an
//   onset close to it, shifted to the eighths between where the mid band
//   (snare, clicks, voices) is stronger there; kick and bass alone cannot
//   tell a beat from an off-beat.
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
