// beat_tracks_test.cpp -- onsets, beat grid and step choice on beat tracks whose every note is known.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "analysis/audio_analysis.h"
#include "analysis/beat_grid.h"
#include "authoring/step_choice.h"
#include "tools/chart/evaluate/chart_score.h"
#include "tools/synth/synth.h"

namespace {

std::vector<double> OnsetTimes(const AudioAnalysis& analysis) {
  std::vector<double> times;
  for (const Onset& onset : analysis.onsets) times.push_back(onset.ms);
  return times;
}

TEST(AudioAnalysis, OnsetsOnTheAttacksAtEveryRateAndChannelCount) {
  struct Case { int rate; int channels; };
  for (Case c : {Case{44100, 2}, Case{48000, 1}, Case{22050, 1}, Case{8000, 1}, Case{96000, 6}}) {
    BeatTrack track;
    track.sampleRate = c.rate;
    track.seconds = 12;
    std::vector<PlayedNote> played;
    std::vector<float> mono = SynthesizeBeat(track, nullptr, &played);
    std::vector<float> frames;
    for (float x : mono) frames.insert(frames.end(), size_t(c.channels), x);
    AnalysisStream stream;
    std::string error;
    ASSERT_TRUE(stream.Start(c.rate, c.channels, error)) << error;
    // Blocks of odd sizes, as a decoder hands them over.
    for (size_t at = 0, block = 1; at < mono.size(); at += block, block = block * 3 % 4097 + 1) {
      size_t count = std::min(block, mono.size() - at);
      stream.Feed(frames.data() + at * size_t(c.channels), count);
    }
    AudioAnalysis analysis;
    stream.Finish(analysis);
    EXPECT_NEAR(analysis.durationMs, 12000.0, 1.0) << c.rate;
    std::vector<double> onsets = OnsetTimes(analysis);
    std::vector<double> notes;
    for (const PlayedNote& note : played) notes.push_back(note.ms);
    for (double note : notes) EXPECT_LE(NearestDistance(onsets, note), c.rate == 8000 ? 4.0 : 2.0) << c.rate << " " << note;
    for (double onset : onsets) EXPECT_LE(NearestDistance(notes, onset), 30.0) << c.rate << " " << onset;
  }
}

// Patterns that mislead a beat tracker: the tempo (or its half or double)
// within 0.1 %, and Standard's arrows on the beats, not between them.
TEST(BeatGrid, TempoAndBeatThroughMisleadingPatterns) {
  struct Case {
    const char* name;
    double bpm;
    void (*apply)(BeatTrack&);
  };
  const Case cases[] = {
      {"off-beat kick and bass", 120, [](BeatTrack& t) { t.offBeatKick = t.offBeatBass = true; }},
      {"off-beat, at double time", 70, [](BeatTrack& t) { t.offBeatKick = t.offBeatBass = true; }},
      {"swung eighths, slow", 70, [](BeatTrack& t) { t.swing = 0.33; }},
      {"3/4, fast", 250, [](BeatTrack& t) { t.beatsPerBar = 3; }},
      {"3/4", 143, [](BeatTrack& t) { t.beatsPerBar = 3; }},
      {"late and early notes", 174, [](BeatTrack& t) { t.jitterMs = 12; }},
  };
  for (const Case& c : cases) {
    BeatTrack track;
    track.bpm = c.bpm;
    track.seconds = 40;
    c.apply(track);
    std::vector<double> beats;
    AudioAnalysis analysis = AnalyseSamples(SynthesizeBeat(track, &beats), track.sampleRate);
    BeatGrid grid;
    std::string error;
    ASSERT_TRUE(FitBeatGrid(analysis, grid, error)) << c.name << ": " << error;
    double octave = std::exp2(std::round(std::log2(grid.bpm() / c.bpm)));
    EXPECT_NEAR(grid.bpm(), c.bpm * octave, c.bpm * octave * 0.001) << c.name;
    EXPECT_TRUE(octave == 0.5 || octave == 1 || octave == 2) << c.name << ": " << grid.bpm();
    std::vector<TimedNote> levels[kLevels];
    ChooseSteps(analysis, grid, levels);
    ASSERT_GT(levels[0].size(), 20u) << c.name;
    for (const TimedNote& note : levels[0]) EXPECT_LE(NearestDistance(beats, note.ms), 15.0) << c.name << " " << note.ms;
  }
}

// With alternating feet, one start or the other keeps the left foot off the
// right arrow and the right foot off the left one.
bool WithoutCrossovers(const std::vector<TimedNote>& notes) {
  for (int start = 0; start < 2; ++start) {
    bool fine = true;
    for (size_t i = 0; i < notes.size() && fine; ++i) {
      bool left = (i + size_t(start)) % 2 == 0;
      fine = notes[i].lanes != (left ? 0x8 : 0x1);
    }
    if (fine) return true;
  }
  return false;
}

TEST(StepChoice, LevelsADancerAccepts) {
  for (double bpm : {97.5, 120.0, 174.0}) {
    BeatTrack track;
    track.bpm = bpm;
    track.seconds = 60;
    track.snare = true;
    track.jitterMs = 6;
    AudioAnalysis analysis = AnalyseSamples(SynthesizeBeat(track, nullptr), track.sampleRate);
    BeatGrid grid;
    std::string error;
    ASSERT_TRUE(FitBeatGrid(analysis, grid, error)) << error;
    std::vector<TimedNote> levels[kLevels];
    ChooseSteps(analysis, grid, levels);
    const double lowest[kLevels] = {0.9, 1.8, 2.8};
    const double highest[kLevels] = {2.1, 3.2, 5.2};
    for (int level = 0; level < kLevels; ++level) {
      const std::vector<TimedNote>& notes = levels[level];
      ASSERT_GT(notes.size(), 10u);
      double perSecond = double(notes.size() - 1) * 1000.0 / (notes.back().ms - notes.front().ms);
      EXPECT_GE(perSecond, lowest[level]) << bpm << " level " << level;
      EXPECT_LE(perSecond, highest[level]) << bpm << " level " << level;
      if (level == 2) continue;
      double lastUse[4] = {-1e9, -1e9, -1e9, -1e9};
      for (const TimedNote& note : notes) {
        for (int lane = 0; lane < 4; ++lane) {
          if (!(note.lanes & (1u << lane))) continue;
          EXPECT_GE(note.ms - lastUse[lane], 150.0) << bpm << " level " << level << " lane " << lane;
          lastUse[lane] = note.ms;
        }
      }
    }
    for (const TimedNote& note : levels[0]) EXPECT_EQ(note.lanes & (note.lanes - 1), 0) << "a Standard double";
    EXPECT_TRUE(WithoutCrossovers(levels[0])) << bpm;
    // Each level holds the arrows of the one below.
    for (int level = 1; level < kLevels; ++level) {
      for (const TimedNote& note : levels[level - 1]) {
        bool found = std::any_of(levels[level].begin(), levels[level].end(),
                                 [&](const TimedNote& n) { return std::fabs(n.ms - note.ms) < 0.01; });
        EXPECT_TRUE(found) << bpm << " level " << level << " lacks " << note.ms;
      }
    }
  }
}

}  // namespace
