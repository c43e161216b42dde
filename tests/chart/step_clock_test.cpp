// step_clock_test.cpp -- PollStepClock against the worked example and the clock's edge cases.
#include "chart/step_clock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/msd_format.h"
#include "chart_test_support.h"
#include "flame/flame_shared.h"
#include "platform/platform.h"
#include "play/frame_pass.h"
#include "play/lanes.h"

namespace {

// A poll as the frame pass makes it: the step clock, then what the frame pass
// does with its report (resets, the missing-chart box, the beat pulse).
int Poll(char& character) {
  StepClockReport report;
  int result = PollStepClock(fakePlatform, testGame.chart, testSettings.level, testGame.clock, character, report);
  ActOnStepClock(testGame, report);
  return result;
}

class StepClock : public testing::Test {
 protected:
  void SetUp() override {
    ResetChartState();
    testGame.clock.lastStep = -1;
    testGame.frame.beatPulse = 0;
    testGame.field.combo = 0;
    testGame.flame.FlameMood.store(kMoodCooling);
    testGame.clock.sampledPosition.store(0);
  }
  void TearDown() override { ResetChartState(); }

  // One frame's call at playback position `pos`; the character starts as
  // "0" as the frame pass sets it.
  int PollAt(int32_t pos, char& character) {
    fake.position = pos;
    character = '0';
    return Poll(character);
  }
};

TEST_F(StepClock, WorkedExampleTable) {
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 1);
  struct Row { int32_t pos; int result; char character; int64_t offset; };
  const std::vector<Row> rows = {
      {0, 0, ':', 24},    {250, 0, '4', 25},  {500, 0, '0', 26},  {770, 0, '2', 27},
      {2300, 0, '1', 33}, {3500, 0, 'A', 38}, {4000, 0, '0', 40}, {4250, -1, '0', 40},
  };
  for (const Row& row : rows) {
    char character = 'x';
    EXPECT_EQ(PollAt(row.pos, character), row.result) << row.pos;
    EXPECT_EQ(character, row.character) << row.pos;
    EXPECT_EQ(testGame.clock.lastStep, row.offset) << row.pos;
  }
}

// OFFSET_MS moves every step that much later in the song (earlier when
// negative); before the song has played the offset nothing is due.
TEST_F(StepClock, OffsetMovesEveryStep) {
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 1);
  struct Row { int32_t offset, pos; int result; char character; };
  const std::vector<Row> rows = {
      {200, 0, 1, '0'}, {200, 199, 1, '0'}, {200, 450, 0, '4'}, {200, 970, 0, '2'}, {200, 4400, 0, '0'},
      {200, 4450, -1, '0'}, {-250, 0, 0, '4'}, {-250, 520, 0, '2'},
  };
  for (const Row& row : rows) {
    testGame.clock.offsetMs = row.offset;
    char character = 'x';
    EXPECT_EQ(PollAt(row.pos, character), row.result) << row.offset << " " << row.pos;
    EXPECT_EQ(character, row.character) << row.offset << " " << row.pos;
  }
  testGame.clock.offsetMs = 0;
}

TEST_F(StepClock, SameStepTwiceReportsOne) {
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 1);
  SetLogLinesOn(true);
  char character = 'x';
  EXPECT_EQ(PollAt(260, character), 0);
  EXPECT_EQ(character, '4');
  character = 'q';
  fake.position = 490;
  EXPECT_EQ(Poll(character), 1);
  EXPECT_EQ(character, 'q');
  EXPECT_EQ(testGame.frame.beatPulse, 1);
  EXPECT_EQ(FakePlatform_LogLines(),
            (std::vector<std::string>{"Start to read MSD data...", "Read MSD data OK. Got new step.",
                                      "Start to read MSD data..."}));
  EXPECT_EQ(fake.requests, (std::vector<int32_t>{kHostPosition, kHostPosition}));
}

TEST_F(StepClock, ALongGapDeliversOnlyTheStepDueNow) {
  std::string data = "4286137";
  ASSERT_EQ(LoadSongChart(CrLfLines({"#BPM:300;", "#SINGLE:FIRST:3:", data + ";"})), 1);
  const std::vector<std::pair<int32_t, char>> frames = {{100, '4'}, {350, '8'}, {600, '3'}};
  for (const auto& frame : frames) {
    char character = 'x';
    EXPECT_EQ(PollAt(frame.first, character), 0);
    EXPECT_EQ(character, frame.second) << frame.first;
  }
}

TEST_F(StepClock, LastStepThenFinished) {
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 1);
  SetLogLinesOn(true);
  char character = 'x';
  EXPECT_EQ(PollAt(3985, character), 0);  // t 4003: index 16, the last step
  EXPECT_EQ(testGame.clock.lastStep, 40);
  fake.logWrites.clear();
  EXPECT_EQ(PollAt(4233, character), -1);  // t 4252: index 17
  EXPECT_EQ(character, '0');
  EXPECT_EQ(FakePlatform_LogLines(), (std::vector<std::string>{
                                         "Start to read MSD data...", "Read MSD data failed or finished."}));
  EXPECT_EQ(PollAt(9000, character), -1);
  EXPECT_EQ(PollAt(100, character), 0) << "a seek back plays again";
}

TEST_F(StepClock, MissingChartShowsTheBoxOncePerChartTextAndLevel) {
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 1);
  testSettings.level = 2;
  SetLogLinesOn(true);
  auto pollThrice = [] {
    for (int32_t pos : {0, 260, 500}) {
      char character = 'x';
      fake.position = pos;
      EXPECT_EQ(Poll(character), 0);
      EXPECT_EQ(character, 'x');
    }
  };
  pollThrice();
  EXPECT_EQ(fake.errorBoxes, std::vector<std::string>{"Bad MSD file header"});
  EXPECT_EQ(FakePlatform_LogLines(), std::vector<std::string>(3, "Start to read MSD data..."));
  EXPECT_EQ(testGame.frame.beatPulse, 0);
  EXPECT_EQ(testGame.clock.lastStep, -1);
  testSettings.level = 3;  // another level: told again, once
  pollThrice();
  EXPECT_EQ(fake.errorBoxes.size(), 2u);
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 1);  // the same file loaded anew
  pollThrice();
  EXPECT_EQ(fake.errorBoxes.size(), 3u);
}

TEST_F(StepClock, LevelPicksTheChart) {
  const std::string file = CrLfLines({"#BPM:120;", "#SINGLE:A:1:", "4000;", "#SINGLE:B:1:", "2000;",
                                      "#SINGLE:C:1:", "8000;", "#SINGLE:D:1:", "6000;"});
  ASSERT_EQ(LoadSongChart(file), 1);
  struct Case { int32_t level; char character; };
  const std::vector<Case> cases = {{-3, '4'}, {0, '4'}, {1, '2'}, {2, '8'}, {3, '6'}};
  for (const Case& c : cases) {
    testSettings.level = c.level;
    testGame.clock.lastStep = -1;
    char character = 'x';
    EXPECT_EQ(PollAt(260, character), 0) << c.level;
    EXPECT_EQ(character, c.character) << c.level;
  }
  testSettings.level = 4;
  char character = 'x';
  EXPECT_EQ(PollAt(260, character), 0);
  EXPECT_EQ(fake.errorBoxes, std::vector<std::string>{"Bad MSD file header"});
}

// The chart's place in the text is remembered per text: another song's
// chart, its header longer, is read at its own place at the same level.
TEST_F(StepClock, ANewChartTextIsReadWhereItsOwnChartStarts) {
  char character = 'x';
  ASSERT_EQ(LoadSongChart(CrLfLines({"#BPM:120;", "#SINGLE:A:1:", "4000;"})), 1);
  EXPECT_EQ(PollAt(260, character), 0);
  EXPECT_EQ(character, '4');
  ASSERT_EQ(LoadSongChart(CrLfLines({"#BPM:120;", "#TITLE:Another;", "#SINGLE:Longer:1:", "2000;"})), 1);
  testGame.clock.lastStep = -1;
  EXPECT_EQ(PollAt(260, character), 0);
  EXPECT_EQ(character, '2');
}

TEST_F(StepClock, LevelChangeMidSongContinuesAtTheSameIndex) {
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 1);
  char character = 'x';
  EXPECT_EQ(PollAt(1245, character), 0);  // t 1250: index 5
  EXPECT_EQ(character, '6');
  testSettings.level = 1;
  EXPECT_EQ(PollAt(1245, character), 0);
  EXPECT_EQ(character, '8');
  EXPECT_EQ(testGame.clock.lastStep, 58 + 4);
}

TEST_F(StepClock, PositionBelowOneResetsPlayState) {
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 1);
  struct Case { int32_t pos; int result; char character; };
  const std::vector<Case> cases = {{0, 0, ':'}, {-1, -1, '0'}, {INT32_MIN, -1, '0'}};
  for (const Case& c : cases) {
    testGame.field.combo = 4;
    testGame.flame.FlameMood.store(kMoodSurge);
    testGame.clock.sampledPosition.store(3000);
    testGame.clock.lastStep = -1;
    char character = 'x';
    EXPECT_EQ(PollAt(c.pos, character), c.result) << c.pos;
    EXPECT_EQ(character, c.character) << c.pos;
    EXPECT_EQ(testGame.field.combo, 0);
    EXPECT_EQ(testGame.flame.FlameMood.load(), kMoodCooling);
    EXPECT_EQ(testGame.clock.sampledPosition.load(), 0);
  }
  // At or above 1 ms nothing is reset.
  testGame.field.combo = 4;
  testGame.flame.FlameMood.store(kMoodSurge);
  testGame.clock.sampledPosition.store(1);
  char character = 'x';
  PollAt(1, character);
  EXPECT_EQ(testGame.field.combo, 4);
  EXPECT_EQ(testGame.flame.FlameMood.load(), kMoodSurge);
  EXPECT_EQ(testGame.clock.sampledPosition.load(), 1);
}

TEST_F(StepClock, SampledPositionCorrectsDrift) {
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 1);
  struct Case { int32_t sampled; int32_t pos; int result; char character; };
  const std::vector<Case> cases = {
      {0, 1245, 0, '6'},     // t 1250: index 5
      {1000, 1245, 0, '0'},  // t 1246: index 4
      {3000, 2000, -1, '0'}, // behind the sample: d wraps, t about 19.5 million
  };
  for (const Case& c : cases) {
    testGame.clock.sampledPosition.store(c.sampled);
    testGame.clock.lastStep = -1;
    char character = 'x';
    EXPECT_EQ(PollAt(c.pos, character), c.result) << c.sampled;
    EXPECT_EQ(character, c.character) << c.sampled;
  }
}

TEST_F(StepClock, OneMinuteAtOneHundredFiftyBpm) {
  std::string data;
  for (int i = 0; i < 400; ++i) data += "0123456789AB"[i % 12];
  ASSERT_EQ(LoadSongChart(CrLfLines({"#BPM:150;", "#SINGLE:FIRST:3:", data + ";"})), 1);
  char character = 'x';
  EXPECT_EQ(PollAt(60000, character), 0);
  EXPECT_EQ(testGame.clock.lastStep, 25 + 300);
  EXPECT_EQ(character, data[300]);
}

TEST_F(StepClock, BeatPulseAdvancesOnEveryNewStep) {
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 1);
  struct Case { int32_t pos; int32_t before; int32_t after; };
  const std::vector<Case> cases = {
      {0, 0, 1}, {260, 1, 2}, {270, 0, 0}, {510, 0, 1}, {760, 5, 6}, {4300, 6, 6},
  };
  for (const Case& c : cases) {
    testGame.frame.beatPulse = c.before;
    char character = 'x';
    PollAt(c.pos, character);
    EXPECT_EQ(testGame.frame.beatPulse, c.after) << c.pos;
  }
}

TEST_F(StepClock, BlankLineDelaysLaterStepsByTwo) {
  ASSERT_EQ(LoadSongChart("#BPM:120;\r\n#SINGLE:FIRST:3:\r\n40\r\n\r\n20;\r\n"), 1);
  EXPECT_EQ(testGame.chart.stepCount, 6);
  const std::string due = "40\r\n20";
  for (int32_t index = 1; index <= 6; ++index) {
    char character = 'x';
    ASSERT_EQ(PollAt(index * 250, character), 0);
    EXPECT_EQ(character, due[size_t(index - 1)]) << index;
  }
}

TEST_F(StepClock, BareLineFeedsAreSteps) {
  ASSERT_EQ(LoadSongChart("#BPM:120;\n#SINGLE:FIRST:3:\n40\n20;\n"), 1);
  EXPECT_EQ(testGame.chart.stepCount, 6) << "LF after the header, 4, 0, LF, 2, 0";
  char character = 'x';
  EXPECT_EQ(PollAt(250, character), 0);
  EXPECT_EQ(character, '\n');
  EXPECT_EQ(PollAt(500, character), 0);
  EXPECT_EQ(character, '4');
}

TEST_F(StepClock, LongFirstHeaderPlaysTheSemicolon) {
  ASSERT_EQ(LoadSongChart(CrLfLines({"#BPM:120;", "#SINGLE:HARDER:10:", "4020;", "#SINGLE:X:1:", "0;"})), 1);
  EXPECT_EQ(testGame.chart.stepCount, 6);
  char character = 'x';
  EXPECT_EQ(PollAt(1245, character), 0);
  EXPECT_EQ(character, ';');
  EXPECT_EQ(PollAt(1495, character), 0);
  EXPECT_EQ(character, '#');
  EXPECT_EQ(PollAt(1745, character), -1);
}

TEST_F(StepClock, NothingIsDeliveredBeyondTheText) {
  // The last chart is shorter than the step count: its ";" is played, then the text ends.
  ASSERT_EQ(LoadSongChart("#BPM:120;#SINGLE:FIRST:3:40206080;#SINGLE:B:1:40;"), 1);
  ASSERT_EQ(testGame.chart.stepCount, 8);
  testSettings.level = 1;
  struct Row { int32_t pos; int result; char character; };
  const std::vector<Row> rows = {
      {495, 0, '4'}, {745, 0, '0'}, {995, 0, ';'}, {1100, -1, '0'}, {1990, -1, '0'}};
  for (const Row& row : rows) {
    char character = 'x';
    EXPECT_EQ(PollAt(row.pos, character), row.result) << row.pos;
    EXPECT_EQ(character, row.character) << row.pos;
  }
}

TEST_F(StepClock, HeaderCutShortIsABadHeader) {
  ASSERT_EQ(LoadSongChart("#BPM:120;#SINGLE:A:1:40;#SINGLE:B:"), 1);
  testSettings.level = 1;
  char character = 'x';
  fake.position = 300;
  EXPECT_EQ(Poll(character), 0);
  EXPECT_EQ(character, 'x');
  EXPECT_EQ(fake.errorBoxes, std::vector<std::string>{"Bad MSD file header"});
}

TEST_F(StepClock, ChartTextEndsAtAZeroByte) {
  ASSERT_EQ(LoadSongChart(std::string("#BPM:120;#SINGLE:FIRST:3:40\0" "20;#SINGLE:B:1:", 43)), 1);
  EXPECT_EQ(testGame.chart.stepCount, 2);
  testSettings.level = 1;
  char character = 'x';
  EXPECT_EQ(PollAt(300, character), 0);
  EXPECT_EQ(fake.errorBoxes, std::vector<std::string>{"Bad MSD file header"})
      << "the chart after the zero byte is not there";
}

TEST_F(StepClock, UnknownStepLengthCountsAsFinished) {
  // A first load whose read fails leaves a text but no tempo.
  fake.readFails = true;
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 0);
  fake.readFails = false;
  snprintf(testGame.chart.chartText, 20, "#SINGLE:A:1:40;");
  testGame.chart.textLength = 15;
  char character = 'x';
  EXPECT_EQ(PollAt(300, character), -1);
  EXPECT_EQ(PollAt(0, character), -1);
}

TEST_F(StepClock, HugeIndexesFinishWithoutOverflow) {
  // 1e30 BPM: a step of about 3e-26 ms, so every position's index saturates.
  ASSERT_EQ(LoadSongChart("#BPM:1e30;#SINGLE:FIRST:3:40;"), 1);
  struct Row { int32_t pos; int32_t sampled; int result; };
  const std::vector<Row> rows = {{0, 0, 0}, {1, 0, -1}, {INT32_MAX, 0, -1}, {INT32_MAX - 5, 10, -1}};
  for (const Row& row : rows) {
    testGame.clock.sampledPosition.store(row.sampled);
    testGame.clock.lastStep = -1;
    char character = 'x';
    EXPECT_EQ(PollAt(row.pos, character), row.result) << row.pos;
  }
}

TEST_F(StepClock, NegativeIndexInsideTheTextIsDeliveredOutsideIsFinished) {
  // 0.0003 BPM: about 1e8 ms a step, so a wrapped-negative t gives index -21,
  // which names a byte 22 places before the step data.
  std::string file = "#BPM:0.0003;" + std::string(30, 'x') + "#SINGLE:FIRST:3:40;";
  ASSERT_EQ(LoadSongChart(file), 1);
  char character = '?';
  EXPECT_EQ(PollAt(INT32_MAX, character), 0);  // t -2137722360
  EXPECT_EQ(testGame.clock.lastStep, 58 - 22);
  EXPECT_EQ(character, 'x');
  EXPECT_EQ(PollAt(INT32_MIN, character), 1) << "t -2137722359 is index -21 as well";
  // Ten times the tempo: index -213 lies before the text.
  file = "#BPM:0.003;" + std::string(31, 'x') + "#SINGLE:FIRST:3:40;";
  ASSERT_EQ(LoadSongChart(file), 1);
  EXPECT_EQ(PollAt(INT32_MAX, character), -1);
}

TEST_F(StepClock, AbsentChartTextIsFinished) {
  char character = 'x';
  EXPECT_EQ(PollAt(300, character), -1);
  EXPECT_EQ(character, '0');
}

}  // namespace
