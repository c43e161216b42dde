// play_test.cpp -- a chart played in the harness: arrows rising, hits, misses, keys for the host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/host_support.h"

namespace {

// Eight steps at 60 BPM (one every 500 ms), one arrow each, lanes 0 1 2 3 twice.
constexpr char kChart[] = "#BPM:60;\r\n#SINGLE:BASIC:3:\r\n42864286;\r\n";
constexpr int kPlayAt = 300;  // scenario time of "play"

// A plug-in folder that is its own chart folder, holding Song.msd.
// Without the chart, none is made either (AUTO_CHART=0): the song has none.
std::string ChartFolder(const std::string& name, bool withChart, bool log = false) {
  std::string folder = MakePluginFolder(name);
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nMSD_PATH=" + WindowsPath(folder) +
                                        "\r\nWRITE_LOG=" + (log ? "1" : "0") +
                                        (withChart ? "\r\n" : "\r\nAUTO_CHART=0\r\n"));
  if (withChart) WriteFile(folder + "/Song.msd", kChart);
  return folder;
}

// Scenario time at which step k's arrow lies on the target row: it falls due
// once the clock's position (the host's plus 1/220) reaches (k + 1) x 500 ms,
// spawns in the next 30 ms frame at travel 5, rises 3 pixels a frame and
// lies at 294, mid hit window, about 2895 ms later.
int OnTargetAt(int k) { return kPlayAt + int((k + 1) * 500 * 220.0 / 221 + 15 + 2895); }

std::string LaneKey(int lane) {
  static const std::vector<std::string> keys = {"LEFT", "DOWN", "UP", "RIGHT"};
  return keys[size_t(lane)];
}

// Top row, below the target row, where lane n's column differs from the
// background: the top edge of its highest arrow; 310 when it shows none.
int TopArrowRow(const Picture& shot, const Picture& background, int n) {
  for (int y = 49; y < 310; ++y)
    if (Differing(shot, background, 60 + 45 * n, y, 92 + 45 * n, y + 1) > 0) return y;
  return 310;
}

TEST(Play, PressingEveryArrowOnTheTargetRowEndsGreatWithTheCombo) {
  std::string folder = ChartFolder("play-great", true);
  std::string scenario = "frame-ms 30\nplaylist C:\\Music\\Song.mp3\n100 capture idle.bmp\n"
                         "130 keypress LEFT\n175 capture stopped-key.bmp\n" +
                         std::to_string(kPlayAt) + " play\n1000 keypress SPACE\n1100 keypress A\n" +
                         std::to_string(kPlayAt + 1400) + " capture rising.bmp\n";
  for (int k = 0; k < 8; ++k) scenario += std::to_string(OnTargetAt(k)) + " keypress " + LaneKey(k % 4) + "\n";
  scenario += std::to_string(OnTargetAt(0) + 60) + " capture pressed.bmp\n";
  scenario += std::to_string(OnTargetAt(7) + 600) + " capture great.bmp\n" +
              std::to_string(OnTargetAt(7) + 700) + " quit\n";
  HostRun run = RunHost(folder, scenario);
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;

  Picture background = ReadBmp(STOMPARA_SOURCE_DIR "/res/background.bmp");
  Picture idle = ReadBmp(folder + "/idle.bmp");
  // While the host is stopped a game key does nothing; while it plays a
  // press lights the lane's target.
  EXPECT_EQ(Differing(idle, ReadBmp(folder + "/stopped-key.bmp"), 60, 16, 92, 48), 0);
  EXPECT_GT(Differing(idle, ReadBmp(folder + "/pressed.bmp"), 60, 16, 92, 48), 0);

  // At 1400 ms of play the first two arrows have risen from the bottom about
  // 3 pixels per 30 ms since they were due (500 and 1000 ms); lanes 2 and 3
  // show none yet.
  Picture rising = ReadBmp(folder + "/rising.bmp");
  EXPECT_NEAR(TopArrowRow(rising, background, 0), 310 - (5 + 3 * 900 / 30), 12);
  EXPECT_NEAR(TopArrowRow(rising, background, 1), 310 - (5 + 3 * 400 / 30), 12);
  EXPECT_EQ(TopArrowRow(rising, background, 2), 310);
  EXPECT_EQ(TopArrowRow(rising, background, 3), 310);

  // Every arrow hit: none is left on screen, and below the target row the
  // window is the background with the banner "GREAT!!" "8 COMBO".
  Picture great = ReadBmp(folder + "/great.bmp");
  EXPECT_EQ(DifferingFromBanner(great, ReferenceBanner(folder, 8)), 0);

  // Keys other than the cursor keys reach the host unchanged; game keys never do.
  std::vector<std::string> posted;
  for (const JournalEvent& key : EventsNamed(run, "posted"))
    posted.push_back(key.at("message") + " " + key.at("wParam") + " " + key.at("lParam"));
  const std::vector<std::string> expected = {
      "256 32 3735553", "257 32 3224961025", "256 65 1", "257 65 3221225473"};
  EXPECT_EQ(posted, expected);
}

TEST(Play, ArrowsNobodyPressesEndInMiss) {
  std::string folder = ChartFolder("play-miss", true);
  HostRun run = RunHost(folder, "frame-ms 30\nplaylist C:\\Music\\Song.mp3\n" + std::to_string(kPlayAt) +
                                    " play\n8500 capture miss.bmp\n8600 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  // The last arrow has risen off the top: only the banner is left.
  EXPECT_EQ(DifferingFromBanner(ReadBmp(folder + "/miss.bmp"), ReferenceBanner(folder, -1)), 0);
}

TEST(Play, SongWithoutAChartEndsTheGame) {
  std::string folder = ChartFolder("play-no-chart", false, true);
  // The song is named once play has run a while (a second, for a busy
  // machine's first frames), so the paint at start is over; the game window
  // is painted while the box is open.
  HostRun run = RunHost(folder, "box-ms 400\nplaylist C:\\Music\\Song.mp3\n0 filename null\n"
                                "0 play\n1000 filename normal\n1150 paint\n2700 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  std::vector<JournalEvent> boxes = EventsNamed(run, "message-box");
  ASSERT_EQ(boxes.size(), 1u);
  std::string path = WindowsPath(folder) + "\\Song.msd";
  EXPECT_EQ(boxes[0]["text"], "Cannot open msd file - " + path + "\nYou should configure your msd path first.");
  std::vector<JournalEvent> renders = EventsNamed(run, "render");
  ASSERT_GT(renders.size(), 2u);
  for (size_t i = 0; i + 1 < renders.size(); ++i) EXPECT_EQ(renders[i]["result"], "0");
  EXPECT_EQ(renders.back()["result"], "1") << "the frame that found no chart ends the game";
  std::vector<std::string> log = ReadLines(folder + "/StomparaLog.txt");
  auto failed = std::find(log.begin(), log.end(), "Open MSD file <" + path + "> failed.");
  ASSERT_NE(failed, log.end());
  EXPECT_NE(std::find(failed, log.end(), "Data buffer in MSD not allocated yet!"), log.end());
  EXPECT_EQ(std::count(failed, log.end(), "Next render is called by painter."), 0)
      << "a paint during the box never starts a second frame pass";
}

}  // namespace
