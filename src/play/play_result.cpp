// play_result.cpp -- how a play of a chart ended, what is drawn under the banner, and Scores.ini.
#include "play/play_result.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "gfx/draw.h"
#include "log/event_log.h"
#include "play/game.h"
#include "scores/scores_file.h"

namespace {

constexpr int32_t kMarkTop = 160;  // the hit's mark, under the combo line
constexpr int32_t kLineTop = 178;  // the result or the best score

// The name the song's scores are kept under: its chart's, the title (the
// wide-character one where the host gave one) up to its first dot, as the
// loader names the chart file. Songs that share a chart share their best.
struct ScoreName {
  const char* text;
  size_t length;
};
ScoreName ScoreNameOf(const Game& game) {
  const char* title = game.song.lastSeenWideTitle[0] != '\0' ? game.song.lastSeenWideTitle : game.song.lastSeenTitle;
  const char* dot = std::strchr(title, '.');
  return {title, dot != nullptr ? size_t(dot - title) : std::strlen(title)};
}

void ReadScoreBook(Game& game) {
  Platform_ReadScores(*game.platform, *game.settings, game.scores.text);
  int skipped = ReadScores(game.scores.text, game.scores.book);
  game.scores.looked = false;
  if (skipped > 0)
    WriteLogLine("Scores.ini has %d line%s that cannot be read: left out, the other scores kept.", skipped,
                 skipped == 1 ? "" : "s");
}

// The song's best at the level played, looked up only when the book or
// the level has changed since.
const Score* SongBest(Game& game) {
  int32_t level = game.settings->level;
  if (!game.scores.looked || game.scores.lookedLevel != level) {
    ScoreName name = ScoreNameOf(game);
    game.scores.best = FindScore(game.scores.book, name.text, name.length, level);
    game.scores.looked = true;
    game.scores.lookedLevel = level;
  }
  return game.scores.best;
}

bool AllJudged(const Field& field) {
  for (const Lane& lane : field.lanes)
    if (lane.unjudgedCount != 0) return false;
  return true;
}

void KeepScore(Game& game) {
  const PlayRecord& record = game.field.record;
  Score result;
  ScoreName name = ScoreNameOf(game);
  result.song.assign(name.text, name.length);
  result.level = game.settings->level;
  result.hits = record.hits;
  result.arrows = record.hits + record.misses;
  result.bestCombo = record.bestRun;
  ReadScoreBook(game);  // afresh: another player's session may have kept a best since
  if (!EnterScore(game.scores.book, result)) return;
  if (!Platform_ReplaceScores(*game.platform, *game.settings, WriteScores(game.scores.book)))
    WriteLogLine("Scores.ini cannot be written: the best of <%s> is not kept.", result.song.c_str());
}

}  // namespace

void StartSongResult(Game& game) {
  game.field.record = PlayRecord{};
  ReadScoreBook(game);
}

void FollowPlay(Game& game, const StepClockReport& report) {
  PlayRecord& record = game.field.record;
  // A stopped song reads at position 0, where the clock still reports a
  // step: only a step of a song that plays begins a new play.
  bool played = report.newStep && !report.lowPosition;
  bool fresh = record.hits + record.misses == 0 && !record.ended;
  if (!fresh && ((report.lowPosition && !record.ended) || (played && record.ended))) record = PlayRecord{};
}

void CheckChartEnd(Game& game, bool chartFinished) {
  PlayRecord& record = game.field.record;
  if (!chartFinished || record.ended || record.hits + record.misses == 0 || !AllJudged(game.field)) return;
  record.ended = true;
  char line[200];
  FormatChartEnd(record, game.settings->offsetMs, line, sizeof line);
  WriteLogLine("%s", line);
  KeepScore(game);
}

void DrawPlayMarks(Game& game, bool lineTaken) {
  const PlayRecord& record = game.field.record;
  Canvas& canvas = *game.canvas;
  char line[64];
  if (record.markShown && game.field.combo >= 0)
    Draw_SmallText(canvas, kFieldWidth / 2, kMarkTop, line, FormatHitMark(record, line, sizeof line));
  if (lineTaken) return;
  if (record.ended) {
    Draw_SmallText(canvas, kFieldWidth / 2, kLineTop, line, FormatResult(record, line, sizeof line));
    return;
  }
  if (game.steps != &game.chartSteps) return;  // a song played live has no best
  const Score* best = SongBest(game);
  if (best == nullptr) return;
  int length = std::snprintf(line, sizeof line, "BEST %d/%d", int(best->hits), int(best->arrows));
  Draw_SmallText(canvas, kFieldWidth / 2, kLineTop, line, length);
}
