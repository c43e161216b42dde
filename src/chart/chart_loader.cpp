// chart_loader.cpp -- finds, reads and measures the MSD file of the playing song.
#include "chart/chart_loader.h"

#include <cstdio>
#include <cstring>

#include "chart/chart_file.h"
#include "chart/msd_format.h"
#include "log/event_log.h"
#include "platform/platform.h"
#include "settings/settings.h"

namespace {

// Room for the longest path a 259-character folder and a 259-character title
// can make, so a path too long for the platform is still shown whole.
constexpr size_t kLongPathSize = 2 * kPathSize + 8;

void FreeChartText(Platform& platform, StepChart& chart) {
  if (chart.chartText == nullptr) return;
  Platform_FreeChartBlock(platform, chart.chartText);
  chart.chartText = nullptr;
  chart.textLength = 0;
}

int ReportOpenFailure(Platform& platform, const char* path) {
  char message[kLongPathSize + 80];
  std::snprintf(message, sizeof message,
                "Cannot open msd file - %s\nYou should configure your msd path first.", path);
  WriteLogLine("Open MSD file <%s> failed.", path);
  Platform_ShowError(platform, message);
  return 0;
}

// Opens the chart file for `title` in `folder` (by `wideTitle`'s name when
// the host gave one), filling `path` with the name the log and the boxes
// show. A path the platform cannot hold does not open, and no file is left
// open when none did.
bool OpenChartIn(Platform& platform, const char* folder, const char* title, const char* wideTitle, char (&path)[kLongPathSize]) {
  size_t length = buildChartPath(folder, title, path, sizeof path);
  bool opened = false;
  if (wideTitle != nullptr) {
    char name[kWideTitleSize + 8];  // "\" + the title's name with "msd"
    opened = buildChartPath("", wideTitle, name, sizeof name) < sizeof name &&
             Platform_OpenChartFileWide(platform, folder, name + 1);
  } else if (length < size_t(kPathSize)) {
    opened = Platform_OpenChartFile(platform, path);
  }
  if (!opened) Platform_CloseChartFile(platform);
  return opened;
}

// The chart in MSD_PATH, else among the charts the plug-in made. When
// neither opens, `path` names the one in MSD_PATH.
bool OpenChartFile(Platform& platform, const Settings& settings, const char* title, const char* wideTitle,
                   char (&path)[kLongPathSize]) {
  if (OpenChartIn(platform, settings.msdPath, title, wideTitle, path)) return true;
  char madePath[kLongPathSize];
  const char* made = settings.madeChartsFolder;
  if (made[0] == '\0' || !OpenChartIn(platform, made, title, wideTitle, madePath)) return false;
  std::memcpy(path, madePath, sizeof path);
  return true;
}

// The block holds one spare byte past the file's size for the terminator
// that follows text which kept every byte.
char* AllocateChartText(Platform& platform, uint32_t size) {
  if (size == UINT32_MAX) return nullptr;  // also the platform's "size unknown"
  return Platform_AllocChartBlock(platform, size + 1);
}

// Tempo and step count of the stripped text; the record keeps its previous
// values unless the tempo can time a chart.
int MeasureChart(Platform& platform, StepChart& chart, const char* path) {
  float bpm = 0.0f;
  float msPerStep = 0.0f;
  if (readTempo(chart.chartText, bpm, msPerStep) != kTempoRead) {
    Platform_ShowError(platform, "Bad MSD file header");
    return 0;
  }
  chart.msPerStep = msPerStep;
  chart.stepCount = measureStepCount(chart.chartText, chart.textLength);
  WriteLogLine("Read MSD file <%s> success.", path);
  return 1;
}

}  // namespace

void InitStepChart(StepChart& chart) {
  chart.chartText = nullptr;
  chart.textLength = 0;
  chart.msPerStep = 0.0f;
  chart.stepCount = 0;
}

int LoadStepChart(Platform& platform, const Settings& settings, StepChart& chart, const char* title,
                  const char* wideTitle, MissingChart missing) {
  char path[kLongPathSize];
  bool opened = OpenChartFile(platform, settings, title, wideTitle, path);
  if (!opened && missing == MissingChart::kQuiet) return kNoChartFile;
  WriteLogLine("Start to load MSD file for <%s>...", title);
  if (!opened) return ReportOpenFailure(platform, path);
  WriteLogLine("Open MSD file <%s> success.", path);
  chart.textSize = Platform_ChartFileSize(platform);
  FreeChartText(platform, chart);
  char* block = AllocateChartText(platform, chart.textSize);
  if (block == nullptr) {
    Platform_ShowError(platform, "Memory allocation failed");
    return 0;
  }
  chart.chartText = block;
  ++chart.loads;
  WriteLogLine("structure msd created OK.");
  if (!Platform_ReadChartFile(platform, block, chart.textSize)) {
    WriteLogLine("Read MSD file <%s> failed.", path);
    Platform_CloseChartFile(platform);
    chart.textLength = textLengthOf(block, chart.textSize);
    return 0;
  }
  Platform_CloseChartFile(platform);
  uint32_t kept = stripLineBreaks(block, chart.textSize);
  chart.textLength = textLengthOf(block, kept);
  return MeasureChart(platform, chart, path);
}

void ReleaseStepChart(Platform& platform, StepChart& chart) {
  // A load whose block could not be had leaves its file open for the next
  // load to close; at Quit there is none.
  Platform_CloseChartFile(platform);
  if (chart.chartText == nullptr) return;
  FreeChartText(platform, chart);
  WriteLogLine("MSD structure released.");
}
