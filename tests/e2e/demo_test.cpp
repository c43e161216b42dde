// demo_test.cpp -- the demo songs played to the end by the harness's autoplayer.
#include <gtest/gtest.h>

#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "tools/chart/chart_tool_run.h"
#include "e2e/host_support.h"

namespace {

const char* const kSongs[] = {"Neon Stairs", "Paper Lanterns", "Afterburner"};
constexpr int kSongMs = 75000;  // demo/songs.txt: every demo song lasts 75 s

std::string DemoCharts() { return STOMPARA_SOURCE_DIR "/demo/charts"; }

// Arrows the chart inspector lists for `level` of `song`'s chart.
int InspectorArrows(const std::string& song, int level) {
  ToolRun run = RunTool("--timeline " + std::to_string(level) + " '" + DemoCharts() + "/" + song + ".msd'");
  if (run.status != 0) return -1;
  std::istringstream words(run.output);
  int arrows = 0;
  for (std::string word; words >> word;) arrows += word == "left" || word == "down" || word == "up" || word == "right";
  return arrows;
}

// Pixels below the target row where two captures differ.
int DifferingBelowTargets(const Picture& a, const Picture& b) { return Differing(a, b, 0, 49, 288, 310); }

struct DemoRun {
  std::string folder;
  HostRun run;
};

// Plays `song` at `level` to its end, the autoplayer pressing the keys
// unless `autoplay` is off; captures the window once the last arrow is gone.
DemoRun PlaySong(const std::string& song, int level, bool autoplay, int untilMs = kSongMs + 3500) {
  DemoRun demo;
  demo.folder = MakePluginFolder("demo-" + std::to_string(level) + "-" + song.substr(0, song.find(' ')) +
                                 (autoplay ? "" : "-idle"));
  WriteFile(demo.folder + "/plugin.ini", "[Stompara for Winamp]\r\nMSD_PATH=" + WindowsPath(DemoCharts()) +
                                             "\r\nLEVEL=" + std::to_string(level) +
                                             "\r\nSHOW_FLAME=0\r\nWRITE_LOG=0\r\n");
  std::string scenario = "frame-ms 25\nplaylist C:\\Music\\" + song + ".wav\n";
  if (autoplay) scenario += "autoplay " + WindowsPath(DemoCharts()) + "\\" + song + ".msd " + std::to_string(level) + "\n";
  scenario += "0 play\n" + std::to_string(untilMs) + " capture end.bmp\n" + std::to_string(untilMs + 100) + " quit\n";
  demo.run = RunHost(demo.folder, scenario);
  return demo;
}

TEST(Demo, AutoplayHitsEveryArrowOfEverySongAndLevel) {
  // The nine plays, and one of the first song with nobody playing, run two
  // side by side, each taking the song's 75 s: three at once on two busy
  // cores were seen to leave a frame more than a step (59 ms) late, and the
  // game skips a step that late, arrows and all.
  std::vector<std::future<DemoRun>> wave;
  std::vector<DemoRun> plays;
  for (const char* song : kSongs) {
    for (int level = 0; level < 3; ++level) {
      wave.push_back(std::async(std::launch::async, PlaySong, std::string(song), level, true, kSongMs + 3500));
      if (wave.size() == 2) {
        for (auto& play : wave) plays.push_back(play.get());
        wave.clear();
      }
    }
  }
  std::future<DemoRun> idle = std::async(std::launch::async, PlaySong, std::string(kSongs[0]), 0, false,
                                         kSongMs + 3500);
  for (auto& play : wave) plays.push_back(play.get());
  size_t next = 0;
  for (const char* song : kSongs) {
    for (int level = 0; level < 3; ++level) {
      DemoRun demo = plays[next++];
      std::string name = std::string(song) + " level " + std::to_string(level);
      ASSERT_EQ(demo.run.exitCode, 0) << name << ": " << demo.run.stderrText;
      int arrows = InspectorArrows(song, level);
      std::vector<JournalEvent> ended = EventsNamed(demo.run, "autoplay-end");
      ASSERT_EQ(ended.size(), 1u) << name;
      EXPECT_EQ(ended[0]["arrows"], std::to_string(arrows)) << name;
      EXPECT_EQ(int(EventsNamed(demo.run, "autoplay-press").size()), arrows) << name;
      // "GREAT!!" and "N COMBO" for N the arrows of the chart, drawn as the game draws them.
      EXPECT_EQ(DifferingBelowTargets(ReadBmp(demo.folder + "/end.bmp"), ReferenceBanner(demo.folder, arrows)), 0)
          << name;
    }
  }
  // With nobody playing, every arrow is missed: the last banner is "MISS!".
  DemoRun missed = idle.get();
  ASSERT_EQ(missed.run.exitCode, 0) << missed.run.stderrText;
  EXPECT_TRUE(EventsNamed(missed.run, "autoplay-press").empty());
  EXPECT_EQ(DifferingBelowTargets(ReadBmp(missed.folder + "/end.bmp"), ReferenceBanner(missed.folder, -1)), 0);
}

}  // namespace
