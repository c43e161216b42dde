// autoplay_test.cpp -- the harness's perfect player against the game's own frame pass and keys.
#include "tools/host/autoplay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "play/key_input.h"
#include "play/play_test_support.h"

namespace {

std::string DemoChart(const char* name) {
  std::ifstream in(std::string(STOMPARA_SOURCE_DIR) + "/demo/charts/" + name + ".msd", std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(AutoPlayer, HitsEveryArrowOfEveryDemoChart) {
  // Frames of 23 to 27 ms, as a busy host gives them: the rise per frame
  // changes between 2 and 3 pixels, and the player follows.
  const int32_t intervals[] = {25, 24, 26, 25, 27, 23, 25, 26};
  for (const char* song : {"Neon Stairs", "Paper Lanterns", "Afterburner"}) {
    for (int32_t level = 0; level < 3; ++level) {
      std::string chart = DemoChart(song);
      ASSERT_FALSE(chart.empty()) << song;
      ResetPlayField();
      std::snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "C:\\charts");
      fake.files[std::string("C:\\charts\\") + song + ".msd"] = chart;
      fake.fileNames[0] = std::string("C:\\music\\") + song + ".wav";
      testSettings.level = level;
      AutoPlayer player;
      std::string error;
      ASSERT_TRUE(player.Load(chart, level, error)) << error;
      bool missed = false;
      int32_t position = 0;
      for (int frame = 0; position < 90000; ++frame) {
        int32_t interval = intervals[frame % 8];
        position += interval;
        fake.position = position;
        testGame.frame.frameInterval = interval;
        PlayFrame(testGame);
        missed = missed || testGame.field.combo < 0;
        uint8_t press = player.Frame(position, interval);
        for (int n = 0; n < 4; ++n) {
          if (press & (1u << n)) OnGameKey(testGame, kKeyDownMessage, kDefaultKeys[n], 0);
        }
      }
      EXPECT_FALSE(missed) << song << " level " << level;
      EXPECT_GT(player.arrowsSpawned(), 50) << song;
      EXPECT_EQ(testGame.field.combo, player.arrowsSpawned()) << song << " level " << level;
    }
  }
}

TEST(AutoPlayer, ReadsOnlyWellFormedLiveArrowLines) {
  struct Case { const char* line; bool taken; char step; int32_t atMs, forMs; };
  const Case cases[] = {
      {"Live arrow 4 at 1200 ms for 1450 ms.", true, '4', 1200, 1450},
      {"Live arrow B at 0 ms for -3 ms.", true, 'B', 0, -3},
      {"Live arrow 0 at 10 ms for 10 ms.", false},  // "0" names no lane
      {"Live arrow 4 at 10 ms for 10 ms", false},
      {"Live arrow 4 at 10 ms for 10 ms. ", false},
      {"Live arrow 4 at 1x ms for 10 ms.", false},
      {"Live arrow 4 at 1234567890 ms for 10 ms.", false},
      {" Live arrow 4 at 10 ms for 10 ms.", false},
      {"Live arrow 44 at 10 ms for 10 ms.", false},
  };
  for (const Case& c : cases) {
    LiveArrow arrow;
    ASSERT_EQ(ParseLiveArrowLine(c.line, arrow), c.taken) << c.line;
    if (!c.taken) continue;
    EXPECT_EQ(arrow.step, c.step) << c.line;
    EXPECT_EQ(arrow.atMs, c.atMs) << c.line;
    EXPECT_EQ(arrow.forMs, c.forMs) << c.line;
  }
}

TEST(AutoPlayer, LiveLogPiecesGiveTheArrowsOfWholeLinesOnly) {
  LiveLogLines lines;
  std::vector<LiveArrow> arrows;
  const std::string log = "Render 1.\r\nLive arrow 4 at 10 ms for 900 ms.\r\nLive arrow 1 at 20 ms for 900 ms.";
  lines.Push(log.data(), 30, arrows);  // the first arrow's line not yet ended
  EXPECT_TRUE(arrows.empty());
  lines.Push(log.data() + 30, log.size() - 30, arrows);
  ASSERT_EQ(arrows.size(), 1u);
  EXPECT_EQ(arrows[0].step, '4');
  lines.Push("\n", 1, arrows);
  ASSERT_EQ(arrows.size(), 2u);
  EXPECT_EQ(arrows[1].step, '1');
  lines.Push("Live arrow 6", 12, arrows);
  lines.Restart();  // the log made again: the half line is gone
  lines.Push(" at 1 ms for 1 ms.\n", 19, arrows);
  EXPECT_EQ(arrows.size(), 2u);
}

}  // namespace
