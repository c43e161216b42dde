// demo_test.cpp -- the demo songs played to the end by the harness's autoplayer.
#include <gtest/gtest.h>

#include <cstdio>
#include <future>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "chart/msd_format.h"
#include "tools/chart/chart_tool_run.h"
#include "e2e/host_support.h"

namespace {

const char* const kSongs[] = {"Neon Stairs", "Paper Lanterns", "Afterburner"};
constexpr int kSongMs = 75000;  // demo/songs.txt: every demo song lasts 75 s

std::string DemoCharts() { return STOMPARA_SOURCE_DIR "/demo/charts"; }

// The arrows of `level` of `song`'s chart as the chart inspector lists
// them: the chart's step length, and the arrows of each step.
struct Timeline {
  float msPerStep = 0;
  std::map<int32_t, int> arrowsOfStep;
  int arrows = 0;
};

Timeline InspectorTimeline(const std::string& song, int level) {
  Timeline timeline;
  ToolRun run = RunTool("--timeline " + std::to_string(level) + " '" + DemoCharts() + "/" + song + ".msd'");
  if (run.status != 0) return timeline;
  std::istringstream lines(run.output);
  for (std::string line; std::getline(lines, line);) {
    size_t at = line.find("msPerStep ");
    if (at != std::string::npos) timeline.msPerStep = std::stof(line.substr(at + 10));
    at = line.find(" step ");
    if (at == std::string::npos) continue;
    std::istringstream words(line.substr(at + 6));
    int32_t step = 0;
    words >> step;
    for (std::string word; words >> word;) {
      int lane = word == "left" || word == "down" || word == "up" || word == "right";
      timeline.arrowsOfStep[step] += lane;
      timeline.arrows += lane;
    }
  }
  return timeline;
}

// Arrows of the steps no frame of `run` saw: the game takes only the step
// due when a frame asks, so a frame later than a step (a host, or a
// virtual machine, stalled that long) skips that step's arrows. The
// position answers are the frames' (the fire is off, so none is the fire
// thread's, and the drift correction counts from 0).
int ArrowsOfStepsNoFrameSaw(const HostRun& run, const Timeline& timeline) {
  std::set<int32_t> seen;
  for (const JournalEvent& request : EventsNamed(run, "request")) {
    if (request.at("request") != "105") continue;
    int32_t pos = std::stoi(request.at("answer"));
    if (pos >= 1) seen.insert(stepIndexAt(correctedPosition(pos, 0), timeline.msPerStep));
  }
  int skipped = 0;
  for (const auto& [step, arrows] : timeline.arrowsOfStep)
    if (!seen.empty() && step <= *seen.rbegin() && !seen.count(step)) skipped += arrows;
  return skipped;
}

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

TEST(Demo, AutoplayHitsEveryArrowOfEverySongAtEachLevel) {
  // Each song played to its end once, each at another level (so every
  // chart file and every level's chart of a file is read by the DLL); that
  // the harness's player hits every arrow of all nine charts through the
  // game's frame pass is AutoPlayer.HitsEveryArrowOfEveryDemoChart's. The
  // plays, and one of the first song with nobody playing, run two side by
  // side, each taking the song's 75 s: three at once on two busy cores were
  // seen to leave a frame more than a step (59 ms) late, and the game skips
  // a step that late, arrows and all.
  std::future<DemoRun> first = std::async(std::launch::async, PlaySong, std::string(kSongs[0]), 0, true,
                                          kSongMs + 3500);
  std::future<DemoRun> second = std::async(std::launch::async, PlaySong, std::string(kSongs[1]), 1, true,
                                           kSongMs + 3500);
  std::vector<DemoRun> plays = {first.get(), second.get()};
  std::future<DemoRun> idle = std::async(std::launch::async, PlaySong, std::string(kSongs[0]), 0, false,
                                         kSongMs + 3500);
  plays.push_back(PlaySong(kSongs[2], 2, true));
  for (int level = 0; level < 3; ++level) {
    const char* song = kSongs[level];
    const DemoRun& demo = plays[size_t(level)];
    std::string name = std::string(song) + " level " + std::to_string(level);
    ASSERT_EQ(demo.run.exitCode, 0) << name << ": " << demo.run.stderrText;
    Timeline timeline = InspectorTimeline(song, level);
    ASSERT_GT(timeline.arrows, 0) << name;
    // Every arrow of every step a frame saw; a stalled machine may skip a
    // step now and then, but never a fiftieth of the chart.
    int skipped = ArrowsOfStepsNoFrameSaw(demo.run, timeline);
    EXPECT_LE(skipped, timeline.arrows / 50) << name;
    if (skipped > 0) std::fprintf(stderr, "%s: %d arrows of steps no frame saw\n", name.c_str(), skipped);
    int arrows = timeline.arrows - skipped;
    std::vector<JournalEvent> ended = EventsNamed(demo.run, "autoplay-end");
    ASSERT_EQ(ended.size(), 1u) << name;
    EXPECT_EQ(ended[0]["arrows"], std::to_string(arrows)) << name;
    EXPECT_EQ(int(EventsNamed(demo.run, "autoplay-press").size()), arrows) << name;
    // "GREAT!!" and "N COMBO" for N the arrows of the chart, drawn as the game draws them.
    EXPECT_EQ(DifferingFromBanner(ReadBmp(demo.folder + "/end.bmp"), ReferenceBanner(demo.folder, arrows)), 0)
        << name;
  }
  // With nobody playing, every arrow is missed: the last banner is "MISS!".
  DemoRun missed = idle.get();
  ASSERT_EQ(missed.run.exitCode, 0) << missed.run.stderrText;
  EXPECT_TRUE(EventsNamed(missed.run, "autoplay-press").empty());
  EXPECT_EQ(DifferingFromBanner(ReadBmp(missed.folder + "/end.bmp"), ReferenceBanner(missed.folder, -1)), 0);
}

}  // namespace
