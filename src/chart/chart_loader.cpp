// chart_loader.cpp -- finds, reads and measures the MSD file of the playing song.
#include "chart/chart_loader.h"

#include <cstdio>

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

// Opens the chart file for `title` (by `wideTitle`'s name when the host gave
// one), filling `path` with the name the log and the boxes show. A path the
// platform cannot hold is refused like a file that does not open, and no
// file is left open.
int OpenChartFile(const char* title, const char* wideTitle, char (&path)[kLongPathSize]) {
  size_t length = buildChartPath(MSD_PATH, title, path, sizeof path);
  bool opened = false;
  if (wideTitle != nullptr) {
    char name[kWideTitleSize + 8];  // "\" + the title's name with "msd"
    opened = buildChartPath("", wideTitle, name, sizeof name) < sizeof name &&
             Platform_OpenChartFileWide(MSD_PATH, name + 1);
  } else if (length < size_t(kPathSize)) {
    opened = Platform_OpenChartFile(path);
  }
  if (!opened) {
    Platform_CloseChartFile();
    return ReportOpenFailure(path);
  }
  WriteLogLine("Open MSD file <%s> success.", path);
  return 1;
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

int LoadStepChart(const char* title, const char* wideTitle) {
  WriteLogLine("Start to load MSD file for <%s>...", title);
  char path[kLongPathSize];
  if (!OpenChartFile(title, wideTitle, path)) return 0;
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
  if (stepChart.chartText == nullptr) return;
  FreeChartText();
  WriteLogLine("MSD structure released.");
}
