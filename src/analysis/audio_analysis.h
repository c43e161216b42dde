// audio_analysis.h -- what the chart maker hears in a song: its onsets, onset envelope and loudness.
//
// A decoder hands the song over a block at a time as interleaved float
// frames at the file's own rate; `AnalysisStream` folds them to mono at
// kAnalysisRate and analyses them as they come, so a long song needs little
// more memory than a short one (its envelope: about 3 KB a second).
//
// The onsets are spectral flux on log-compressed magnitudes with a
// maximum filter across frequency (the "SuperFlux" detector): a short
// window's magnitudes are grouped into bands a semitone wide and compressed
// with log10(1 + x); the flux is the sum of their rises over the maximum of
// each band and its neighbours two frames back, which ignores vibrato and
// slow swells. Peaks above a moving average become onsets, and each onset's
// time is then refined on the signal itself: the attack is the instant its
// energy rises fastest, in steps of about 1.5 ms. Plain computation, any
// thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kAnalysisRate = 22050;   // mono samples a second, whatever the file's rate
constexpr int kEnvelopeHop = 128;      // samples from one spectrum to the next (5.8 ms)
constexpr double kEnvelopeHopMs = 1000.0 * kEnvelopeHop / kAnalysisRate;
constexpr double kLoudnessBlockMs = 100.0;

struct Onset {
  double ms;       // song time of the attack
  float strength;  // the flux at its peak
};

// The bands the flux is summed over apart: below 250 Hz (kick, bass),
// 250 Hz to 5 kHz (snare, clicks, voices, most instruments), above (hats).
enum FluxBand { kLowBand, kMidBand, kHighBand, kFluxBands };

struct AudioAnalysis {
  double durationMs = 0;
  std::vector<float> flux[kFluxBands];  // per band, one value every kEnvelopeHopMs from 0
  std::vector<float> envelope;          // the bands' sum
  std::vector<Onset> onsets;            // in time order
  std::vector<float> loudness;          // RMS level of each kLoudnessBlockMs block
};

class AnalysisStream {
 public:
  AnalysisStream();
  ~AnalysisStream();
  AnalysisStream(const AnalysisStream&) = delete;
  AnalysisStream& operator=(const AnalysisStream&) = delete;

  // The format the frames come in. False with `error` for a rate or channel
  // count no song has (below 8000 Hz or above 384000, 0 or over 64 channels).
  bool Start(int sampleRate, int channels, std::string& error);

  // `count` interleaved frames. Values that are not finite count as silence.
  void Feed(const float* frames, size_t count);

  // Seconds fed so far.
  double SecondsFed() const;

  // Ends the song and hands over what was heard.
  void Finish(AudioAnalysis& analysis);

 private:
  struct State;
  State* state_;
};

// The whole analysis of mono samples at `sampleRate` (tests, benchmarks).
AudioAnalysis AnalyseSamples(const std::vector<float>& samples, int sampleRate);
