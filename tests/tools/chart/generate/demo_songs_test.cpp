// demo_songs_test.cpp -- the demo charts bring their arrows to the target row on the demo audio's beat.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "authoring/step_placement.h"
#include "tools/synth/synth.h"
#include "tools/chart/chart_report.h"

namespace {

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Standard steps on the beat, one arrow at a time; Expert adds off-beat
// eighths and doubles.
TEST(DemoSongs, ArrowsReachTheTargetRowOnTheAudiosBeat) {
  std::istringstream songs(ReadText(STOMPARA_SOURCE_DIR "/demo/songs.txt"));
  int tested = 0;
  for (std::string line; std::getline(songs, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name;
    BeatTrack track;
    std::getline(fields, name, '\t');
    fields >> track.bpm >> track.firstBeatMs >> track.seconds;
    track.sampleRate = 8000;  // the beat times do not depend on it
    std::vector<double> beats;
    SynthesizeBeat(track, &beats);
    // The audio's sixteenth notes: every note of the chart stands for one.
    std::vector<double> grid;
    for (size_t b = 0; b + 1 < beats.size(); ++b)
      for (int part = 0; part < 4; ++part) grid.push_back(beats[b] + part * (beats[b + 1] - beats[b]) / 4);
    grid.push_back(beats.back());  // grid[4 n] is beat n, grid[4 n + 2] the eighth after it
    ChartReport chart = InspectChart(name + ".msd", ReadText(STOMPARA_SOURCE_DIR "/demo/charts/" + name + ".msd"));
    ASSERT_EQ(ChartExitStatus(chart), 0) << name;
    double stepMs = double(chart.msPerStep) * 220.0 / 221.0;
    for (int level = 0; level < 3; ++level) {
      std::vector<double> offsets;
      int offBeats = 0;
      int doubles = 0;
      const std::string& steps = chart.levels[level].steps;
      for (size_t i = 0; i < steps.size(); ++i) {
        if (LanesOf(steps[i]).empty()) continue;
        // Due at the first position that reaches step i + 1, on the target
        // row the lead later (the rise at the player's 25 ms frames).
        double arrival = double(StepDueAt(int32_t(i + 1), chart.msPerStep)) + LeadFor(25);
        auto after = std::lower_bound(grid.begin(), grid.end(), arrival);
        double offset = after == grid.end() ? 1e9 : *after - arrival;
        if (after != grid.begin() && arrival - *(after - 1) < std::fabs(offset)) {
          offset = *(after - 1) - arrival;
          --after;
        }
        offsets.push_back(offset);
        offBeats += (after - grid.begin()) % 4 != 0;
        doubles += LanesOf(steps[i]).find(' ') != std::string::npos;
      }
      ASSERT_FALSE(offsets.empty()) << name;
      std::vector<double> sizes;
      for (double o : offsets) sizes.push_back(std::fabs(o));
      std::sort(sizes.begin(), sizes.end());
      EXPECT_LE(sizes.back(), stepMs / 2 + 1) << name << " level " << level;
      EXPECT_LT(sizes[sizes.size() / 2], 15.0) << name << " level " << level;
      if (level == 0) {
        EXPECT_EQ(offBeats + doubles, 0) << name;
      } else if (level == 2) {
        EXPECT_GT(offBeats, 0) << name;
        EXPECT_GT(doubles, 0) << name;
      }
      ++tested;
    }
  }
  EXPECT_EQ(tested, 9);
}

}  // namespace
