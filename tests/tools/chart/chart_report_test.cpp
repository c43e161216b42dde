// chart_report_test.cpp -- the chart inspector's findings, formats and exit statuses.
#include "tools/chart/chart_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "chart/chart_test_support.h"
#include "tools/chart/chart_tool_run.h"

namespace {

bool HasWarning(const ChartReport& report, uint32_t line, const std::string& part) {
  for (const ChartWarning& warning : report.warnings) {
    if (warning.line == line && warning.message.find(part) != std::string::npos) return true;
  }
  return false;
}

std::string AllWarnings(const ChartReport& report) {
  std::string text;
  for (const ChartWarning& warning : report.warnings) {
    text += std::to_string(warning.line) + ": " + warning.message + "\n";
  }
  return text;
}

TEST(ChartReport, WorkedExampleAsTheGameReadsIt) {
  ChartReport report = InspectChart("Song.msd", WorkedExampleFile());
  EXPECT_EQ(report.bpm, 120.0f);
  EXPECT_EQ(report.msPerStep, 250.0f);
  EXPECT_EQ(report.stepCount, 16);
  EXPECT_EQ(report.charts, (std::vector<int64_t>{9, 42}));
  EXPECT_EQ(report.levels[0].chartOffset, 9);
  EXPECT_EQ(report.levels[0].dataOffset, 25);
  EXPECT_EQ(report.levels[0].steps, "4020608013790AB0");
  EXPECT_EQ(report.levels[1].chartOffset, 42);
  EXPECT_EQ(report.levels[1].dataOffset, 58);
  EXPECT_EQ(report.levels[1].steps, "4422886613791379");
  EXPECT_EQ(report.levels[2].chartOffset, kNoOffset);
  EXPECT_EQ(report.levels[2].steps, "");
  ASSERT_EQ(report.warnings.size(), 1u) << AllWarnings(report);
  EXPECT_TRUE(HasWarning(report, 0, "no chart for level 2 (Expert)"));
  EXPECT_EQ(ChartExitStatus(report), 1);
  EXPECT_EQ(OriginalLine(report, 9), 2u);
  EXPECT_EQ(OriginalLine(report, 41), 4u);
  EXPECT_EQ(OriginalLine(report, 74), 7u);
}

TEST(ChartReport, WarningsNameTheOriginalLine) {
  struct Case { const char* name; std::string file; uint32_t line; const char* part; };
  const std::string tail = "#SINGLE:B:1:\r\n4020;\r\n#SINGLE:C:1:\r\n4020;\r\n";
  const std::vector<Case> cases = {
      {"blank line", "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n40\r\n\r\n20;\r\n" + tail, 4,
       "blank line inside the step data of chart 1"},
      {"bare LF", "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n40\n20;\r\n" + tail, 3, "bare LF inside the step data"},
      {"stray CR", "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n4\r\n\r\r\n0;\r\n" + tail, 4, "a CR that ends no line"},
      {"lowercase bpm", "#BPM:120;\r\n\r\n#bPm:99;\r\n#SINGLE:FIRST:3:\r\n40;\r\n" + tail, 3,
       "\"#bPm:\" is not a tempo tag"},
      {"second tempo", "#BPM:120;\r\n#BPM:99;\r\n#SINGLE:FIRST:3:\r\n40;\r\n" + tail, 2,
       "a second \"#BPM:\" is ignored"},
      {"lowercase single", "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n40;\r\n#single:X:1:\r\n" + tail, 4,
       "\"#single\" is not a chart tag"},
      {"no colon after #SINGLE", "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n40;\r\n#SINGLES:X:1:\r\n40;\r\n" + tail, 4,
       "\"#SINGLE\" followed by \"S\" instead of \":\" still starts a chart"},
      {"lowercase step", "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n40\r\n2b;\r\n" + tail, 4,
       "1 character here is no step and plays as an empty step: \"b\""},
      {"tab and byte", "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n\t\x01;\r\n" + tail, 3, "tab byte 0x01"},
      {"zero byte", std::string("#BPM:120;\r\n#SINGLE:FIRST:3:\r\n40;\r\n\0\r\n", 37) + tail, 4,
       "a zero byte ends the text here"},
      {"no ; in the first chart", "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n4020\r\n", 2,
       "has no \";\" after its step data"},
      {"header cut short", "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n40;\r\n#SINGLE:B:1:\r\n40;\r\n#SINGLE:C", 6,
       "fewer than three \":\""},
  };
  for (const Case& c : cases) {
    ChartReport report = InspectChart("Song.msd", c.file);
    EXPECT_TRUE(HasWarning(report, c.line, c.part)) << c.name << "\n" << AllWarnings(report);
    EXPECT_EQ(ChartExitStatus(report), 1) << c.name << "\n" << report.notPlayable;
  }
}

TEST(ChartReport, BlankLineIsOneWarningNotTwo) {
  ChartReport report =
      InspectChart("Song.msd", "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n40\r\n\r\n20;\r\n#SINGLE:B:1:\r\n40\r\n"
                               "\r\n20;\r\n#SINGLE:C:1:\r\n402\n00;\r\n");
  ASSERT_EQ(report.warnings.size(), 3u) << AllWarnings(report);
  EXPECT_TRUE(HasWarning(report, 4, "blank line inside the step data of chart 1"));
  EXPECT_TRUE(HasWarning(report, 8, "blank line inside the step data of chart 2"));
  EXPECT_TRUE(HasWarning(report, 11, "bare LF inside the step data of chart 3"));
}

// A step into a lane that still has 19 arrows in flight spawns nothing:
// 40 left arrows 100 ms apart fill the lane at the 20th; arrows spread
// over two lanes never do.
TEST(ChartReport, FullLaneIsWarnedOnce) {
  std::string file = CrLfLines({"#BPM:300;", "#SINGLE:A:1:", std::string(40, '4') + ";", "#SINGLE:B:1:",
                                [] { std::string s; for (int i = 0; i < 20; ++i) s += "42"; return s; }() + ";"});
  ChartReport report = InspectChart("Song.msd", file);
  EXPECT_TRUE(HasWarning(report, 3, "chart 1 (level 0, Standard): at 2.0 s the left lane already has 19 arrows "
                                    "in flight")) << AllWarnings(report);
  int full = 0;
  for (const ChartWarning& warning : report.warnings) full += warning.message.find("19 arrows") != std::string::npos;
  EXPECT_EQ(full, 1) << AllWarnings(report);
}

TEST(ChartReport, NotPlayableFiles) {
  struct Case { const char* name; std::string file; const char* reason; };
  const std::vector<Case> cases = {
      {"empty", "", "no \"#BPM:\" tempo tag"},
      {"no tempo", "#SINGLE:FIRST:3:40;", "no \"#BPM:\" tempo tag"},
      {"unreadable tempo", "\r\n#BPM:x;#SINGLE:FIRST:3:40;", "the tempo on line 2 cannot be read"},
      {"negative tempo", "#BPM:-5;#SINGLE:FIRST:3:40;", "(-5 BPM) cannot time a step"},
      {"no chart", "#BPM:120;#DOUBLE:FIRST:3:40;", "no \"#SINGLE\" chart"},
      {"first header cut", "#BPM:120;\r\n#SINGLE:FIRST", "header on line 2 has fewer than three"},
      {"no steps", "#BPM:120;#SINGLE:FIRST:3:", "the first chart has no steps"},
  };
  for (const Case& c : cases) {
    ChartReport report = InspectChart("Song.msd", c.file);
    EXPECT_EQ(ChartExitStatus(report), 2) << c.name;
    EXPECT_NE(report.notPlayable.find(c.reason), std::string::npos) << c.name << ": " << report.notPlayable;
  }
}

TEST(ChartReport, SongTitlesThatLeadToTheFile) {
  struct Case { const char* file; std::vector<std::string> titles; };
  const std::vector<Case> cases = {
      {"Song.msd", {"Song.mp3", "Song"}},
      {"C:\\charts\\Song.msd", {"Song.mp3", "Song"}},
      {"charts/Song.MSD", {"Song.mp3", "Song"}},
      {"Artist.Song.msd", {}},
      {"Song.txt", {}},
      {"msd", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SongTitlesFor(c.file), c.titles) << c.file;
}

TEST(ChartReport, LanesOfEveryStepCharacter) {
  struct Case { char step; const char* lanes; };
  const std::vector<Case> cases = {
      {'4', "left"},     {'2', "down"},       {'8', "up"},       {'6', "right"},
      {'1', "left down"}, {'3', "down right"}, {'7', "left up"},  {'9', "up right"},
      {'A', "down up"},  {'B', "left right"}, {'0', ""},         {'5', ""},
      {'a', ""},         {'b', ""},           {'\0', ""},        {';', ""},
  };
  for (const Case& c : cases) EXPECT_EQ(LanesOf(c.step), c.lanes) << c.step;
}

TEST(ChartReport, StepDueAtIsTheFirstPositionThatReachesTheIndex) {
  EXPECT_EQ(StepDueAt(1, 250.0f), 249);
  EXPECT_EQ(StepDueAt(3, 250.0f), 747);
  EXPECT_EQ(StepDueAt(301, 200.0f), 59928);
  EXPECT_EQ(StepDueAt(1, 1e30f), -1);
  float msPerStep = 214.28572f;
  for (int32_t index = 1; index < 400; ++index) {
    int64_t due = StepDueAt(index, msPerStep);
    ASSERT_GT(due, 0);
    EXPECT_GE(stepIndexAt(correctedPosition(int32_t(due), 0), msPerStep), index);
    EXPECT_LT(stepIndexAt(correctedPosition(int32_t(due - 1), 0), msPerStep), index);
  }
}

TEST(ChartReport, JsonHasTheNamedFields) {
  std::string file = CrLfLines({"#BPM:140;", "#SINGLE:FIRST:3:", std::string("4\"\\\x01\xe9") + "0;"});
  std::string json = FormatChartJson(InspectChart("Song.msd", file));
  EXPECT_EQ(json,
            "{\"bpm\":140,\"msPerStep\":214.28572,\"stepCount\":6,\"charts\":[9],\"levels\":["
            "{\"chartOffset\":9,\"dataOffset\":25,\"steps\":\"4\\\"\\\\\\u0001\\u00e90\"},"
            "{\"chartOffset\":null,\"dataOffset\":null,\"steps\":\"\"},"
            "{\"chartOffset\":null,\"dataOffset\":null,\"steps\":\"\"}],\"warnings\":["
            "{\"line\":null,\"message\":\"the file has no chart for level 1 (Advanced): at that level the game "
            "shows \\\"Bad MSD file header\\\" and plays no steps\"},"
            "{\"line\":null,\"message\":\"the file has no chart for level 2 (Expert): at that level the game "
            "shows \\\"Bad MSD file header\\\" and plays no steps\"},"
            "{\"line\":3,\"message\":\"chart 1 (level 0, Standard): 4 characters here are no steps and each "
            "plays as an empty step: \\\"\\\"\\\" \\\"\\\\\\\" byte 0x01 byte 0xE9\"}]}\n");
}

TEST(ChartReport, JsonTempoValues) {
  struct Case { const char* tempo; const char* bpm; const char* msPerStep; };
  const std::vector<Case> cases = {
      {"#BPM: 150.5;", "\"bpm\":150.5,", "\"msPerStep\":199.33554,"},
      {"#BPM:0;", "\"bpm\":0,", "\"msPerStep\":null,"},
      {"#BPM:inf;", "\"bpm\":null,", "\"msPerStep\":null,"},
      {"#BPM:x;", "\"bpm\":null,", "\"msPerStep\":null,"},
      {"#BPM:1e30;", "\"bpm\":1e+30,", "\"msPerStep\":2.9999998e-26,"},
  };
  for (const Case& c : cases) {
    std::string json = FormatChartJson(InspectChart("Song.msd", std::string(c.tempo) + "#SINGLE:FIRST:3:40;"));
    EXPECT_NE(json.find(c.bpm), std::string::npos) << json;
    EXPECT_NE(json.find(c.msPerStep), std::string::npos) << json;
  }
}

TEST(ChartReport, TimelineListsArrowStepsWhenDue) {
  std::string reason;
  std::string timeline = FormatTimeline(InspectChart("Song.msd", WorkedExampleFile()), 0, reason);
  EXPECT_EQ(reason, "");
  EXPECT_NE(timeline.find("       249 ms  step 1      line 3     4  left\n"), std::string::npos) << timeline;
  EXPECT_NE(timeline.find("       747 ms  step 3      line 3     2  down\n"), std::string::npos) << timeline;
  EXPECT_EQ(timeline.find("step 2 "), std::string::npos) << "\"0\" spawns nothing";
  EXPECT_NE(timeline.find("step 14     line 4     A  down up\n"), std::string::npos) << timeline;
  EXPECT_EQ(FormatTimeline(InspectChart("Song.msd", WorkedExampleFile()), 2, reason), "");
  EXPECT_NE(reason.find("level 2 has no chart"), std::string::npos);
}

TEST(ChartReport, TimelineSkipsStepsNoWholeMillisecondDelivers) {
  // 60000 BPM: half a millisecond a step, so position 1 already names step 2.
  std::string reason;
  std::string timeline = FormatTimeline(InspectChart("Song.msd", "#BPM:60000;#SINGLE:FIRST:3:4444;"), 0, reason);
  EXPECT_EQ(timeline.find("step 1 "), std::string::npos) << timeline;
  EXPECT_NE(timeline.find("         1 ms  step 2 "), std::string::npos) << timeline;
  EXPECT_NE(timeline.find("2 more steps with arrows are never delivered"), std::string::npos) << timeline;
}

TEST(ChartReport, LoneCrSwallowsTheNextByte) {
  // Lines ended by a lone CR: the CR and the next line's first byte go.
  ChartReport lostStep = InspectChart("Song.msd", "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n40\r20;\r\n");
  EXPECT_EQ(lostStep.levels[0].steps, "400");
  EXPECT_TRUE(HasWarning(lostStep, 4, "this line's first step \"2\" is lost")) << AllWarnings(lostStep);

  ChartReport lostHeaders = InspectChart("Song.msd", "#BPM:120;\r#SINGLE:FIRST:3:\r4020;\r#SINGLE:B:1:\r4;\r");
  EXPECT_TRUE(HasWarning(lostHeaders, 2, "\"#SINGLE\" is not seen here")) << AllWarnings(lostHeaders);
  EXPECT_NE(lostHeaders.notPlayable.find("lost the \"#\" of every chart header"), std::string::npos)
      << lostHeaders.notPlayable;
}

TEST(ChartReport, ManyChartsWithoutSemicolonReadInLinearTime) {
  // 20000 headers and no ";": each chart's checks stop where the next begins.
  std::string file = "#BPM:120;";
  for (int i = 0; i < 20000; ++i) file += "#SINGLE:A:1:0";
  ChartReport report = InspectChart("Song.msd", file);
  EXPECT_EQ(report.charts.size(), 20000u);
  // One "runs to the end" and one "no level" warning per chart past the third, no more.
  EXPECT_LE(report.warnings.size(), 40001u);
}

// The tool itself, run on the hand-written files of tests/tools/chart/msd.
std::string MsdFile(const char* name) {
  return std::string(STOMPARA_SOURCE_DIR) + "/tests/tools/chart/msd/" + name;
}

TEST(ChartTool, ExitStatusAndWarningOfEachFile) {
  struct Case { const char* file; int status; const char* line; };
  const std::vector<Case> cases = {
      {"clean.msd", 0, "clean.msd: playable\n"},
      {"long_first_header.msd", 1, "line 2: the first chart's header is 18 characters long, not 16"},
      {"short_first_header.msd", 1, "line 2: the first chart's header is 14 characters long, not 16"},
      {"uneven_charts.msd", 1, "line 6: chart 3 (level 2, Expert) has 10 step characters but every chart plays 8"},
      {"uneven_charts.msd", 1, "line 5: chart 2 (level 1, Advanced) ends at this \";\" after 4 steps"},
      {"long_first_header.msd", 1, "the game plays on past its \";\" into the next chart"},
      {"runs_past_end.msd", 1, "line 7: chart 3 (level 2, Expert) ends at this \";\" after 4 steps, but every "
                               "chart plays 8: the game plays on past its \";\" to the end of the file"},
      {"one_chart.msd", 1, "file: the file has no chart for level 1 (Advanced)"},
      {"two_charts.msd", 1, "file: the file has no chart for level 2 (Expert)"},
      {"dwi_groups.msd", 1, "line 3: chart 1 (level 0, Standard): 2 characters here are no steps"},
      {"dwi_groups.msd", 1, "DWI-style groups are not read"},
      {"trailing_blanks.msd", 1, "line 3: chart 1 (level 0, Standard): 2 characters here are no steps and "
                                 "each plays as an empty step: blank"},
      {"blank_line.msd", 1, "line 4: blank line inside the step data of chart 1 (level 0, Standard)"},
      {"bare_lf.msd", 1, "line 3: this line ends in a bare LF inside the step data of chart 1"},
      {"lowercase_bpm_ignored.msd", 1, "line 2: \"#bpm:\" is not a tempo tag"},
      {"four_charts.msd", 1, "line 8: chart 4 (level 3) plays only at a level"},
      {"zero_byte.msd", 1, "line 6: a zero byte ends the text here"},
      {"cut_header.msd", 1, "line 6: chart 3 (level 2, Expert)'s header has fewer than three \":\""},
      {"not_a_chart_name.txt", 1, "file: no song title leads the game to this file name"},
      {"no_bpm.msd", 2, "not playable: no \"#BPM:\" tempo tag"},
      {"lowercase_bpm.msd", 2, "line 1: \"#bpm:\" is not a tempo tag"},
      {"unreadable_bpm.msd", 2, "line 1: \"#BPM:\" is not followed by a number the game can read"},
      {"zero_bpm.msd", 2, "not playable: the tempo on line 1 (0 BPM) cannot time a step"},
      {"no_chart.msd", 2, "not playable: no \"#SINGLE\" chart"},
      {"missing.msd", 2, "not playable: cannot read the file"},
  };
  for (const Case& c : cases) {
    ToolRun run = RunTool(MsdFile(c.file));
    EXPECT_EQ(run.status, c.status) << c.file << "\n" << run.output;
    EXPECT_NE(run.output.find(c.line), std::string::npos) << c.file << "\n" << run.output;
  }
}

TEST(ChartTool, JsonTimelineAndUsage) {
  ToolRun json = RunTool("--json " + MsdFile("clean.msd"));
  EXPECT_EQ(json.status, 0);
  EXPECT_EQ(json.output.rfind("{\"bpm\":120,\"msPerStep\":250,\"stepCount\":16,\"charts\":[27,60,93],", 0), 0u)
      << json.output;
  ToolRun timeline = RunTool("--timeline 1 " + MsdFile("blank_line.msd"));
  EXPECT_EQ(timeline.status, 1);
  EXPECT_NE(timeline.output.find("       249 ms  step 1      line 7     4  left\n"), std::string::npos)
      << timeline.output;
  ToolRun missingLevel = RunTool("--timeline 2 " + MsdFile("two_charts.msd"));
  EXPECT_EQ(missingLevel.status, 2);
  EXPECT_NE(missingLevel.output.find("level 2 has no chart"), std::string::npos);
  EXPECT_EQ(RunTool("").status, 3);
  EXPECT_EQ(RunTool("--timeline x " + MsdFile("clean.msd")).status, 3);
  EXPECT_EQ(RunTool("--json --timeline 0 " + MsdFile("clean.msd")).status, 3);
}

}  // namespace
