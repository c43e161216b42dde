// audio_analysis.h -- what the generator hears in a song: onsets, beats and loudness.
//
// Decoding is libsndfile's (WAV, FLAC, Ogg Vorbis, MP3), onset detection
// aubio's; the song is streamed through both in one pass, so an hour-long
// file needs no more memory than a short one. (aubio's own beat tracker was
// measured too: on a track whose tempo glides from 120 to 132 BPM it put
// beats up to 245 ms from the clicks, against 6 ms for the beat grid's own
// following of the onsets.) Any thread.
#pragma once

#include <string>
#include <vector>

struct Onset {
  double ms;       // song time, the detector's delay taken off
  float strength;  // the onset detector's value at the onset
};

struct AudioAnalysis {
  double durationMs = 0;
  int sampleRate = 0;
  std::vector<Onset> onsets;
  std::vector<float> loudness;   // RMS level of each kLoudnessBlockMs block
};

constexpr double kLoudnessBlockMs = 100.0;

// Decodes and analyses the audio file at `path`. False with `error` (one
// sentence) when it cannot be read as audio.
bool AnalyseAudioFile(const std::string& path, AudioAnalysis& analysis, std::string& error);

// The same for a file's bytes in memory (for the fuzzer).
bool AnalyseAudioBytes(const std::string& bytes, AudioAnalysis& analysis, std::string& error);
