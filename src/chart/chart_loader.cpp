// chart_loader.cpp -- finds, reads and measures the MSD file of the playing song.
#include "chart/chart_loader.h"

#include <cstdio>
#include <cstring>

#include "base/event_log.h"
#include "base/platform.h"
#include "base/settings.h"
#include "chart/chart_file.h"
#include "chart/msd_format.h"

StepChart stepChart = {nullptr, 0, 0.0f, 0, 0, 0};

namespace {

// Room for the longest path a 259-character folder and a 259-character title
// can make, so a path too long for the platform is still shown whole.
constexpr size_t kLongPathSize = 2 * kPathSize + 8;

void FreeChartText() {
  if (stepChart.chartText == nullptr) return;
  Platform_FreeChartBlock(stepChart.chartText);
  stepChart.chartText = nullptr;
  stepChart.textLength = 0;
}

int ReportOpenFailure(const char* path) {
  char message[kLongPathSize + 80];
  std::snprintf(message, sizeof message,
                "Cannot open msd file - %s\nYou should configure your msd path first.", path);
  WriteLogLine("Open MSD file <%s> failed.", path);
  Platform_ShowError(message);
  return 0;
}

// Opens the chart file for `title` in `folder` (by `wideTitle`'s name when
// the host gave one), filling `path` with the name the log and the boxes
// show. A path the platform cannot hold does not open, and no file is left
// open when none did.
bool OpenChartIn(const char* folder, const char* title, const char* wideTitle, char (&path)[kLongPathSize]) {
  size_t length = buildChartPath(folder, title, path, sizeof path);
  bool opened = false;
  if (wideTitle != nullptr) {
    char name[kWideTitleSize + 8];  // "\" + the title's name with "msd"
    opened = buildChartPath("", wideTitle, name, sizeof name) < sizeof name &&
             Platform_OpenChartFileWide(folder, name + 1);
  } else if (length < size_t(kPathSize)) {
    opened = Platform_OpenChartFile(path);
  }
  if (!opened) Platform_CloseChartFile();
  return opened;
}

// The chart in MSD_PATH, else among the charts the plug-in made. When
// neither opens, `path` names the one in MSD_PATH.
bool OpenChartFile(const char* title, const char* wideTitle, char (&path)[kLongPathSize]) {
  if (OpenChartIn(MSD_PATH, title, wideTitle, path)) return true;
  char madePath[kLongPathSize];
  if (madeChartsFolder[0] == '\0' || !OpenChartIn(madeChartsFolder, title, wideTitle, madePath)) return false;
  std::memcpy(path, madePath, sizeof path);
  return true;
}

// The block holds one spare byte past the file's size for the terminator
// that follows text which kept every byte.
char* AllocateChartText(uint32_t size) {
  if (size == UINT32_MAX) return nullptr;  // also the platform's "size unknown"
  return Platform_AllocChartBlock(size + 1);
}

// Tempo and step count of the stripped text; the record keeps its previous
// values unless the tempo can time a chart.
int MeasureChart(const char* path) {
  float bpm = 0.0f;
  float msPerStep = 0.0f;
  if (readTempo(stepChart.chartText, bpm, msPerStep) != kTempoRead) {
    Platform_ShowError("Bad MSD file header");
    return 0;
  }
  stepChart.msPerStep = msPerStep;
  stepChart.stepCount = measureStepCount(stepChart.chartText, stepChart.textLength);
  WriteLogLine("Read MSD file <%s> success.", path);
  return 1;
}

}  // namespace

void InitStepChart() {
  stepChart.chartText = nullptr;
  stepChart.textLength = 0;
  stepChart.msPerStep = 0.0f;
  stepChart.stepCount = 0;
}

int LoadStepChart(const char* title, const char* wideTitle, MissingChart missing) {
  char path[kLongPathSize];
  bool opened = OpenChartFile(title, wideTitle, path);
  if (!opened && missing == MissingChart::kQuiet) return kNoChartFile;
  WriteLogLine("Start to load MSD file for <%s>...", title);
  if (!opened) return ReportOpenFailure(path);
  WriteLogLine("Open MSD file <%s> success.", path);
  stepChart.textSize = Platform_ChartFileSize();
  FreeChartText();
  char* block = AllocateChartText(stepChart.textSize);
  if (block == nullptr) {
    Platform_ShowError("Memory allocation failed");
    return 0;
  }
  stepChart.chartText = block;
  ++stepChart.loads;
  WriteLogLine("structure msd created OK.");
  if (!Platform_ReadChartFile(block, stepChart.textSize)) {
    WriteLogLine("Read MSD file <%s> failed.", path);
    Platform_CloseChartFile();
    stepChart.textLength = textLengthOf(block, stepChart.textSize);
    return 0;
  }
  Platform_CloseChartFile();
  uint32_t kept = stripLineBreaks(block, stepChart.textSize);
  stepChart.textLength = textLengthOf(block, kept);
  return MeasureChart(path);
}

void ReleaseStepChart() {
  // A load whose block could not be had leaves its file open for the next
  // load to close; at Quit there is none.
  Platform_CloseChartFile();
  if (stepChart.chartText == nullptr) return;
  FreeChartText();
  WriteLogLine("MSD structure released.");
}
