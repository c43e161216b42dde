// chart_report.h -- what the chart inspector finds in an MSD file, read as the game reads it.
//
// The report is built with the game's own reading code (chart/msd_format.h):
// the same line-break stripping, tempo scan, step count, chart lookup and
// clock arithmetic. Used by the stompara_chart tool and its tests; any
// thread, no shared state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chart/msd_format.h"

constexpr int kReportedLevels = 3;  // 0 Standard, 1 Advanced, 2 Expert

// One surprise for the chart's author.
struct ChartWarning {
  uint32_t line;        // line of the original file (from 1); 0 for the whole file
  std::string message;  // one English sentence, no line number, no newline
};

// The chart a level plays.
struct LevelChart {
  int64_t chartOffset = kNoOffset;  // its "#SINGLE" in the stripped text
  int64_t dataOffset = kNoOffset;   // its first step character
  std::string steps;                // characters the clock delivers for indices
                                    // 1..stepCount, as far as the text reaches
};

// A byte the game drops with the CR in front of it: a CR that ends a line
// without an LF takes the next line's first byte with it.
struct SwallowedByte {
  int64_t before;     // offset in the stripped text of the byte kept after it
  uint32_t original;  // its offset in the file
  char byte;
};

struct ChartReport {
  std::string fileName;             // as given, folder included
  std::vector<std::string> titles;  // song titles that lead the game to this file
  std::string text;                 // the stripped text, up to its end
  std::vector<uint32_t> keptFrom;   // original offset of each byte of `text`
  std::vector<uint32_t> lineStarts; // original offset where each line begins
  std::vector<SwallowedByte> swallowed;  // in file order
  bool lostChartTag = false;        // a swallowed "#" was a "#SINGLE"'s
  uint32_t fileSize = 0;
  TempoResult tempo = kTempoMissing;
  int64_t tempoOffset = kNoOffset;  // the first "#BPM:"
  float bpm = 0.0f;                 // the number read, when one was read
  float msPerStep = 0.0f;           // only for tempo == kTempoRead
  int32_t stepCount = 0;
  std::vector<int64_t> charts;      // offset of every "#SINGLE"
  LevelChart levels[kReportedLevels];
  std::vector<ChartWarning> warnings;  // whole-file ones first, then by line
  std::string notPlayable;          // why no level can be played; "" when playable
};

// Reads the chart file `bytes` (named `fileName`) as the game does and finds
// every surprise it can. A file of UINT32_MAX bytes or more is reported not
// playable without being read.
ChartReport InspectChart(const std::string& fileName, const std::string& bytes);

// 0 playable, 1 playable with warnings, 2 not playable.
int ChartExitStatus(const ChartReport& report);

// Line of the original file (from 1) holding the byte at `textOffset` of the
// stripped text; the text's end maps to the file's last line.
uint32_t OriginalLine(const ChartReport& report, int64_t textOffset);

// Song titles whose chart file name is `fileName`'s last path element, e.g.
// "Song.mp3" and "Song" for "Song.msd"; empty when no title leads there.
std::vector<std::string> SongTitlesFor(const std::string& fileName);

// Lanes a step character spawns, in lane order: "left", "down", "up",
// "right" joined by blanks; "" for a character that spawns none.
std::string LanesOf(char step);

// The human-readable report: summary, levels, titles, warnings, verdict.
std::string FormatChartText(const ChartReport& report);
// One JSON object: bpm, msPerStep, stepCount, charts, levels, warnings.
std::string FormatChartJson(const ChartReport& report);
// When each arrow-spawning step of `level` becomes due and its lanes. Sets
// `reason` and returns "" when the level cannot be played.
std::string FormatTimeline(const ChartReport& report, int32_t level, std::string& reason);
