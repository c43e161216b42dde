// field_test.cpp -- what a field pass draws, and the frame's song, step and counters.
#include <gtest/gtest.h>

#include <algorithm>

#include "chart/chart_test_support.h"
#include "play/play_test_support.h"

namespace {

class Field : public testing::Test {
 protected:
  void SetUp() override { ResetPlayField(); }
  void TearDown() override { ResetPlayField(); }
};

DrawCall Masked(int32_t sheet, int32_t sourceX, int32_t sourceY, int32_t x, int32_t y) {
  return {'M', sheet, sourceX, sourceY, x, y, 0, ""};
}
DrawCall Lit(int32_t sourceX, int32_t x, int32_t y, int32_t size) {
  return {'L', 0, sourceX, 32, x, y, size, ""};
}

TEST_F(Field, PassDrawsTargetsThenArrowsOldestFirstAndMovesThem) {
  PlaceArrow(0, 100);
  PlaceArrow(0, 40);
  int32_t hitSlot = PlaceArrow(2, 290);
  testGame.field.lanes[2].hit[hitSlot] = 1;  // judged in this pass, never drawn again
  PlaceArrow(3, 2);
  testGame.frame.frameInterval = 30;
  testGame.frame.colourPhase = 59;  // colour row 11
  DrawField(testGame, true);
  const std::vector<DrawCall> expected = {
      Masked(1, 0, 0, 60, 16),    Masked(0, 0, 352, 60, 210), Masked(0, 0, 352, 60, 270),
      Masked(1, 32, 0, 105, 16),
      Masked(1, 64, 0, 150, 16),
      Masked(1, 96, 0, 195, 16),  Masked(0, 96, 352, 195, 308),
  };
  EXPECT_EQ(fake.draws, expected);
  EXPECT_EQ(testGame.field.lanes[0].travel[0], 103);
  EXPECT_EQ(testGame.field.lanes[0].travel[1], 43);
  EXPECT_EQ(testGame.field.lanes[2].travel[hitSlot], 293) << "a hit arrow keeps rising unseen";
  EXPECT_EQ(testGame.field.lanes[2].unjudgedCount, 0);
  EXPECT_EQ(testGame.field.lanes[3].travel[0], 5);
  fake.draws.clear();
  DrawField(testGame, false);
  EXPECT_EQ(testGame.field.lanes[0].travel[0], 103) << "a pass from a key press moves nothing";
  EXPECT_EQ(fake.draws.size(), expected.size());
}

TEST_F(Field, PressAnimationShowsFiveSizesThenTheNormalTarget) {
  testGame.field.pressed[1] = 1;
  testGame.frame.beatPulse = 2;  // does not matter to a lane in its press animation
  const std::pair<int32_t, int32_t> sizes[] = {{20, 6}, {24, 4}, {26, 3}, {28, 2}, {30, 1}};
  for (const auto& size : sizes) {
    fake.draws.clear();
    DrawField(testGame, true);
    ASSERT_GE(fake.draws.size(), 2u);
    EXPECT_EQ(fake.draws[1], Lit(32, 105 + size.second, 16 + size.second, size.first));
  }
  EXPECT_EQ(testGame.field.pressed[1], 0);
  EXPECT_EQ(testGame.field.pressFrame[1], 0);
  fake.draws.clear();
  DrawField(testGame, true);
  EXPECT_EQ(fake.draws[1], Masked(1, 32, 32, 105, 16)) << "then the target, lit on the beat";
}

// Steps the frame pass takes through the fake host at playback position `pos`.
int FrameAt(int32_t pos) {
  fake.position = pos;
  fake.draws.clear();
  return PlayFrame(testGame);
}

TEST_F(Field, TargetRowLightsOnEverySecondStepAndColoursCycle) {
  fake.fileNames[0] = "C:\\Music\\Song.mp3";
  snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "%s", kChartFolder);
  fake.files["C:\\charts\\Song.msd"] = WorkedExampleFile();
  // Steps fall due at 250, 500, 750 ms (120 BPM) with the drift correction.
  const std::pair<int32_t, int32_t> frames[] = {{260, 0}, {300, 0}, {510, 32}, {520, 0}, {760, 0}};
  for (const auto& frame : frames) {
    ASSERT_EQ(FrameAt(frame.first), 0);
    EXPECT_EQ(fake.draws.at(0), Masked(1, 0, frame.second, 60, 16)) << frame.first;
  }
  testGame.frame.colourPhase = 59;
  ASSERT_EQ(FrameAt(770), 0);
  EXPECT_EQ(testGame.frame.colourPhase, 0);
}

TEST_F(Field, FrameFollowsTheSongAndItsChart) {
  SetLogLinesOn(true);
  // No file name: the lanes still move, nothing is loaded.
  PlaceArrow(0, 50);
  testGame.frame.frameInterval = 30;
  EXPECT_EQ(FrameAt(100), 0);
  EXPECT_EQ(testGame.field.lanes[0].travel[0], 53);
  EXPECT_EQ(FakePlatform_LogLines().front(), "Can't get mp3 name being played currently!");
  // A title that cannot be extracted counts as no file name.
  fake.fileNames[0] = "C:\\Music\\Song.mp3";
  fake.fileTitleFails = true;
  EXPECT_EQ(FrameAt(100), 0);
  EXPECT_TRUE(fake.openedPaths.empty());
  fake.fileTitleFails = false;
  // A song with no chart: one Config, then 1 on every frame.
  fake.logWrites.clear();
  EXPECT_EQ(FrameAt(100), 1);
  EXPECT_EQ(fake.configCalls, 1);
  EXPECT_EQ(FakePlatform_LogLines().back(), "Data buffer in MSD not allocated yet!");
  EXPECT_TRUE(fake.draws.empty());
  EXPECT_EQ(FrameAt(100), 1);
  EXPECT_EQ(fake.configCalls, 1) << "a title that failed is not tried again";
  // The next song loads; the same title is not reloaded.
  fake.fileNames[0] = "C:\\Music\\Other.mp3";
  snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "%s", kChartFolder);
  fake.files["C:\\charts\\Other.msd"] = WorkedExampleFile();
  EXPECT_EQ(FrameAt(260), 0);
  EXPECT_EQ(testGame.field.lanes[0].unjudgedCount, 2) << "step '4' spawned beside the arrow in flight";
  fake.logWrites.clear();
  EXPECT_EQ(FrameAt(270), 0);
  EXPECT_EQ(FakePlatform_LogLines().at(2), "Not changed mp3 <Other.mp3>.");
  EXPECT_EQ(fake.openedPaths.size(), 2u);
  // Past the chart's end: FlameMood 3 before the banner runs.
  testGame.field.combo = 0;
  fake.logWrites.clear();
  EXPECT_EQ(FrameAt(9000), 0);
  EXPECT_EQ(testGame.flame.FlameMood.load(), kMoodChartEnded);
  EXPECT_EQ(FakePlatform_LogLines().back(), "MSD data read ended.");
}

// A new song's judgements start afresh whether its chart loads or not; the
// same song playing on keeps its combo.
TEST_F(Field, NewSongClearsTheCombo) {
  snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "%s", kChartFolder);
  fake.files["C:\\charts\\Song.msd"] = WorkedExampleFile();
  struct Case { const char* song; int32_t comboAfter; };
  const std::vector<Case> cases = {
      {"C:\\Music\\Song.mp3", 0}, {"C:\\Music\\Song.mp3", 7}, {"C:\\Music\\None.mp3", 0}};
  for (const Case& c : cases) {
    fake.fileNames[0] = c.song;
    testGame.field.combo = 7;
    FrameAt(500);
    EXPECT_EQ(testGame.field.combo, c.comboAfter) << c.song;
  }
}

// A full lane refuses the spawn; the log tells it once for each song's chart.
TEST_F(Field, FullLaneIsToldOncePerSong) {
  SetLogLinesOn(true);
  snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "%s", kChartFolder);
  fake.files["C:\\charts\\Song.msd"] = WorkedExampleFile();
  fake.files["C:\\charts\\Other.msd"] = WorkedExampleFile();
  auto fillLane0 = [] { while (ArrowsInFlight(testGame.field.lanes[0]) < kSlotsPerLane - 1) PlaceArrow(0, 100); };
  auto told = [] {
    std::vector<std::string> lines = FakePlatform_LogLines();
    return std::count(lines.begin(), lines.end(), "Lane full: 19 arrows in flight, so an arrow of this chart was left out.");
  };
  struct Case { const char* song; int32_t ms; int toldAfter; };
  // Step '4' (lane 0) at 260 ms, '1' (lanes 0 and 1) at 2260 ms.
  const Case cases[] = {{"C:\\Music\\Song.mp3", 260, 1}, {"C:\\Music\\Song.mp3", 2260, 1},
                        {"C:\\Music\\Other.mp3", 260, 2}};
  for (const Case& c : cases) {
    fake.fileNames[0] = c.song;
    fillLane0();
    testGame.field.combo = 3;
    ASSERT_EQ(FrameAt(c.ms), 0);
    EXPECT_EQ(told(), c.toldAfter) << c.song << " " << c.ms;
    EXPECT_NE(testGame.field.combo, -1) << "a refused arrow charges no miss";
  }
  EXPECT_EQ(ArrowsInFlight(testGame.field.lanes[1]), 1) << "the double's other arrow spawned";
}

// The ANSI name (request 211) lost the song's characters; the wide name
// (request 214) finds the chart, while the log keeps the ANSI name.
TEST_F(Field, WideNameFindsTheChartTheAnsiNameLost) {
  SetLogLinesOn(true);
  snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "%s", kChartFolder);
  fake.files["C:\\charts\\T\u014dky\u014d Drift.msd"] = WorkedExampleFile();
  fake.fileNames[0] = "C:\\Music\\T?ky? Drift.mp3";
  EXPECT_EQ(FrameAt(100), 1) << "no wide name: the ANSI name finds nothing";
  fake.wideFileNames[0] = "C:\\Music\\T\u014dky\u014d Drift.mp3";
  fake.logWrites.clear();
  EXPECT_EQ(FrameAt(100), 0) << "the same ANSI title, a new wide one: loaded";
  std::vector<std::string> log = FakePlatform_LogLines();
  EXPECT_NE(std::find(log.begin(), log.end(), "Open MSD file <C:\\charts\\T?ky? Drift.msd> success."), log.end());
  EXPECT_EQ(fake.openedPaths.back(), "C:\\charts\\T\u014dky\u014d Drift.msd");
}

// A source that decides its steps as the song plays, as a live one would:
// the frame pass plays whatever it answers and knows nothing of chart files.
class ScriptedSteps final : public StepSource {
 public:
  bool ready = true;
  std::vector<int> results;  // one per frame: 0 new step, 1 same, -1 finished
  std::string steps;         // the character of each new step, in order
  int polls = 0;
  bool Ready(const Game&) const override { return ready; }
  int StepDue(Game&, char& step, StepClockReport& report) override {
    report = {};
    int result = results[size_t(polls++)];
    if (result == 0) {
      step = steps[0];
      steps.erase(0, 1);
      report.newStep = true;
    }
    return result;
  }
};

TEST_F(Field, FramePassPlaysWhatItsStepSourceAnswers) {
  ScriptedSteps source;
  source.results = {0, 1, 0, -1};
  source.steps = "4B";
  fake.fileNames[0] = "C:\\music\\Live.mp3";
  std::snprintf(testGame.song.lastSeenTitle, sizeof testGame.song.lastSeenTitle, "Live.mp3");  // already seen
  testGame.steps = &source;
  for (int frame = 0; frame < 4; ++frame) EXPECT_EQ(PlayFrame(testGame), 0) << frame;
  EXPECT_EQ(source.polls, 4);
  EXPECT_EQ(ArrowsInFlight(testGame.field.lanes[0]), 2) << "'4', then 'B' (left and right)";
  EXPECT_EQ(ArrowsInFlight(testGame.field.lanes[3]), 1);
  EXPECT_EQ(testGame.frame.beatPulse, 0) << "two new steps: 1, 2 (lit), then back to 0";
  EXPECT_EQ(testGame.flame.FlameMood.load(), kMoodChartEnded) << "the source finished";

  source.ready = false;  // nothing to play from: the frame ends after the background
  SetLogLinesOn(true);
  EXPECT_EQ(PlayFrame(testGame), 1);
  EXPECT_EQ(source.polls, 4);
  EXPECT_EQ(FakePlatform_LogLines().back(), "Data buffer in MSD not allocated yet!");
}

}  // namespace
