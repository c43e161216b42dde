// song_chart.cpp -- which of load, make or report a new song takes, and following the making.
#include "play/song_chart.h"

#include <cstdio>
#include <cstring>

#include "chart/chart_loader.h"
#include "gfx/draw.h"
#include "log/event_log.h"
#include "platform/chart_worker.h"
#include "platform/platform.h"
#include "play/game.h"
#include "settings/settings.h"

namespace {

const char* WideOrNull(const SongState& song) { return song.madeWide ? song.madeWideTitle : nullptr; }

int Load(Game& game, const char* title, const char* wideTitle, MissingChart missing = MissingChart::kReport) {
  return LoadStepChart(*game.platform, *game.settings, game.chart, title, wideTitle, missing);
}

// The loader's own path: the chart, or for a song without one the loader's
// box and then the configuration.
void LoadOrReport(Game& game, const char* title, const char* wideTitle) {
  if (!Load(game, title, wideTitle)) Platform_OpenConfig(*game.platform);
}

// A song with no chart and none to be made: its steps come from listening.
void PlayLive(Game& game, const char* title) {
  game.steps = &game.liveSteps;
  game.liveSteps.Begin(title);
}

}  // namespace

void ChartForNewSong(Game& game, int32_t entry, const char* fileName, const char* title, const char* wideTitle) {
  Platform& platform = *game.platform;
  SongState& song = game.song;
  if (song.making) WriteLogLine("Chart for <%s> not made: the song changed.", song.madeTitle);
  Platform_StopMakingChart(platform);
  song.making = false;
  game.steps = &game.chartSteps;
  if (game.settings->autoChart == 0) return LoadOrReport(game, title, wideTitle);
  int loaded = Load(game, title, wideTitle, MissingChart::kQuiet);
  if (loaded == 1) return;
  if (loaded == 0) return Platform_OpenConfig(platform);  // a chart file that is there but broken: reported
  char why[kMakingTextSize];
  if (std::strstr(fileName, "://") != nullptr) {
    std::snprintf(why, sizeof why, "%s", "the song is a stream, not a file");
  } else if (Platform_StartMakingChart(platform, *game.settings, entry, fileName, title, wideTitle, why)) {
    WriteLogLine("Making a chart for <%s> from its audio.", title);
    song.making = true;
    std::snprintf(song.madeTitle, sizeof song.madeTitle, "%s", title);
    song.madeWide = wideTitle != nullptr;
    std::snprintf(song.madeWideTitle, sizeof song.madeWideTitle, "%s", song.madeWide ? wideTitle : "");
    return;
  }
  WriteLogLine("No chart made for <%s>: %s.", title, why);
  PlayLive(game, title);
}

bool MakingChart(Game& game, int32_t& percent) {
  SongState& song = game.song;
  if (!song.making) return false;
  MakingReport report;
  Platform_PollMakingChart(*game.platform, report);
  if (report.state == Making::kBusy) {
    percent = report.percent;
    return true;
  }
  song.making = false;
  if (report.state == Making::kMade) {
    WriteLogLine("Chart made for <%s> in %d ms: %s.", song.madeTitle, int(report.elapsedMs), report.text);
    if (!Load(game, song.madeTitle, WideOrNull(song))) Platform_OpenConfig(*game.platform);
    return false;
  }
  WriteLogLine("No chart made for <%s> after %d ms: %s.", song.madeTitle, int(report.elapsedMs),
               report.state == Making::kFailed ? report.text : "the work was lost");
  PlayLive(game, song.madeTitle);
  return false;
}

void ForgetChartBeingMade(Game& game) { game.song.making = false; }

bool ListeningLive(const Game& game) { return game.steps == &game.liveSteps && game.liveSteps.Listening(); }

void DrawListeningLine(Canvas& canvas) {
  static constexpr char kLine[] = "LISTENING";
  Draw_BannerText(canvas, kFieldWidth / 2, 170, kLine, int(sizeof kLine - 1));
}

void DrawMakingLine(Canvas& canvas, int32_t percent) {
  char line[24];
  int length = std::snprintf(line, sizeof line, "MAKING CHART %d%%", int(percent));
  Draw_BannerText(canvas, kFieldWidth / 2, 170, line, length);
}
