// flame_test.cpp -- the fire in the game window: where it burns, how it follows play, its thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/host_support.h"

namespace {

std::string FlameFolder(const std::string& name, int showFlame, const std::string& more = "") {
  std::string folder = MakePluginFolder(name);
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nSHOW_FLAME=" + std::to_string(showFlame) +
                                        "\r\n" + more);
  return folder;
}

// Pixels of window rows [y0, y1) that differ from the background.
int Changed(const Picture& shot, int y0, int y1) {
  static const Picture background = ReadBmp(STOMPARA_SOURCE_DIR "/res/background.bmp");
  if (shot.width != 288 || shot.height != 310) return -1;
  int count = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < 288; ++x) count += shot.at(x, y) != background.at(x, y);
  return count;
}

// Pixels of rows [y0, y1) in the fire's colours: red over green over blue,
// as the flame palette runs from red through yellow to white.
int FirePixels(const Picture& shot, int y0, int y1) {
  int count = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = 0; x < 288; ++x) {
      uint32_t rgb = shot.at(x, y);
      int r = rgb >> 16 & 255, g = rgb >> 8 & 255, b = rgb & 255;
      count += r >= 100 && r >= g && g >= b;
    }
  return count;
}

TEST(Flame, BurnsInTheBottomRowsOnlyWhenShown) {
  for (int shown : {1, 0}) {
    std::string folder = FlameFolder("flame-shown-" + std::to_string(shown), shown);
    HostRun run = RunHost(folder, "0 play\n1000 capture flame.bmp\n1100 quit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    Picture shot = ReadBmp(folder + "/flame.bmp");
    EXPECT_EQ(Changed(shot, 185, 209), 0) << "the band above the fire keeps the background";
    if (shown) {
      EXPECT_GT(FirePixels(shot, 209, 310), 500) << "fire within a second";
    } else {
      EXPECT_EQ(Changed(shot, 185, 310), 0);
    }
  }
}

// One arrow hit (the fire grows to its resting heat), then one missed (it
// dies down): the flame after the miss is far smaller. A flame's heat takes
// about two seconds to rise through the band, and on a busy machine the
// flame's ticks fall far behind the song, so the fire is taken at its
// hottest of five captures over the nine seconds between the two arrows,
// and cold well after the miss. The autoplayer follows a copy of the chart
// that holds only the first arrow, so it hits that one on whatever frame it
// reaches the target row, however late a busy machine draws it, and leaves
// the second to pass.
TEST(Flame, GrowsWithHitsAndDiesDownWithMisses) {
  std::string folder = FlameFolder("flame-play", 1);
  WriteFile(folder + "/Song.msd", "#BPM:60;\r\n#SINGLE:BASIC:3:\r\n400000000000000000000000200000000000;\r\n");
  WriteFile(folder + "/first.msd", "#BPM:60;\r\n#SINGLE:BASIC:3:\r\n400000000000000000000000000000000000;\r\n");
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nSHOW_FLAME=1\r\nMSD_PATH=" + WindowsPath(folder) + "\r\n");
  // Step 0 is due at 500 ms and crosses the target row about 2.9 s later;
  // step 24 (lane 1) passes the miss bound at about 15.5 s.
  HostRun run = RunHost(folder, "frame-ms 30\nplaylist C:\\Music\\Song.mp3\nautoplay " + WindowsPath(folder) +
                                    "\\first.msd 0\n0 play\n7000 capture hot0.bmp\n9000 capture hot1.bmp\n"
                                    "11000 capture hot2.bmp\n13000 capture hot3.bmp\n14500 capture hot4.bmp\n"
                                    "20000 capture cold.bmp\n20100 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  ASSERT_EQ(EventsNamed(run, "autoplay-press").size(), 1u);
  std::vector<int> hot;
  for (int i = 0; i < 5; ++i)
    hot.push_back(FirePixels(ReadBmp(folder + "/hot" + std::to_string(i) + ".bmp"), 209, 310));
  int hottest = *std::max_element(hot.begin(), hot.end());
  int cold = FirePixels(ReadBmp(folder + "/cold.bmp"), 209, 310);
  EXPECT_GT(hottest, 10000);
  EXPECT_LT(cold * 2, hottest) << "hot " << ::testing::PrintToString(hot) << ", cold " << cold;
}

// No song is named, so only the flame thread asks for the position.
TEST(Flame, ThreadSamplesThePositionWhileTheHostIsPaused) {
  std::string folder = FlameFolder("flame-sample", 0);
  HostRun run = RunHost(folder, "0 play\n0 pause\n4000 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  std::vector<JournalEvent> requests = EventsNamed(run, "request");
  int samples = 0;  // 104, answered 3 (paused), then 105
  for (size_t i = 0; i + 1 < requests.size(); ++i)
    samples += requests[i]["request"] == "104" && requests[i]["answer"] == "3" &&
               requests[i + 1]["request"] == "105";
  // One every 32 ticks of 20 ms and more: about 6 here, fewer where the
  // 32-bit Wine runs on an emulated CPU and a tick takes longer.
  EXPECT_GE(samples, 2);
  EXPECT_LE(samples, 8);
}

TEST(Flame, BurnsAgainAfterQuitAndInit) {
  std::string folder = FlameFolder("flame-reinit", 1);
  HostRun run = RunHost(folder, "0 play\n400 quit\n500 init\n1500 capture again.bmp\n1600 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_GT(FirePixels(ReadBmp(folder + "/again.bmp"), 209, 310), 300);
}

}  // namespace

// A host that runs Init, Render and Quit on the thread owning its main window
// and is busy (pumps nothing) just before Quit: the flame thread is then
// waiting on a request to that window, and Quit must still come back at once.
TEST(Flame, QuitReturnsPromptlyOnABusyHostsOwnThread) {
  std::string folder = FlameFolder("flame-busy-host", 1);
  std::string scenario = "host-thread main\n0 play\n";
  const int rounds = 5;
  for (int round = 0; round < rounds; ++round) {
    int at = round * 2000;
    if (round > 0) scenario += std::to_string(at) + " init\n";
    scenario += std::to_string(at + 100) + " stall 1500\n" + std::to_string(at + 100) + " quit\n";
  }
  HostRun run = RunHost(folder, scenario);
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  std::vector<JournalEvent> quits = EventsNamed(run, "quit");
  ASSERT_EQ(quits.size(), size_t(rounds));
  for (JournalEvent& quit : quits) EXPECT_LT(std::stoi(quit["ms"]), 1000);
}
