// synth_test.cpp -- the beat patterns heard in the samples themselves, and the plain beat unchanged.
#include "tools/synth/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Rendered {
  BeatTrack track;
  std::vector<float> samples;
  std::vector<double> beats;
  std::vector<PlayedNote> played;
  std::vector<double> wave;  // the samples
  std::vector<double> high;  // first difference: clicks, hats and snares, little of kick and bass
  std::vector<double> low;   // one-pole low-pass near 150 Hz: kick and bass

  size_t At(double ms) const { return std::min(samples.size(), size_t(std::max(0.0, ms) / 1000.0 * track.sampleRate)); }
  double Energy(const std::vector<double>& band, double fromMs, double toMs) const {
    double sum = 0;
    for (size_t i = At(fromMs); i < At(toMs); ++i) sum += band[i] * band[i];
    return sum;
  }
  double Peak(const std::vector<double>& band, double fromMs, double toMs) const {
    double peak = 0;
    for (size_t i = At(fromMs); i < At(toMs); ++i) peak = std::max(peak, std::fabs(band[i]));
    return peak;
  }
  // The first time in the window where the high band passes `threshold`, or -1.
  double Onset(double fromMs, double toMs, double threshold = 0.05) const {
    for (size_t i = At(fromMs); i < At(toMs); ++i)
      if (std::fabs(high[i]) > threshold) return 1000.0 * double(i) / track.sampleRate;
    return -1;
  }
  double Interval(size_t b) const { return beats[b + 1] - beats[b]; }
};

// A noiseless 12 s track at 120 BPM, changed by `change`, and its bands.
Rendered Render(const std::function<void(BeatTrack&)>& change) {
  Rendered r;
  r.track.noise = 0;
  r.track.seconds = 12;
  change(r.track);
  r.samples = SynthesizeBeat(r.track, &r.beats, &r.played);
  double a = 1 - std::exp(-2 * 3.14159265358979 * 150.0 / r.track.sampleRate);
  double low = 0;
  for (size_t i = 0; i < r.samples.size(); ++i) {
    r.wave.push_back(r.samples[i]);
    r.high.push_back(i == 0 ? 0.0 : double(r.samples[i]) - double(r.samples[i - 1]));
    low += a * (double(r.samples[i]) - low);
    r.low.push_back(low);
  }
  return r;
}

void OffBeatLowEnergy(const Rendered& r) {
  for (size_t b = 0; b + 1 < r.beats.size(); ++b) {
    double t = r.beats[b], half = r.Interval(b) / 2;
    EXPECT_GT(r.Energy(r.low, t + half, t + 2 * half), 4 * r.Energy(r.low, t, t + half)) << "beat " << b;
  }
}

void OnBeatLowEnergy(const Rendered& r) {
  double on = 0, off = 0;
  for (size_t b = 0; b + 1 < r.beats.size(); ++b) {
    double t = r.beats[b], half = r.Interval(b) / 2;
    on += r.Energy(r.low, t, t + half);
    off += r.Energy(r.low, t + half, t + 2 * half);
  }
  EXPECT_GT(on, 2 * off);
}

void SnareOnTwoAndFour(const Rendered& r) {
  double quietest = 1e9, loudest = 0;
  for (size_t b = 0; b + 1 < r.beats.size(); ++b) {
    double e = r.Energy(r.high, r.beats[b] + 25, r.beats[b] + 120);  // past the click
    if (b % 2 == 1) quietest = std::min(quietest, e);
    if (b % 2 == 0) loudest = std::max(loudest, e);
  }
  EXPECT_GT(quietest, 10 * loudest);
}

void HatsAtSwungTimes(double swing, const Rendered& r) {
  for (size_t b = 0; b + 1 < r.beats.size(); ++b) {
    double t = r.beats[b];
    EXPECT_NEAR(r.Onset(t + 30, t + r.Interval(b) - 5), t + r.Interval(b) * (0.5 + swing / 2), 1.0) << "beat " << b;
  }
}

void AccentEvery(size_t bar, const Rendered& r) {
  std::vector<double> peaks;
  for (double t : r.beats) peaks.push_back(r.Peak(r.high, t, t + 3));
  double weakest = *std::min_element(peaks.begin(), peaks.end());
  for (size_t b = 0; b < peaks.size(); ++b) EXPECT_EQ(peaks[b] > 1.3 * weakest, b % bar == 0) << "beat " << b;
}

void SilentBreaks(const Rendered& r) {
  EXPECT_EQ(r.Peak(r.wave, 3200, 5000), 0.0);
  EXPECT_EQ(r.Peak(r.wave, 8200, 9000), 0.0);
  EXPECT_GT(r.Peak(r.high, 5000, 5100), 0.1);  // back after each
  EXPECT_GT(r.Peak(r.high, 9000, 9100), 0.1);
  EXPECT_EQ(r.beats.size(), 20u);  // the grid goes on through the breaks
}

void SilentIntro(const Rendered& r) {
  EXPECT_EQ(r.Peak(r.wave, 0, 6000), 0.0);
  EXPECT_EQ(r.beats.front(), 6000.0);
  EXPECT_NEAR(r.Onset(5990, 6010), 6000.0, 0.1);
}

void PadOnlyIntro(const Rendered& r) {
  EXPECT_GT(r.Energy(r.low, 1000, 5000), 0.02 * 0.02 * 4 * r.track.sampleRate);  // RMS above 0.02
  EXPECT_LT(r.Peak(r.high, 0, 5999), 0.05);  // no onset before the first beat
  EXPECT_EQ(r.Peak(r.wave, 6400, 6490), 0.0);  // and the pad gone by the first gap in the beat
  EXPECT_NEAR(r.Onset(5990, 6010), 6000.0, 0.1);
}

// Clicks moved by at most `jitterMs`, not all by nothing; the grid reported as written.
void ClicksJittered(double jitterMs, const Rendered& r) {
  double widest = 0;
  for (size_t b = 0; b < r.beats.size(); ++b) {
    EXPECT_DOUBLE_EQ(r.beats[b], r.track.firstBeatMs + 500.0 * double(b));
    double onset = r.Onset(r.beats[b] - jitterMs - 5, r.beats[b] + jitterMs + 5);
    ASSERT_GE(onset, 0) << "beat " << b;
    EXPECT_LE(std::fabs(onset - r.beats[b]), jitterMs + 0.1) << "beat " << b;
    widest = std::max(widest, std::fabs(onset - r.beats[b]));
  }
  EXPECT_GT(widest, jitterMs / 3);
  EXPECT_TRUE(std::is_sorted(r.played.begin(), r.played.end(),
                             [](const PlayedNote& x, const PlayedNote& y) { return x.ms < y.ms; }));
  size_t click = 0;  // the clicks as played: the onsets heard
  for (const PlayedNote& note : r.played) {
    if (note.voice != Voice::kClick) continue;
    ASSERT_LT(click, r.beats.size());
    EXPECT_NEAR(note.ms, r.Onset(note.ms - 1, note.ms + 1), 0.1);
    EXPECT_LE(std::fabs(note.ms - r.beats[click++]), jitterMs);
  }
  EXPECT_EQ(click, r.beats.size());
}

// Every click stands apart: loud at its beat, nothing high just before it.
void DistinctClicks(double bpm, const Rendered& r) {
  ASSERT_GT(r.beats.size(), 10u);
  for (size_t b = 0; b + 1 < r.beats.size(); ++b) {
    EXPECT_NEAR(r.Interval(b), 60000.0 / bpm, 1e-6);
    EXPECT_GT(r.Peak(r.high, r.beats[b], r.beats[b] + 3), 0.1) << "beat " << b;
    EXPECT_LT(r.Peak(r.high, r.beats[b + 1] - 8, r.beats[b + 1] - 0.5), 0.02) << "beat " << b;
  }
}

TEST(Synth, EachPatternIsHeardInTheSamples) {
  using namespace std::placeholders;
  struct Case {
    const char* name;
    std::function<void(BeatTrack&)> change;
    std::function<void(const Rendered&)> check;
  };
  const std::vector<Case> cases = {
      {"plain", [](BeatTrack&) {}, OnBeatLowEnergy},
      {"off-beat kick and bass", [](BeatTrack& t) { t.offBeatKick = t.offBeatBass = true; }, OffBeatLowEnergy},
      {"backbeat snare", [](BeatTrack& t) { t.snare = true; }, SnareOnTwoAndFour},
      {"straight", [](BeatTrack&) {}, std::bind(HatsAtSwungTimes, 0.0, _1)},
      {"swing", [](BeatTrack& t) { t.swing = 0.33; }, std::bind(HatsAtSwungTimes, 0.33, _1)},
      {"4/4", [](BeatTrack&) {}, std::bind(AccentEvery, 4, _1)},
      {"3/4", [](BeatTrack& t) { t.beatsPerBar = 3; }, std::bind(AccentEvery, 3, _1)},
      {"breaks", [](BeatTrack& t) { t.breaks = {{3, 5}, {8, 9}}; }, SilentBreaks},
      {"silent intro", [](BeatTrack& t) { t.firstBeatMs = 6000; }, SilentIntro},
      {"pad intro", [](BeatTrack& t) { t.firstBeatMs = 6000, t.introPad = true; }, PadOnlyIntro},
      {"uniform jitter", [](BeatTrack& t) { t.jitterMs = 10, t.hats = t.bass = false; },
       std::bind(ClicksJittered, 10.0, _1)},
      {"gaussian jitter", [](BeatTrack& t) { t.jitterMs = 6, t.gaussianJitter = true, t.hats = t.bass = false; },
       std::bind(ClicksJittered, 6.0, _1)},
      {"70 BPM", [](BeatTrack& t) { t.bpm = 70; }, std::bind(DistinctClicks, 70.0, _1)},
      {"250 BPM", [](BeatTrack& t) { t.bpm = 250; }, std::bind(DistinctClicks, 250.0, _1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.check(Render(c.change));
  }
}

uint64_t Hash(const void* bytes, size_t size) {
  uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (size_t i = 0; i < size; ++i) h = (h ^ static_cast<const unsigned char*>(bytes)[i]) * 1099511628211ull;
  return h;
}

// The tracks made before the patterns existed (the demo songs' among them),
// hashed then: they stay the same to the bit.
TEST(Synth, PlainTracksAreUnchanged) {
  struct Case { const char* name; std::function<void(BeatTrack&)> change; uint64_t samples; uint64_t beats; };
  const std::vector<Case> cases = {
      {"default", [](BeatTrack&) {}, 0xa4c11d26645ed690, 0xa37162e0b1c65690},
      {"Neon Stairs", [](BeatTrack& t) { t.bpm = 120, t.firstBeatMs = 2000, t.seconds = 75; },
       0x2cdac795b703fe3c, 0x96408ce41cf7c115},
      {"Paper Lanterns", [](BeatTrack& t) { t.bpm = 140, t.firstBeatMs = 2350, t.seconds = 75; },
       0x9a63549cec2b42c9, 0xe432f785abf9d02b},
      {"Afterburner", [](BeatTrack& t) { t.bpm = 170, t.firstBeatMs = 1800, t.seconds = 75; },
       0x9f654b9bc8e2bb94, 0x8f3f7e20e07231b2},
      {"glide", [](BeatTrack& t) { t.bpm = 118, t.endBpm = 126, t.sampleRate = 8000; },
       0xa2228b8b0f28f562, 0x996ba152819ffb09},
      {"quiet", [](BeatTrack& t) { t.quietFromS = 10, t.quietToS = 14, t.sampleRate = 22050; },
       0x8c2deb552bae2e5c, 0xa37162e0b1c65690},
      {"no hats", [](BeatTrack& t) { t.hats = false, t.seed = 7, t.seconds = 10; },
       0xf43c80d690435856, 0xb80886224fe8ded3},
      {"no bass", [](BeatTrack& t) { t.bass = false, t.noise = 0, t.bpm = 97.5, t.seconds = 10; },
       0x43b74a2504756764, 0xe0fefe8056729147},
      {"fast", [](BeatTrack& t) { t.bpm = 250, t.firstBeatMs = 0, t.seconds = 8; },
       0x6773e9f9df130ce2, 0xec52c07dcfe647eb},
  };
  for (const Case& c : cases) {
    BeatTrack track;
    c.change(track);
    std::vector<double> beats;
    std::vector<float> samples = SynthesizeBeat(track, &beats);
    EXPECT_EQ(Hash(samples.data(), samples.size() * sizeof(float)), c.samples) << c.name;
    EXPECT_EQ(Hash(beats.data(), beats.size() * sizeof(double)), c.beats) << c.name;
  }
}

}  // namespace
