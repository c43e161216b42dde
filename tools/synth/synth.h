// synth.h -- beat tracks made here: clicks, kick, snare, hi-hats and a bass line at a known tempo.
//
// For the chart generator's tests and benchmarks and for the demo songs: the
// beat times are known exactly, so what the analysis finds can be checked.
// Besides the plain beat, the patterns that mislead a beat tracker: kick and
// bass off the beat, swung eighths, 3/4 bars, intros and breaks without
// drums, and notes played a little early or late.
#pragma once

#include <string>
#include <vector>

// From `fromS` to `toS` (seconds): no drums or bass for the beats starting inside.
struct QuietStretch {
  double fromS = 0;
  double toS = 0;
};

struct BeatTrack {
  double bpm = 120.0;          // tempo at the start
  double endBpm = 0.0;         // above 0: the tempo glides evenly to this by the end
  double firstBeatMs = 2000.0; // the first click; before it only the intro pad, if any
  double seconds = 30.0;       // length of the track
  int sampleRate = 44100;
  double noise = 0.02;         // white noise under everything (amplitude)
  bool hats = true;            // a hi-hat on every off-beat
  bool bass = true;            // a bass note on every eighth (only the off-beats with offBeatBass)
  double quietFromS = -1;      // with quietToS: no drums or bass in between
  double quietToS = -1;
  unsigned seed = 1;
  // The patterns below all default to the plain beat above, sample for sample.
  bool offBeatKick = false;    // the kick half a beat after the beats it would fall on
  bool offBeatBass = false;    // the bass on the off-beat eighths only
  bool snare = false;          // a snare on the bar's even beats (2 and 4; 2 in 3/4)
  double swing = 0.0;          // 0..0.8: the off-beat eighth moved this share of the way to the next beat
  int beatsPerBar = 4;         // 4 or 3: the click accented, and the kick, on each bar's first beat (and 3rd in 4/4)
  bool introPad = false;       // a soft chord from the start to the first beat
  std::vector<QuietStretch> breaks;  // more quiet stretches, like quietFromS..quietToS
  double jitterMs = 0.0;       // each note played up to this early or late (seeded)
  bool gaussianJitter = false; // jitter normal with sigma jitterMs / 2, cut at jitterMs; else uniform
};

enum class Voice { kClick, kKick, kSnare, kHat, kBass };

// One note as played: its onset, jitter included.
struct PlayedNote {
  double ms = 0;
  Voice voice = Voice::kClick;
};

// The mono samples (-1..1); in `beatsMs` the nominal time of every beat (the
// grid, without jitter; beats in quiet stretches included); in `played`, when
// given, every note as played, in time order.
std::vector<float> SynthesizeBeat(const BeatTrack& track, std::vector<double>* beatsMs,
                                  std::vector<PlayedNote>* played = nullptr);

// Writes mono `samples` as WAV, FLAC, Ogg Vorbis or MP3, by the extension of
// `path`. False with `error` set.
bool WriteAudio(const std::string& path, const std::vector<float>& samples, int sampleRate, std::string& error);

// The patterns that mislead beat trackers, by name, each applied to a plain
// track: off-beat kick and bass, backbeat snare, swing, 3/4, an intro and
// breaks, human timing, and all of them at once.
struct BeatPattern {
  const char* name;
  void (*apply)(BeatTrack&);
};
extern const BeatPattern kBeatPatterns[8];
