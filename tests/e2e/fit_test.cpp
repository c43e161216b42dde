// fit_test.cpp -- the game fitted to the player: OFFSET_MS, KEYS, how early or late the hits were, and the best scores.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/host_support.h"

namespace {

// Eight steps at 60 BPM, one arrow each, lanes 0 1 2 3 twice.
constexpr char kChart[] = "#BPM:60;\r\n#SINGLE:BASIC:3:\r\n42864286;\r\n";
constexpr char kSection[] = "Stompara for Winamp";

std::string FitFolder(const std::string& name, const std::string& settings) {
  std::string folder = MakePluginFolder(name);
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\nMSD_PATH=" + WindowsPath(folder) +
                                        "\r\n" + settings);
  WriteFile(folder + "/Song.msd", kChart);
  return folder;
}

// The autoplayer plays the chart to its end, pressing `late` ms after each
// arrow reaches the target row, with `keys` (the cursor keys when empty).
std::string Autoplay(const std::string& folder, int late, const std::string& keys = "") {
  return "frame-ms 30\nplaylist C:\\Music\\Song.mp3\nautoplay " + WindowsPath(folder) + "\\Song.msd 0\n" +
         "autoplay-late " + std::to_string(late) + "\n" + (keys.empty() ? "" : "autoplay-keys " + keys + "\n") +
         "300 play\n9300 quit\n";
}

struct ChartEnd {
  int hits = -1, arrows = -1, combo = -1, mean = 0, median = 0, centre = 0;
  bool found = false;
};

// The log's end-of-chart line, early counted negative.
ChartEnd EndOfChart(const std::string& folder) {
  ChartEnd end;
  for (const std::string& line : ReadLines(folder + "/StomparaLog.txt")) {
    char side[8] = {};
    if (std::sscanf(line.c_str(), "Hits %d of %d, best combo %d; your hits were %d ms %7s on average (median %d ms): "
                                  "OFFSET_MS=%d",
                    &end.hits, &end.arrows, &end.combo, &end.mean, side, &end.median, &end.centre) == 7) {
      end.found = true;
      if (std::string(side) == "early") end.mean = -end.mean, end.median = -end.median;
    } else if (std::sscanf(line.c_str(), "Hits %d of %d, best combo %d; no hit", &end.hits, &end.arrows,
                           &end.combo) == 3) {
      end.found = true;
    }
  }
  return end;
}

// Presses made a known number of ms off the arrows' arrival, with and
// without the offset that moves the arrivals to them: the hits, and how
// early or late the game found them, within about a frame (30 ms, a pixel
// per 10 ms; a busy machine's frames wander) of what they were.
TEST(Fit, OffsetMovesTheArrivalsAndTheHitsAreTimedAsPressed) {
  struct Case {
    int offset, late, hits;
  };
  const Case cases[] = {{200, 200, 8}, {0, 200, 0}, {0, 40, 8}, {0, -60, 8}, {-150, -150, 8}};
  for (const Case& c : cases) {
    std::string name = "fit-offset" + std::to_string(c.offset) + "-late" + std::to_string(c.late);
    std::string folder = FitFolder(name, "OFFSET_MS=" + std::to_string(c.offset) + "\r\n");
    HostRun run = RunHost(folder, Autoplay(folder, c.late));
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    ChartEnd end = EndOfChart(folder);
    ASSERT_TRUE(end.found) << name;
    EXPECT_EQ(end.arrows, 8) << name;
    EXPECT_EQ(end.hits, c.hits) << name;
    if (c.hits == 0) continue;
    EXPECT_EQ(end.combo, 8) << name;
    int off = c.late - c.offset;  // how late the presses were on the arrows as they came
    EXPECT_NEAR(end.mean, off, 25) << name;
    EXPECT_NEAR(end.median, off, 25) << name;
    EXPECT_EQ(end.centre, c.offset + end.median) << name;
  }
}

// The player's keys hit, and the cursor keys, no longer the game's, go on
// to the player; a KEYS and an OFFSET_MS the game cannot use are told, and
// the game plays with the defaults, keeping what the player wrote.
TEST(Fit, PlayersKeysHitAndBadSettingsKeepTheDefaults) {
  std::string folder = FitFolder("fit-keys", "KEYS=d, F,j,K\r\n");
  HostRun run = RunHost(folder, Autoplay(folder, 0, "D,F,J,K") + "2000 keypress LEFT\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(EndOfChart(folder).hits, 8);
  std::vector<std::string> posted;
  for (const JournalEvent& key : EventsNamed(run, "posted")) posted.push_back(key.at("wParam"));
  EXPECT_EQ(posted, (std::vector<std::string>{"37", "37"})) << "LEFT, down and up, reaches the player";

  std::string bad = FitFolder("fit-bad", "KEYS=D,D,J,K\r\nOFFSET_MS=soon\r\n");
  run = RunHost(bad, Autoplay(bad, 0));
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(EndOfChart(bad).hits, 8) << "the cursor keys and no offset";
  EXPECT_TRUE(Logged(bad, "KEYS \"D,D,J,K\" does not name four different keys: the game plays with LEFT,DOWN,UP,RIGHT."));
  EXPECT_TRUE(Logged(bad, "OFFSET_MS \"soon\" is not a number from -500 to 500: the game plays with 0."));
  std::string ini = ReadFile(bad + "/plugin.ini");
  EXPECT_EQ(IniValue(ini, kSection, "KEYS"), "D,D,J,K");
  EXPECT_EQ(IniValue(ini, kSection, "OFFSET_MS"), "0");
}

// The best result survives the session, shows when the song starts again,
// is not replaced by a worse one, and a damaged Scores.ini costs only its
// damaged lines.
TEST(Fit, BestScoreIsKeptShownAndSurvivesADamagedFile) {
  std::string folder = FitFolder("fit-scores", "");
  HostRun run = RunHost(folder, Autoplay(folder, 0));
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(IniValue(ReadFile(folder + "/Scores.ini"), "Song", "LEVEL0"), "8/8 8");

  // Nobody plays: every arrow missed, the best stays, and it shows from the start.
  run = RunHost(folder, "frame-ms 30\nplaylist C:\\Music\\Song.mp3\n300 play\n800 capture best.bmp\n9300 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(EndOfChart(folder).hits, 0);
  EXPECT_EQ(IniValue(ReadFile(folder + "/Scores.ini"), "Song", "LEVEL0"), "8/8 8");
  Picture background = ReadBmp(STOMPARA_SOURCE_DIR "/res/background.bmp");
  EXPECT_GT(Differing(ReadBmp(folder + "/best.bmp"), background, 0, 178, 288, 196), 20) << "BEST 8/8";

  // A damaged file: its readable lines are kept, the rest left out, and
  // the next best is written in full.
  WriteFile(folder + "/Scores.ini", std::string("[Other Song]\r\nLEVEL2=5/9 3\r\n\x01\xff garbage\r\n[Song]\r\nLEVEL0=9/8 1\r\n"));
  run = RunHost(folder, Autoplay(folder, 0));
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_TRUE(Logged(folder, "Scores.ini has 2 lines that cannot be read"));
  std::string scores = ReadFile(folder + "/Scores.ini");
  EXPECT_EQ(IniValue(scores, "Song", "LEVEL0"), "8/8 8");
  EXPECT_EQ(IniValue(scores, "Other Song", "LEVEL2"), "5/9 3");
}

}  // namespace
