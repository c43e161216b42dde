// song_chart.cpp -- which of load, make or report a new song takes, and following the making.
#include "play/song_chart.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/chart_worker.h"
#include "base/event_log.h"
#include "base/platform.h"
#include "base/settings.h"
#include "chart/chart_loader.h"
#include "gfx/draw.h"

namespace {

// The song whose chart is being made: what the loader needs once it is written.
struct MadeSong {
  bool making;
  char title[kPathSize];
  char wideTitle[kWideTitleSize];
  bool wide;
};
MadeSong madeSong;

const char* WideOrNull() { return madeSong.wide ? madeSong.wideTitle : nullptr; }

// The loader's own path: the chart, or for a song without one the loader's
// box and then the configuration.
void LoadOrReport(const char* title, const char* wideTitle) {
  if (!LoadStepChart(title, wideTitle)) Platform_OpenConfig();
}

}  // namespace

void ChartForNewSong(int32_t entry, const char* fileName, const char* title, const char* wideTitle) {
  if (madeSong.making) WriteLogLine("Chart for <%s> not made: the song changed.", madeSong.title);
  Platform_StopMakingChart();
  madeSong.making = false;
  if (AUTO_CHART == 0) return LoadOrReport(title, wideTitle);
  int loaded = LoadStepChart(title, wideTitle, MissingChart::kQuiet);
  if (loaded == 1) return;
  if (loaded == 0) return Platform_OpenConfig();  // a chart file that is there but broken: reported
  char why[kMakingTextSize];
  if (std::strstr(fileName, "://") != nullptr) {
    std::snprintf(why, sizeof why, "%s", "the song is a stream, not a file");
  } else if (Platform_StartMakingChart(entry, fileName, title, wideTitle, why)) {
    WriteLogLine("Making a chart for <%s> from its audio.", title);
    madeSong.making = true;
    std::snprintf(madeSong.title, sizeof madeSong.title, "%s", title);
    madeSong.wide = wideTitle != nullptr;
    std::snprintf(madeSong.wideTitle, sizeof madeSong.wideTitle, "%s", madeSong.wide ? wideTitle : "");
    return;
  }
  WriteLogLine("No chart made for <%s>: %s.", title, why);
  LoadOrReport(title, wideTitle);
}

bool MakingChart(int32_t& percent) {
  if (!madeSong.making) return false;
  MakingReport report;
  Platform_PollMakingChart(report);
  if (report.state == Making::kBusy) {
    percent = report.percent;
    return true;
  }
  madeSong.making = false;
  if (report.state == Making::kMade) {
    WriteLogLine("Chart made for <%s> in %d ms: %s.", madeSong.title, int(report.elapsedMs), report.text);
    if (!LoadStepChart(madeSong.title, WideOrNull())) Platform_OpenConfig();
    return false;
  }
  WriteLogLine("No chart made for <%s> after %d ms: %s.", madeSong.title, int(report.elapsedMs),
               report.state == Making::kFailed ? report.text : "the work was lost");
  LoadOrReport(madeSong.title, WideOrNull());
  return false;
}

void ForgetChartBeingMade() { madeSong.making = false; }

void DrawMakingLine(int32_t percent) {
  char line[24];
  int length = std::snprintf(line, sizeof line, "MAKING CHART %d%%", int(percent));
  Draw_BannerText(kFieldWidth / 2, 170, line, length);
}
