// song_chart_test.cpp -- a song without a chart: made while the field plays on, or reported as before.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "chart/chart_test_support.h"
#include "play/play_test_support.h"

namespace {

class AutoChart : public testing::Test {
 protected:
  void SetUp() override {
    ResetPlayField();
    testSettings.autoChart = 1;
    SetLogLinesOn(true);
    snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "%s", kChartFolder);
    snprintf(testSettings.madeChartsFolder, sizeof testSettings.madeChartsFolder, "%s", "C:\\settings\\Charts");
    fake.fileNames[0] = "C:\\Music\\Song.mp3";
  }
  void TearDown() override { ResetPlayField(); }

  int FrameAt(int32_t pos) {
    fake.position = pos;
    fake.draws.clear();
    return PlayFrame(testGame);
  }
  bool Logged(const std::string& line) {
    std::vector<std::string> log = FakePlatform_LogLines();
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  bool DrewText(const std::string& text) {
    return std::any_of(fake.draws.begin(), fake.draws.end(),
                       [&](const DrawCall& d) { return d.kind == 'T' && d.text == text; });
  }
};

TEST_F(AutoChart, MakesTheChartWhileTheFieldPlaysOnThenPlaysItFromThePosition) {
  PlaceArrow(0, 50);
  testGame.frame.frameInterval = 30;
  fake.making.percent = 40;
  EXPECT_EQ(FrameAt(1000), 0);
  EXPECT_EQ(fake.makingStarts, std::vector<std::string>{"C:\\Music\\Song.mp3"});
  EXPECT_TRUE(fake.errorBoxes.empty());
  EXPECT_EQ(fake.configCalls, 0);
  EXPECT_TRUE(Logged("Making a chart for <Song.mp3> from its audio."));
  EXPECT_TRUE(DrewText("MAKING CHART 40%"));
  EXPECT_GT(testGame.field.lanes[0].travel[0], 50) << "the arrow in flight rises on";
  // The file is written: loaded on that frame, and its step due now spawns.
  fake.files["C:\\charts\\Song.msd"] = WorkedExampleFile();
  fake.making = {Making::kMade, 0, 1234, "C:\\charts (120.00 BPM)"};
  EXPECT_EQ(FrameAt(260), 0);
  EXPECT_TRUE(Logged("Chart made for <Song.mp3> in 1234 ms: C:\\charts (120.00 BPM)."));
  EXPECT_FALSE(DrewText("MAKING CHART 0%"));
  EXPECT_EQ(testGame.field.lanes[0].unjudgedCount, 2) << "step '4' spawned beside the arrow in flight";
  EXPECT_EQ(fake.makingStarts.size(), 1u) << "the next play of the song finds the file";
}

// Every way a chart is not made ends in listening to the song, after one
// line that says why; with AUTO_CHART 0 the loader's path is all there is.
TEST_F(AutoChart, SongsThatCannotBeMadePlayLive) {
  struct Case {
    const char* name;
    int32_t autoChart;
    const char* file;
    bool startFails;
    bool failsLater;
    const char* why;  // the line that says why, "" for none
  };
  const Case cases[] = {
      {"off", 0, "C:\\Music\\Song.mp3", false, false, ""},
      {"stream", 1, "http://radio.example/Song.mp3", false, false,
       "No chart made for <Song.mp3>: the song is a stream, not a file."},
      {"no thread", 1, "C:\\Music\\Song.mp3", true, false,
       "No chart made for <Song.mp3>: no worker thread can be started."},
      {"too short", 1, "C:\\Music\\Song.mp3", false, true,
       "No chart made for <Song.mp3> after 80 ms: too short for a chart."},
  };
  for (const Case& c : cases) {
    SetUp();
    testSettings.autoChart = c.autoChart;
    fake.fileNames[0] = c.file;
    fake.makingStartFails = c.startFails;
    if (c.failsLater) fake.making = {Making::kFailed, 0, 80, "too short for a chart"};
    int result = FrameAt(100);
    if (c.failsLater) result = FrameAt(125);  // the frame that hears of the failure
    bool live = c.autoChart != 0;
    EXPECT_EQ(result, live ? 0 : 1) << c.name;
    EXPECT_EQ(fake.errorBoxes.size(), live ? 0u : 1u) << c.name;
    EXPECT_EQ(fake.configCalls, live ? 0 : 1) << c.name;
    EXPECT_EQ(Logged("Live chart for <Song.mp3>: listening."), live) << c.name;
    EXPECT_EQ(DrewText("LISTENING"), live) << c.name;
    if (!live) {
      EXPECT_EQ(FakePlatform_LogLines().back(), "Data buffer in MSD not allocated yet!") << c.name;
    }
    if (*c.why != '\0') {
      EXPECT_TRUE(Logged(c.why)) << c.name;
    }
    std::vector<std::string> log = FakePlatform_LogLines();
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.find("chart made") != l.npos ||
                                                                               l.find("No chart") == 0; }),
              *c.why != '\0' ? 1 : 0) << c.name;
    EXPECT_EQ(fake.makingStarts.empty(), c.autoChart == 0 || c.file[0] == 'h') << c.name;
  }
}

// A stream keeps its name while its songs change: it is known by the title
// the host shows, and a new title is listened to afresh.
TEST_F(AutoChart, AStreamIsKnownByItsTitleAndListenedToAfreshWhenItChanges) {
  fake.fileNames[0] = "http://radio.example/live";
  fake.entryTitles[0] = "Band - First Song";
  EXPECT_EQ(FrameAt(100), 0);
  EXPECT_TRUE(Logged("Live chart for <Band - First Song>: listening."));
  EXPECT_EQ(FrameAt(125), 0);
  fake.entryTitles[0] = "Other Band - Second Song";
  EXPECT_EQ(FrameAt(150), 0);
  EXPECT_TRUE(Logged("Live chart for <Other Band - Second Song>: listening."));
  EXPECT_TRUE(fake.errorBoxes.empty());
  // Without AUTO_CHART the stream is known by its name, as it always was.
  SetUp();
  testSettings.autoChart = 0;
  fake.fileNames[0] = "http://radio.example/live";
  fake.entryTitles[0] = "Band - First Song";
  FrameAt(100);
  EXPECT_EQ(std::count(fake.requests.begin(), fake.requests.end(), kHostEntryTitle), 0);
  EXPECT_TRUE(Logged("Retreive mp3 title <live>."));
}

TEST_F(AutoChart, ChartsItMadeBeforeAreFoundAndASongChangeStopsTheWork) {
  fake.files["C:\\settings\\Charts\\Song.msd"] = WorkedExampleFile();
  EXPECT_EQ(FrameAt(260), 0);
  EXPECT_TRUE(fake.makingStarts.empty()) << "found among the made charts";
  EXPECT_TRUE(Logged("Open MSD file <C:\\settings\\Charts\\Song.msd> success."));
  // A new song starts the work; the next song change stops it first.
  fake.fileNames[0] = "C:\\Music\\Other.mp3";
  FrameAt(300);
  EXPECT_EQ(fake.makingStarts.size(), 1u);
  int stops = fake.makingStops;
  fake.fileNames[0] = "C:\\Music\\Song.mp3";
  EXPECT_EQ(FrameAt(300), 0);
  EXPECT_EQ(fake.makingStops, stops + 1);
  EXPECT_EQ(fake.makingStarts.size(), 1u) << "Song has its chart";
  // Quit in mid-work, then a new session: the song's chart is made afresh,
  // and no song change is told.
  fake.fileNames[0] = "C:\\Music\\Other.mp3";
  FrameAt(300);
  ForgetSong(testGame);
  fake.logWrites.clear();
  EXPECT_EQ(FrameAt(300), 0);
  EXPECT_EQ(fake.makingStarts.size(), 3u);
  EXPECT_FALSE(Logged("Chart for <Other.mp3> not made: the song changed."));
  EXPECT_TRUE(fake.errorBoxes.empty());
}

}  // namespace
