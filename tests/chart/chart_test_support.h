// chart_test_support.h -- chart files for the chart tests, and loading them through the fake.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "chart/chart_loader.h"
#include "fakes/platform_fake.h"
#include "settings/settings.h"

// The lines joined, each ended by CR LF, as a chart author's editor saves them.
inline std::string CrLfLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The seven-line example file: tempo 120, two charts of 16 steps.
inline std::string WorkedExampleFile() {
  return CrLfLines({"#BPM:120;", "#SINGLE:FIRST:3:", "40206080", "13790AB0;",
                    "#SINGLE:OTHER:5:", "44228866", "13791379;"});
}
// The same after line-break removal: 75 characters.
constexpr char kWorkedExampleText[] =
    "#BPM:120;#SINGLE:FIRST:3:4020608013790AB0;#SINGLE:OTHER:5:4422886613791379;";

// Chart folder used by the loader tests.
constexpr char kChartFolder[] = "C:\\charts";

// Puts `bytes` in the fake as C:\charts\Song.msd and loads it for Song.mp3.
inline int LoadSongChart(const std::string& bytes) {
  snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "%s", kChartFolder);
  fake.files["C:\\charts\\Song.msd"] = bytes;
  return LoadStepChart(fakePlatform, testSettings, testGame.chart, "Song.mp3");
}

// The chart text in force as a string (up to its terminator), "" when absent.
inline std::string ChartText() {
  return testGame.chart.chartText == nullptr ? std::string() : std::string(testGame.chart.chartText);
}

// A clean start for a chart test: fake platform, no chart, log off, level 0.
inline void ResetChartState() {
  ReleaseStepChart(fakePlatform, testGame.chart);
  FakePlatform_Reset();
  InitStepChart(testGame.chart);
  SetLogLinesOn(false);
  testSettings.level = 0;
  testSettings.msdPath[0] = '\0';
}
