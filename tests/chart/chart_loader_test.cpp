// chart_loader_test.cpp -- LoadStepChart's naming, outcomes, boxes, log lines and blocks.
#include "chart/chart_loader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "chart_test_support.h"
#include "play/lanes.h"

namespace {

constexpr char kSongPath[] = "C:\\charts\\Song.msd";
const std::string kOpenFailedBox =
    "Cannot open msd file - C:\\charts\\Song.msd\nYou should configure your msd path first.";

class ChartLoader : public testing::Test {
 protected:
  void SetUp() override { ResetChartState(); }
  void TearDown() override { ResetChartState(); }
};

TEST_F(ChartLoader, LoadsTheWorkedExample) {
  SetLogLinesOn(true);
  ASSERT_EQ(LoadSongChart(WorkedExampleFile()), 1);
  EXPECT_EQ(ChartText(), kWorkedExampleText);
  EXPECT_EQ(testGame.chart.textSize, 89u);
  EXPECT_EQ(testGame.chart.textLength, 75u);
  EXPECT_EQ(testGame.chart.msPerStep, 250.0f);
  EXPECT_EQ(testGame.chart.stepCount, 16);
  EXPECT_TRUE(fake.errorBoxes.empty());
  EXPECT_EQ(FakePlatform_LogLines(),
            (std::vector<std::string>{"Start to load MSD file for <Song.mp3>...",
                                      "Open MSD file <C:\\charts\\Song.msd> success.",
                                      "structure msd created OK.",
                                      "Read MSD file <C:\\charts\\Song.msd> success."}));
  EXPECT_EQ(fake.blockEvents, std::vector<std::string>{"alloc 90"});
  EXPECT_FALSE(fake.fileOpen);
  EXPECT_EQ(fake.closes, 1);
}

// One row of the loader's outcome table, after a first good load of a
// 3-step chart at 150 BPM (msPerStep 200, stepCount 3).
struct Outcome {
  const char* name;
  std::function<void()> arrange;
  int result;
  const char* chartText;  // nullptr: absent
  float msPerStep;
  int32_t stepCount;
  const char* box;        // nullptr: none
  const char* lastLog;
};

const std::string kFirstFile = CrLfLines({"#BPM:150;", "#SINGLE:FIRST:3:", "408;"});

TEST_F(ChartLoader, OutcomeTable) {
  const std::string second = CrLfLines({"#BPM:120;", "#SINGLE:FIRST:3:", "40;"});
  const std::vector<Outcome> outcomes = {
      {"loaded", [&] { fake.files[kSongPath] = second; }, 1,
       "#BPM:120;#SINGLE:FIRST:3:40;", 250.0f, 2, nullptr,
       "Read MSD file <C:\\charts\\Song.msd> success."},
      {"open failed", [] { fake.files.erase(kSongPath); }, 0,
       "#BPM:150;#SINGLE:FIRST:3:408;", 200.0f, 3, kOpenFailedBox.c_str(),
       "Open MSD file <C:\\charts\\Song.msd> failed."},
      {"allocation failed", [&] { fake.files[kSongPath] = second; fake.allocFails = true; }, 0,
       nullptr, 200.0f, 3, "Memory allocation failed",
       "Open MSD file <C:\\charts\\Song.msd> success."},
      {"read failed", [&] { fake.files[kSongPath] = second; fake.readFails = true; }, 0,
       "", 200.0f, 3, nullptr, "Read MSD file <C:\\charts\\Song.msd> failed."},
      {"read short", [&] { fake.files[kSongPath] = second; fake.shortReadBy = 5; }, 0,
       "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n", 200.0f, 3, nullptr,
       "Read MSD file <C:\\charts\\Song.msd> failed."},
      {"no #BPM:", [] { fake.files[kSongPath] = CrLfLines({"#bpm:120;", "#SINGLE:A:1:", "40;"}); }, 0,
       "#bpm:120;#SINGLE:A:1:40;", 200.0f, 3, "Bad MSD file header", "structure msd created OK."},
  };
  for (const Outcome& o : outcomes) {
    ResetChartState();
    ASSERT_EQ(LoadSongChart(kFirstFile), 1);
    fake.errorBoxes.clear();
    fake.logWrites.clear();
    SetLogLinesOn(true);
    o.arrange();
    EXPECT_EQ(LoadStepChart(fakePlatform, testSettings, testGame.chart, "Song.mp3"), o.result) << o.name;
    EXPECT_EQ(testGame.chart.chartText == nullptr, o.chartText == nullptr) << o.name;
    EXPECT_EQ(ChartText(), o.chartText ? o.chartText : "") << o.name;
    EXPECT_EQ(testGame.chart.textLength, ChartText().size()) << o.name;
    EXPECT_EQ(testGame.chart.msPerStep, o.msPerStep) << o.name;
    EXPECT_EQ(testGame.chart.stepCount, o.stepCount) << o.name;
    EXPECT_EQ(fake.errorBoxes, o.box ? std::vector<std::string>{o.box} : std::vector<std::string>{})
        << o.name;
    ASSERT_FALSE(FakePlatform_LogLines().empty()) << o.name;
    EXPECT_EQ(FakePlatform_LogLines().back(), o.lastLog) << o.name;
  }
}

TEST_F(ChartLoader, AllocationFailureLeavesTheFileOpenUntilTheNextLoad) {
  ASSERT_EQ(LoadSongChart(kFirstFile), 1);
  fake.allocFails = true;
  EXPECT_EQ(LoadStepChart(fakePlatform, testSettings, testGame.chart, "Song.mp3"), 0);
  EXPECT_TRUE(fake.fileOpen);
  EXPECT_TRUE(fake.blocks.empty()) << "the previous block was released first";
  fake.allocFails = false;
  EXPECT_EQ(LoadStepChart(fakePlatform, testSettings, testGame.chart, "Song.mp3"), 1);
  EXPECT_FALSE(fake.fileOpen);
  // With no next load, Quit closes it.
  fake.allocFails = true;
  EXPECT_EQ(LoadStepChart(fakePlatform, testSettings, testGame.chart, "Song.mp3"), 0);
  ReleaseStepChart(fakePlatform, testGame.chart);
  EXPECT_FALSE(fake.fileOpen);
}

TEST_F(ChartLoader, ShortReadKeepsWhatArrivedZeroFilledAfterIt) {
  fake.shortReadBy = 3;
  ASSERT_EQ(LoadSongChart("#BPM:120;\r\n"), 0);
  ASSERT_NE(testGame.chart.chartText, nullptr);
  EXPECT_EQ(std::string(testGame.chart.chartText, 12), std::string("#BPM:120", 8) + std::string(4, '\0'));
  EXPECT_FALSE(fake.fileOpen);
}

TEST_F(ChartLoader, UnusableTempoIsABadHeader) {
  const std::vector<std::string> tempos = {"#BPM:;", "#BPM:x", "#BPM:0;", "#BPM:-120;",
                                           "#BPM:inf;", "#BPM:nan;", "#BPM:1e-40;", "#BPM:1e39;"};
  for (const std::string& tempo : tempos) {
    ResetChartState();
    SetLogLinesOn(true);
    EXPECT_EQ(LoadSongChart(tempo + "\r\n#SINGLE:FIRST:3:40;\r\n"), 0) << tempo;
    EXPECT_EQ(fake.errorBoxes, std::vector<std::string>{"Bad MSD file header"}) << tempo;
    EXPECT_EQ(FakePlatform_LogLines().back(), "structure msd created OK.") << tempo;
    EXPECT_EQ(testGame.chart.msPerStep, 0.0f) << tempo;
    EXPECT_EQ(testGame.chart.stepCount, 0) << tempo;
  }
}

TEST_F(ChartLoader, TextEdgeCases) {
  struct Case { const char* name; std::string file; int result; std::string text; };
  const std::vector<Case> cases = {
      {"no CR: byte for byte", "#BPM:120;\n#SINGLE:FIRST:3:\n40;", 1,
       "#BPM:120;\n#SINGLE:FIRST:3:\n40;"},
      {"no CR, no final line break", "#BPM:120;#SINGLE:FIRST:3:40;", 1,
       "#BPM:120;#SINGLE:FIRST:3:40;"},
      {"empty file", "", 0, ""},
      {"leading line break stays", "\r\n#BPM:120;\r\n#SINGLE:A:1:\r\n40;\r\n", 1,
       "\r\n#BPM:120;#SINGLE:A:1:40;"},
      {"blank line stays as one CR LF", "#BPM:120;\r\n#SINGLE:A:1:\r\n40\r\n\r\n20;\r\n", 1,
       "#BPM:120;#SINGLE:A:1:40\r\n20;"},
      {"a zero byte ends the text", std::string("#BPM:120;#SINGLE:FIRST:3:40\0;#", 30), 1,
       "#BPM:120;#SINGLE:FIRST:3:40"},
  };
  for (const Case& c : cases) {
    ResetChartState();
    EXPECT_EQ(LoadSongChart(c.file), c.result) << c.name;
    EXPECT_EQ(ChartText(), c.text) << c.name;
    EXPECT_EQ(testGame.chart.textLength, c.text.size()) << c.name;
    EXPECT_EQ(fake.blockEvents, std::vector<std::string>{"alloc " + std::to_string(c.file.size() + 1)})
        << c.name;
  }
  EXPECT_EQ(testGame.chart.stepCount, 2) << "the step count ends at the zero byte";
}

TEST_F(ChartLoader, NoCrFillsTheBlockAndTheSpareByteTerminates) {
  const std::string file = "#BPM:120;#SINGLE:FIRST:3:40;";
  ASSERT_EQ(LoadSongChart(file), 1);
  auto block = fake.blocks.find(testGame.chart.chartText);
  ASSERT_NE(block, fake.blocks.end());
  EXPECT_EQ(block->second, file.size() + 1);
  EXPECT_EQ(std::string(testGame.chart.chartText, file.size()), file);
  EXPECT_EQ(testGame.chart.chartText[file.size()], '\0');
}

TEST_F(ChartLoader, TempoAndStepCountEdgeCases) {
  struct Case { const char* name; std::string file; float msPerStep; int32_t stepCount; };
  const std::vector<Case> cases = {
      {"150.5 BPM", CrLfLines({"#BPM: 150.5;", "#SINGLE:FIRST:3:", "40;"}), 199.33554f, 2},
      {"18-character first header", CrLfLines({"#BPM:120;", "#SINGLE:HARDER:10:", "4020;"}), 250.0f, 6},
      {"no #SINGLE", CrLfLines({"#BPM:120;"}), 250.0f, 0},
      {"no ; after the first header", CrLfLines({"#BPM:120;", "#SINGLE:FIRST:3:", "4020"}), 250.0f, 4},
      {"lowercase tag after the real one",
       CrLfLines({"#BPM:150;", "#bpm:120;", "#SINGLE:FIRST:3:", "40;"}), 200.0f, 2},
  };
  for (const Case& c : cases) {
    ResetChartState();
    ASSERT_EQ(LoadSongChart(c.file), 1) << c.name;
    EXPECT_NEAR(testGame.chart.msPerStep, c.msPerStep, 1e-5) << c.name;
    EXPECT_EQ(testGame.chart.stepCount, c.stepCount) << c.name;
  }
}

TEST_F(ChartLoader, SecondLoadReleasesTheFirstBlockBeforeAllocating) {
  ASSERT_EQ(LoadSongChart(kFirstFile), 1);
  fake.files["C:\\charts\\Other.msd"] = WorkedExampleFile();
  ASSERT_EQ(LoadStepChart(fakePlatform, testSettings, testGame.chart, "Other.mp3"), 1);
  EXPECT_EQ(fake.blockEvents,
            (std::vector<std::string>{"alloc " + std::to_string(kFirstFile.size() + 1),
                                      "free " + std::to_string(kFirstFile.size() + 1), "alloc 90"}));
  EXPECT_EQ(fake.blocks.size(), 1u);
  EXPECT_EQ(ChartText(), kWorkedExampleText);
}

TEST_F(ChartLoader, PathsTooLongAreRefusedLikeAMissingFile) {
  struct Case { size_t folderLength; size_t titleLength; bool opened; };
  // Folder + "\" + title stem + ".msd": 259 characters open, 260 are refused.
  const std::vector<Case> cases = {{250, 4, true}, {251, 4, false}, {0, 254, true},
                                   {0, 255, false}, {259, 4, false}, {200, 259, false}};
  for (const Case& c : cases) {
    ResetChartState();
    SetLogLinesOn(true);
    std::string folder(c.folderLength, 'f');
    std::string title(c.titleLength, 't');
    snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "%s", folder.c_str());
    std::string path = folder + "\\" + title + ".msd";
    EXPECT_EQ(LoadStepChart(fakePlatform, testSettings, testGame.chart, (title + ".mp3").c_str()), 0);
    EXPECT_EQ(fake.openedPaths.size(), c.opened ? 1u : 0u) << path.size();
    EXPECT_EQ(fake.errorBoxes, std::vector<std::string>{"Cannot open msd file - " + path +
                                                        "\nYou should configure your msd path first."})
        << path.size();
    std::string logLine = "Open MSD file <" + path + "> failed.";
    EXPECT_EQ(FakePlatform_LogLines().back(), logLine.substr(0, 197)) << path.size();
    EXPECT_TRUE(fake.blockEvents.empty());
  }
}

TEST_F(ChartLoader, RefusedPathClosesTheFileOpenedBefore) {
  fake.allocFails = true;
  ASSERT_EQ(LoadSongChart(kFirstFile), 0);
  ASSERT_TRUE(fake.fileOpen);
  std::string title(300, 't');
  EXPECT_EQ(LoadStepChart(fakePlatform, testSettings, testGame.chart, title.c_str()), 0);
  EXPECT_FALSE(fake.fileOpen);
}

TEST_F(ChartLoader, ReleaseFreesOnceAndLogs) {
  SetLogLinesOn(true);
  ASSERT_EQ(LoadSongChart(kFirstFile), 1);
  fake.logWrites.clear();
  ReleaseStepChart(fakePlatform, testGame.chart);
  EXPECT_EQ(testGame.chart.chartText, nullptr);
  EXPECT_TRUE(fake.blocks.empty());
  ReleaseStepChart(fakePlatform, testGame.chart);
  EXPECT_EQ(FakePlatform_LogLines(), std::vector<std::string>{"MSD structure released."});
}

}  // namespace
