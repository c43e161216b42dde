// synth.h -- beat tracks made here: clicks, kick, hi-hats and a bass line at a known tempo.
//
// For the chart generator's tests and benchmarks and for the demo songs: the
// beat times are known exactly, so what the analysis finds can be checked.
#pragma once

#include <string>
#include <vector>

struct BeatTrack {
  double bpm = 120.0;          // tempo at the start
  double endBpm = 0.0;         // above 0: the tempo glides evenly to this by the end
  double firstBeatMs = 2000.0; // the first click
  double seconds = 30.0;       // length of the track
  int sampleRate = 44100;
  double noise = 0.02;         // white noise under everything (amplitude)
  bool hats = true;            // a hi-hat on every off-beat
  bool bass = true;            // a bass note on every eighth
  double quietFromS = -1;      // with quietToS: no drums or bass in between
  double quietToS = -1;
  unsigned seed = 1;
};

// The mono samples (-1..1) and, in `beatsMs`, the time of every click.
std::vector<float> SynthesizeBeat(const BeatTrack& track, std::vector<double>* beatsMs);

// Writes mono `samples` as WAV, FLAC, Ogg Vorbis or MP3, by the extension of
// `path`. False with `error` set.
bool WriteAudio(const std::string& path, const std::vector<float>& samples, int sampleRate, std::string& error);
