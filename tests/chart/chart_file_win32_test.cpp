// chart_file_win32_test.cpp -- the chart loader on real files and movable global memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "chart/chart_file.h"
#include "chart/chart_loader.h"
#include "chart/step_clock.h"
#include "log/event_log.h"
#include "platform/platform.h"
#include "play/frame_pass.h"
#include "settings/settings.h"
#include "win32_support.h"

namespace {

constexpr char kWorkedExample[] =
    "#BPM:120;\r\n#SINGLE:FIRST:3:\r\n40206080\r\n13790AB0;\r\n#SINGLE:OTHER:5:\r\n44228866\r\n13791379;\r\n";
constexpr char kWorkedExampleText[] =
    "#BPM:120;#SINGLE:FIRST:3:4020608013790AB0;#SINGLE:OTHER:5:4422886613791379;";

class ChartFile : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::snprintf(folder, sizeof folder, "%sstompara_chart_%lu", temp, GetCurrentProcessId());
    CreateDirectoryA(folder, nullptr);
    std::snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "%s", folder);
    SetLogLinesOn(false);
    testSettings.level = 0;
    ReleaseStepChart(testPlatform, testGame.chart);
    InitStepChart(testGame.chart);
    ClearSeenMessageBoxes();
  }
  void TearDown() override {
    ReleaseStepChart(testPlatform, testGame.chart);
    Platform_CloseChartFile(testPlatform);
    for (const std::string& path : written) DeleteFileA(path.c_str());
    RemoveDirectoryA(folder);
  }

  std::string PathOf(const char* name) { return std::string(folder) + "\\" + name; }

  void Write(const char* name, const std::string& bytes) {
    std::string path = PathOf(name);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD wrote = 0;
    WriteFile(file, bytes.data(), DWORD(bytes.size()), &wrote, nullptr);
    CloseHandle(file);
    ASSERT_EQ(wrote, bytes.size());
    written.push_back(path);
  }

  // The message boxes seen, as "caption|text|icon".
  std::vector<std::string> Boxes() {
    std::vector<std::string> boxes;
    for (const SeenMessageBox& box : SeenMessageBoxes()) {
      boxes.push_back(box.caption + "|" + box.text + (box.errorIcon ? "|error icon" : "|no icon"));
    }
    return boxes;
  }

  char folder[MAX_PATH] = {};
  std::vector<std::string> written;
};

TEST_F(ChartFile, LoadsACrLfFileIntoALockedMovableBlock) {
  Write("Song.msd", kWorkedExample);
  ASSERT_EQ(LoadStepChart(testPlatform, testSettings, testGame.chart, "Song.mp3"), 1);
  EXPECT_STREQ(testGame.chart.chartText, kWorkedExampleText);
  EXPECT_EQ(testGame.chart.textSize, 89u);
  EXPECT_EQ(testGame.chart.msPerStep, 250.0f);
  EXPECT_EQ(testGame.chart.stepCount, 16);
  EXPECT_TRUE(Boxes().empty());
  HGLOBAL handle = GlobalHandle(testGame.chart.chartText);
  ASSERT_NE(handle, nullptr);
  EXPECT_NE(static_cast<void*>(handle), static_cast<void*>(testGame.chart.chartText)) << "a movable block";
  EXPECT_EQ(GlobalSize(handle), 90u);
  EXPECT_EQ(GlobalFlags(handle) & GMEM_LOCKCOUNT, 1u) << "locked while held";
}

TEST_F(ChartFile, TheFileIsClosedAfterLoading) {
  Write("Song.msd", kWorkedExample);
  ASSERT_EQ(LoadStepChart(testPlatform, testSettings, testGame.chart, "Song"), 1);
  HANDLE writer = CreateFileA(PathOf("Song.msd").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE) << "no handle of ours holds the file";
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(ChartFile, MissingFileShowsTheTwoLineBoxAndKeepsTheChart) {
  Write("Song.msd", kWorkedExample);
  ASSERT_EQ(LoadStepChart(testPlatform, testSettings, testGame.chart, "Song.mp3"), 1);
  EXPECT_EQ(LoadStepChart(testPlatform, testSettings, testGame.chart, "Missing.mp3"), 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Error|Cannot open msd file - " + PathOf("Missing.msd") +
                                              "\nYou should configure your msd path first.|error icon"});
  EXPECT_STREQ(testGame.chart.chartText, kWorkedExampleText);
}

TEST_F(ChartFile, FilesThatDoNotOpenAreOpenFailures) {
  // Held by a writer that shares nothing, and a folder of the chart's name.
  Write("Locked.msd", kWorkedExample);
  HANDLE holder = CreateFileA(PathOf("Locked.msd").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(LoadStepChart(testPlatform, testSettings, testGame.chart, "Locked.mp3"), 0);
  CloseHandle(holder);
  ASSERT_TRUE(CreateDirectoryA(PathOf("Folder.msd").c_str(), nullptr));
  EXPECT_EQ(LoadStepChart(testPlatform, testSettings, testGame.chart, "Folder.mp3"), 0);
  RemoveDirectoryA(PathOf("Folder.msd").c_str());
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_NE(Boxes()[0].find("Cannot open msd file - " + PathOf("Locked.msd")), std::string::npos);
  EXPECT_NE(Boxes()[1].find("Cannot open msd file - " + PathOf("Folder.msd")), std::string::npos);
}

TEST_F(ChartFile, EmptyFileIsABadHeader) {
  Write("Empty.msd", "");
  EXPECT_EQ(LoadStepChart(testPlatform, testSettings, testGame.chart, "Empty.mp3"), 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Error|Bad MSD file header|error icon"});
  ASSERT_NE(testGame.chart.chartText, nullptr);
  EXPECT_STREQ(testGame.chart.chartText, "");
  EXPECT_EQ(GlobalSize(GlobalHandle(testGame.chart.chartText)), 1u);
}

TEST_F(ChartFile, ShortAndFullReads) {
  Write("Ten.msd", "0123456789");
  ASSERT_EQ(Platform_OpenChartFile(testPlatform, PathOf("Ten.msd").c_str()), 1);
  EXPECT_EQ(Platform_ChartFileSize(testPlatform), 10u);
  char buffer[32] = {};
  EXPECT_EQ(Platform_ReadChartFile(testPlatform, buffer, 20), 0) << "ten bytes of twenty is a short read";
  EXPECT_STREQ(buffer, "0123456789");
  ASSERT_EQ(Platform_OpenChartFile(testPlatform, PathOf("Ten.msd").c_str()), 1);
  EXPECT_EQ(Platform_ReadChartFile(testPlatform, buffer, 10), 1);
  Platform_CloseChartFile(testPlatform);
  EXPECT_EQ(Platform_ReadChartFile(testPlatform, buffer, 10), 0) << "no file open";
  EXPECT_EQ(Platform_ChartFileSize(testPlatform), 0u);
}

TEST_F(ChartFile, SecondLoadAndQuitReleaseTheBlocks) {
  Write("One.msd", kWorkedExample);
  Write("Two.msd", "#BPM:150;\r\n#SINGLE:FIRST:3:\r\n40;\r\n");
  ASSERT_EQ(LoadStepChart(testPlatform, testSettings, testGame.chart, "One.mp3"), 1);
  HGLOBAL first = GlobalHandle(testGame.chart.chartText);
  ASSERT_EQ(LoadStepChart(testPlatform, testSettings, testGame.chart, "Two.mp3"), 1);
  EXPECT_STREQ(testGame.chart.chartText, "#BPM:150;#SINGLE:FIRST:3:40;");
  HGLOBAL second = GlobalHandle(testGame.chart.chartText);
  // Freed before the second allocation: its handle is gone or was handed out again.
  EXPECT_TRUE(second == first || GlobalFlags(first) == UINT(GMEM_INVALID_HANDLE));
  EXPECT_EQ(GlobalSize(second), 34u + 1u) << "the file's size and the spare byte";
  ReleaseStepChart(testPlatform, testGame.chart);
  EXPECT_EQ(testGame.chart.chartText, nullptr);
  EXPECT_EQ(GlobalFlags(second), UINT(GMEM_INVALID_HANDLE));
}

TEST_F(ChartFile, BlocksAreZeroFilled) {
  char* block = Platform_AllocChartBlock(testPlatform, 4096);
  ASSERT_NE(block, nullptr);
  bool allZero = true;
  for (int i = 0; i < 4096; ++i) allZero = allZero && block[i] == 0;
  EXPECT_TRUE(allZero);
  Platform_FreeChartBlock(testPlatform, block);
}

TEST_F(ChartFile, MissingLevelShowsTheBadHeaderBox) {
  Write("Song.msd", kWorkedExample);
  ASSERT_EQ(LoadStepChart(testPlatform, testSettings, testGame.chart, "Song.mp3"), 1);
  testSettings.level = 2;
  char step = '0';
  StepClockReport report;
  EXPECT_EQ(PollStepClock(testPlatform, testGame.chart, testSettings.level, testGame.clock, step, report), 0);
  ActOnStepClock(testGame, report);  // as the frame pass does
  EXPECT_EQ(step, '0');
  EXPECT_EQ(Boxes(), std::vector<std::string>{"Error|Bad MSD file header|error icon"});
}

}  // namespace
