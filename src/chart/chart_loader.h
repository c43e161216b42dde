// chart_loader.h -- the chart in force and the loader that reads it from the song's MSD file.
#pragma once

#include <cstdint>

struct Platform;  // platform/platform.h
struct Settings;  // settings/settings.h

// The chart the step clock plays from, one record of the game's. Only the
// loader (and Quit, through ReleaseStepChart) writes it. Host's
// visualisation thread only; no lock.
struct StepChart {
  // The chart file's bytes with line breaks removed and a terminator after
  // them; a block from Platform_AllocChartBlock of textSize + 1 bytes, owned
  // here. Null while absent (at start, after a failed allocation, after Quit).
  char* chartText = nullptr;
  // Size in bytes of the chart file opened last.
  uint32_t textSize = 0;
  // Length of one step in ms, 30000 / BPM as a 32-bit float; 0.0 at start.
  float msPerStep = 0.0f;
  // Number of steps of every chart of the file; 0 at start.
  int32_t stepCount = 0;
  // Bytes of chartText before its first zero byte: how far the step clock
  // may read. 0 while chartText is absent.
  uint32_t textLength = 0;
  // How many chart texts have been put in this record: a new value tells
  // the step clock it reads another text.
  uint32_t loads = 0;
};

// For Init: no chart text, msPerStep 0.0, stepCount 0. Does not free a held
// block (Quit has released it). Visualisation thread.
void InitStepChart(StepChart& chart);

// What LoadStepChart does when neither folder has the song's chart file.
enum class MissingChart {
  kReport,  // reports it, as any other failure
  kQuiet,   // returns kNoChartFile, having logged and shown nothing
};
constexpr int kNoChartFile = -1;

// Loads the chart of the song whose file title is `title` (a terminated file
// name without folder, with or without its extension; at most 259
// characters): MSD_PATH, a backslash, and the title with everything after its
// first "." replaced by "msd" (".msd" appended when it has no "."), into
// `chart`. When MSD_PATH has no such file, the same name in the settings'
// madeChartsFolder (the charts the plug-in made). Returns 1 when a chart
// was loaded.
// Returns 0 on failure, which it has already reported by box and/or log line:
// open failed (also for a path over 259 characters; the box names the path
// in MSD_PATH), allocation failed, read failed or short, and no readable
// tempo above 0 ("Bad MSD file header"). With MissingChart::kQuiet a file
// that opens in neither folder is not reported: kNoChartFile, and the chart
// in force is kept.
// Visualisation thread only; may block in a modal box.
// When the host named the song in wide characters too, `wideTitle` is that
// title as UTF-8 and the file is opened by the wide name built from it and
// the folder; the log and the boxes still name the path built from `title`.
int LoadStepChart(Platform& platform, const Settings& settings, StepChart& chart, const char* title,
                  const char* wideTitle = nullptr, MissingChart missing = MissingChart::kReport);

// For Quit: closes a chart file still open, and when chartText is present,
// frees it, makes it absent and logs "MSD structure released.". Visualisation
// thread.
void ReleaseStepChart(Platform& platform, StepChart& chart);
