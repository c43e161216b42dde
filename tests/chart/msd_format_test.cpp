// msd_format_test.cpp -- line breaks, tempo, step count, chart lookup and clock arithmetic.
#include "chart/msd_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "chart_test_support.h"

namespace {

std::string Strip(const std::string& bytes, std::vector<uint32_t>* keptFrom = nullptr) {
  std::vector<char> buffer(bytes.begin(), bytes.end());
  buffer.push_back('#');  // the spare byte; stripping must overwrite it
  if (keptFrom != nullptr) keptFrom->assign(bytes.size(), UINT32_MAX);
  uint32_t kept = stripLineBreaks(buffer.data(), uint32_t(bytes.size()),
                                  keptFrom != nullptr ? keptFrom->data() : nullptr);
  EXPECT_EQ(buffer[kept], '\0') << "terminator right after the kept bytes";
  return std::string(buffer.data(), kept);
}

TEST(StripLineBreaks, RemovesPairsByTheRule) {
  struct Case { const char* name; std::string bytes; std::string text; };
  const std::vector<Case> cases = {
      {"worked example", WorkedExampleFile(), kWorkedExampleText},
      {"no CR keeps every byte", "#BPM:1;\nab \t", "#BPM:1;\nab \t"},
      {"blank line leaves one CR LF", "12\r\n\r\n34", "12\r\n34"},
      {"leading CR LF stays", "\r\nAB\r\n", "\r\nAB"},
      {"CR as last byte is dropped", "AB\r", "AB"},
      {"bare LF stays", "1\n2\n", "1\n2\n"},
      {"CR drops the byte after it whatever it is", "A\r\rB", "AB"},
      {"CR then letter drops the letter", "A\rXB", "AB"},
      {"byte after a pair is copied even as CR", "A\r\n\r\r\nB", "A\rB"},
      {"trailing blanks stay", "40  \r\n20\r\n", "40  20"},
      {"empty", "", ""},
      {"single CR", "\r", "\r"},
  };
  for (const Case& c : cases) EXPECT_EQ(Strip(c.bytes), c.text) << c.name;
}

TEST(StripLineBreaks, MapsKeptBytesToOriginalOffsets) {
  std::vector<uint32_t> keptFrom;
  EXPECT_EQ(Strip("ab\r\ncd\r\n\r\nef", &keptFrom), "abcd\r\nef");
  const std::vector<uint32_t> expected = {0, 1, 4, 5, 8, 9, 10, 11};
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(keptFrom[i], expected[i]) << i;
}

TEST(TextLengthOf, EndsAtTheFirstZeroByteOrTheLimit) {
  EXPECT_EQ(textLengthOf("abc\0def", 7), 3u);
  EXPECT_EQ(textLengthOf("abcdef", 4), 4u);
  EXPECT_EQ(textLengthOf("", 0), 0u);
}

TEST(ReadTempo, ReadsTheFirstTagAsPercentF) {
  struct Case { const char* text; TempoResult result; float bpm; };
  const std::vector<Case> cases = {
      {"#BPM:120;", kTempoRead, 120.0f},
      {"#BPM:150;", kTempoRead, 150.0f},
      {"#BPM:140;", kTempoRead, 140.0f},
      {"#BPM: 150.5;", kTempoRead, 150.5f},
      {"#TITLE:x;#BPM:+60.0e0;", kTempoRead, 60.0f},
      {"#BPM:100;#BPM:200;", kTempoRead, 100.0f},
      {"#BPM:1.2e2", kTempoRead, 120.0f},
      {"#bpm:120;", kTempoMissing, -7.0f},
      {"#BPM 120;", kTempoMissing, -7.0f},
      {"", kTempoMissing, -7.0f},
      {"#BPM:;", kTempoUnreadable, -7.0f},
      {"#BPM:abc;", kTempoUnreadable, -7.0f},
      {"#BPM:", kTempoUnreadable, -7.0f},
      {"#BPM:0;", kTempoUnplayable, 0.0f},
      {"#BPM:-120;", kTempoUnplayable, -120.0f},
      {"#BPM:1e39;", kTempoUnplayable, INFINITY},
      {"#BPM:inf;", kTempoUnreadable, -7.0f},
      {"#BPM:nan;", kTempoUnreadable, -7.0f},
      {"#BPM:0x78;", kTempoUnplayable, 0.0f},   // the 0 before the "x" only
      {"#BPM:0X1p7;", kTempoUnplayable, 0.0f},
      {"#BPM:.5e+3x;", kTempoRead, 500.0f},
      {"#BPM:120e;", kTempoRead, 120.0f},       // no digits: no exponent
      {"#BPM:1e-40;", kTempoUnplayable, 1e-40f},
  };
  for (const Case& c : cases) {
    float bpm = -7.0f;
    float msPerStep = -3.0f;
    EXPECT_EQ(readTempo(c.text, bpm, msPerStep), c.result) << c.text;
    EXPECT_EQ(bpm, c.bpm) << c.text;
    if (c.result != kTempoRead) {
      EXPECT_EQ(msPerStep, -3.0f) << c.text;
    }
  }
}

// The index is divided in double: in float, 1500 / 214.28572 rounds up to 7.
TEST(StepIndexAt, DividesInDoublePrecision) {
  EXPECT_EQ(stepIndexAt(correctedPosition(1494, 0), msPerStepFor(140.0f)), 6);
}

TEST(ReadTempo, StepLengthIsThirtyThousandOverBpmAsFloat) {
  struct Case { const char* text; double msPerStep; double tolerance; };
  const std::vector<Case> cases = {
      {"#BPM:120;", 250.0, 0.0},
      {"#BPM:150;", 200.0, 0.0},
      {"#BPM:140;", 214.28572, 5e-6},
      {"#BPM: 150.5;", 199.33554, 1e-5},
      {"#BPM:300;", 100.0, 0.0},
  };
  for (const Case& c : cases) {
    float bpm = 0.0f;
    float msPerStep = 0.0f;
    ASSERT_EQ(readTempo(c.text, bpm, msPerStep), kTempoRead) << c.text;
    EXPECT_NEAR(msPerStep, c.msPerStep, c.tolerance) << c.text;
  }
  // Divided in double: the float nearest to 30000 / 140, not a float quotient's neighbour.
  EXPECT_EQ(msPerStepFor(140.0f), float(214.285714285714285));
}

TEST(MeasureStepCount, CountsFromTheSeventeenthCharacterOfTheFirstChart) {
  struct Case { const char* name; std::string text; int32_t stepCount; };
  const std::vector<Case> cases = {
      {"worked example", kWorkedExampleText, 16},
      {"18-character header adds two", "#SINGLE:HARDER:10:4020;", 6},
      {"14-character header takes two", "#SINGLE:ABC:3:40206080;", 6},
      {"only the first chart counts", "#BPM:1;#SINGLE:FIRST:3:40;#SINGLE:OTHER:5:402060;", 2},
      {"a ; at the 17th character is passed over", "#SINGLE:FIRST:3:;12;", 3},
      {"no #SINGLE", "#BPM:120;40206080;", 0},
      {"no ; counts to the end", "#SINGLE:FIRST:3:4020", 4},
      {"text ends at the 17th character", "#SINGLE:FIRST:3:", 0},
      {"text ends at the 18th character", "#SINGLE:FIRST:3:4", 1},
      {"inside a longer word", "X#SINGLEX:FIRST:3:40;", 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(measureStepCount(c.text.c_str(), uint32_t(c.text.size())), c.stepCount) << c.name;
  }
  const char withZero[] = "#SINGLE:FIRST:3:40\0;";
  EXPECT_EQ(measureStepCount(withZero, textLengthOf(withZero, sizeof withZero - 1)), 2)
      << "the text ends at a zero byte";
}

TEST(FindChart, LevelPicksThePlaceInTheFile) {
  struct Case { const char* text; int32_t level; int64_t offset; };
  const std::string four = "#SINGLE:A:1:0;#SINGLE:B:1:0;#SINGLE:C:1:0;#SINGLE:D:1:0;";
  const std::vector<Case> cases = {
      {kWorkedExampleText, 0, 9},      {kWorkedExampleText, 1, 42},
      {kWorkedExampleText, 2, kNoOffset}, {kWorkedExampleText, -1, 9},
      {kWorkedExampleText, INT32_MIN, 9}, {kWorkedExampleText, INT32_MAX, kNoOffset},
      {four.c_str(), 2, 28},           {four.c_str(), 3, 42},
      {four.c_str(), 4, kNoOffset},    {"#BPM:1;", 0, kNoOffset},
      {"a#SINGLES#SINGLE", 1, 9},      {"#single:A:1:0;", 0, kNoOffset},
  };
  for (const Case& c : cases) EXPECT_EQ(findChart(c.text, c.level), c.offset) << c.text << " " << c.level;
}

TEST(FindStepData, SkipsThreeColons) {
  struct Case { const char* text; int64_t chart; int64_t data; };
  const std::vector<Case> cases = {
      {kWorkedExampleText, 9, 25},  {kWorkedExampleText, 42, 58},
      {"#SINGLE:::", 0, 10},        {"#SINGLE::", 0, kNoOffset},
      {"#SINGLE:A:B", 0, kNoOffset}, {"#SINGLE", 0, kNoOffset},
      {"#SINGLE:A\0:B:", 0, kNoOffset},
  };
  for (const Case& c : cases) EXPECT_EQ(findStepData(c.text, c.chart), c.data) << c.text;
}

TEST(CorrectedPosition, AddsOneTwoHundredTwentiethOfTheTimeSinceTheSample) {
  struct Case { int32_t pos; int32_t sampled; int32_t t; };
  const std::vector<Case> cases = {
      {0, 0, 0},           {250, 0, 251},       {770, 0, 773},
      {4250, 0, 4269},     {60000, 0, 60272},   {5000, 4000, 5004},
      {1245, 1000, 1246},  {-1, 0, 19522577},   {1000, 2000, 19523574},
      {INT32_MAX, 0, -2137722360}, {INT32_MIN, 0, -2137722359},
  };
  for (const Case& c : cases) EXPECT_EQ(correctedPosition(c.pos, c.sampled), c.t) << c.pos << " " << c.sampled;
}

TEST(StepIndexAt, TruncatesTowardZeroAndSaturates) {
  struct Case { int32_t t; float msPerStep; int32_t index; };
  const std::vector<Case> cases = {
      {0, 250.0f, 0},          {251, 250.0f, 1},       {249, 250.0f, 0},
      {4269, 250.0f, 17},      {60272, 200.0f, 301},   {-1, 250.0f, 0},
      {-500, 250.0f, -2},      {-749, 250.0f, -2},     {INT32_MAX, 1.0f, INT32_MAX},
      {INT32_MIN, 1.0f, INT32_MIN}, {INT32_MAX, 0.5f, INT32_MAX},
      {INT32_MIN, 0.5f, INT32_MIN}, {INT32_MAX, 1e-30f, INT32_MAX},
      {-5, 1e-30f, INT32_MIN}, {5, 0.0f, INT32_MAX},   {-5, 0.0f, INT32_MIN},
      {0, 0.0f, 0},            {5, NAN, 0},            {5, INFINITY, 0},
      {1000, -250.0f, -4},
  };
  for (const Case& c : cases) EXPECT_EQ(stepIndexAt(c.t, c.msPerStep), c.index) << c.t << " / " << c.msPerStep;
}

TEST(StepIndexAt, ExampleAtOneHundredFiftyBpm) {
  EXPECT_EQ(stepIndexAt(correctedPosition(60000, 0), 200.0f), 301);
}

TEST(ClockBounds, FinishedAndOffsetsStayInsideTheText) {
  EXPECT_FALSE(isChartFinished(16, 16));
  EXPECT_TRUE(isChartFinished(17, 16));
  EXPECT_TRUE(isChartFinished(1, 0));
  EXPECT_FALSE(isChartFinished(0, 0));
  EXPECT_FALSE(isChartFinished(INT32_MIN, 16));
  EXPECT_TRUE(isChartFinished(INT32_MAX, INT32_MAX - 2));
  EXPECT_FALSE(isChartFinished(INT32_MAX, INT32_MAX));

  EXPECT_EQ(stepOffset(25, 0, 75), 24);
  EXPECT_EQ(stepOffset(25, 16, 75), 40);
  EXPECT_EQ(stepOffset(25, 50, 75), 74);
  EXPECT_EQ(stepOffset(25, 51, 75), kNoOffset);
  EXPECT_EQ(stepOffset(0, 0, 10), kNoOffset);
  EXPECT_EQ(stepOffset(25, -24, 75), 0);
  EXPECT_EQ(stepOffset(25, INT32_MIN, 75), kNoOffset);
  EXPECT_EQ(stepOffset(25, INT32_MAX, 75), kNoOffset);

  EXPECT_TRUE(isPlayableStepLength(250.0f));
  EXPECT_TRUE(isPlayableStepLength(1e-30f));
  EXPECT_FALSE(isPlayableStepLength(0.0f));
  EXPECT_FALSE(isPlayableStepLength(-1.0f));
  EXPECT_FALSE(isPlayableStepLength(NAN));
  EXPECT_FALSE(isPlayableStepLength(INFINITY));
}

TEST(BuildChartPath, ReplacesEverythingAfterTheFirstDot) {
  struct Case { const char* folder; const char* title; const char* path; };
  const std::vector<Case> cases = {
      {"C:\\charts", "Song.mp3", "C:\\charts\\Song.msd"},
      {"C:\\charts", "Song", "C:\\charts\\Song.msd"},
      {"C:\\charts", "Artist.Song.mp3", "C:\\charts\\Artist.msd"},
      {"C:\\charts", "Song.", "C:\\charts\\Song.msd"},
      {"C:\\charts\\", "Song.mp3", "C:\\charts\\\\Song.msd"},
      {"", "Song.mp3", "\\Song.msd"},
      {"C:\\charts", ".mp3", "C:\\charts\\.msd"},
  };
  for (const Case& c : cases) {
    char out[64];
    EXPECT_EQ(buildChartPath(c.folder, c.title, out, sizeof out), std::string(c.path).size());
    EXPECT_STREQ(out, c.path);
  }
}

TEST(BuildChartPath, CutsToTheRoomGivenAndReportsTheFullLength) {
  char out[8];
  std::memset(out, 'x', sizeof out);
  EXPECT_EQ(buildChartPath("C:\\charts", "Song.mp3", out, sizeof out), 18u);
  EXPECT_STREQ(out, "C:\\char");
  EXPECT_EQ(buildChartPath("C:\\charts", "Song", nullptr, 0), 18u);
}

}  // namespace
