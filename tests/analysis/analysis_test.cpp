// analysis_test.cpp -- the analysis's refusals: formats no song has, silence, and wild samples.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "analysis/audio_analysis.h"
#include "analysis/beat_grid.h"

namespace {

TEST(AudioAnalysis, RefusesFormatsNoSongHas) {
  AnalysisStream stream;
  std::string error;
  for (auto [rate, channels] : {std::pair{4000, 1}, {500000, 2}, {44100, 0}, {44100, 65}}) {
    EXPECT_FALSE(stream.Start(rate, channels, error)) << rate << "/" << channels;
    EXPECT_NE(error.find("sample rate or channel count"), std::string::npos);
  }
  // Not-a-number samples are silence: no onset, no beat.
  ASSERT_TRUE(stream.Start(44100, 1, error));
  std::vector<float> nan(441000, std::nanf(""));
  stream.Feed(nan.data(), nan.size());
  AudioAnalysis analysis;
  stream.Finish(analysis);
  EXPECT_TRUE(analysis.onsets.empty());
  BeatGrid grid;
  EXPECT_FALSE(FitBeatGrid(analysis, grid, error));
  EXPECT_NE(error.find("no steady beat"), std::string::npos);
  // A broken float file's huge values and infinities leave the flux finite.
  ASSERT_TRUE(stream.Start(11025, 2, error));
  std::vector<float> wild(44100);
  for (size_t i = 0; i < wild.size(); ++i) wild[i] = i % 7 == 0 ? INFINITY : (i % 2 ? 3e38f : -1e33f);
  stream.Feed(wild.data(), wild.size() / 2);
  stream.Finish(analysis);
  for (float value : analysis.envelope) ASSERT_TRUE(std::isfinite(value));
  for (const Onset& onset : analysis.onsets) ASSERT_TRUE(std::isfinite(onset.strength));
}

}  // namespace
