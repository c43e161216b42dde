// pictures_test.cpp -- what the game window shows: the background picture, presented whole.
#include <gtest/gtest.h>

#include "e2e/host_support.h"

namespace {

// With no song playing the window is the background with the four target
// arrows on it.
TEST(Pictures, GameWindowShowsTheBackgroundPixelForPixelAndTheTargetRow) {
  std::string folder = MakePluginFolder("background");
  HostRun run = RunHost(folder, "0 play\n400 capture window.bmp\n500 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  Picture background = ReadBmp(STOMPARA_SOURCE_DIR "/res/background.bmp");
  Picture window = ReadBmp(folder + "/window.bmp");
  ASSERT_EQ(background.width, 288);
  ASSERT_EQ(background.height, 310);
  ASSERT_EQ(window.width, 288);
  ASSERT_EQ(window.height, 310);
  int differing = 0, targetPixels = 0;
  for (int y = 0; y < 310; ++y)
    for (int x = 0; x < 288; ++x) {
      bool inTarget = y >= 16 && y < 48 && x >= 60 && (x - 60) % 45 < 32 && x < 227;
      bool same = window.at(x, y) == background.at(x, y);
      if (inTarget) targetPixels += !same;
      else differing += !same;
    }
  EXPECT_EQ(differing, 0);
  EXPECT_GT(targetPixels, 4 * 200) << "each lane's target arrow is drawn";
}

TEST(Pictures, LogTellsAllFourSurfacesWereMade) {
  std::string folder = MakePluginFolder("surfaces-log");
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\n");
  HostRun run = RunHost(folder, "0 play\n200 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  std::vector<std::string> lines = ReadLines(folder + "/StomparaLog.txt");
  const std::vector<std::string> expected = {
      "Event log started.", "Main frame created succeeded.", "Double buffer created.",
      "Creating GDI stuffs...", "......success.", "Flame stuf created.", "Font Selected.",
      "Window visible now.",
  };
  ASSERT_GE(lines.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + long(expected.size())), expected);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Back ground bitmap render OK."), lines.end());
}

}  // namespace
