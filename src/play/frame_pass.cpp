// frame_pass.cpp -- the portable middle of a frame: song, step, field pass, banner.
#include "play/frame_pass.h"

#include <cstring>

#include "chart/chart_loader.h"
#include "chart/step_clock.h"
#include "flame/flame_shared.h"
#include "gfx/draw.h"
#include "log/event_log.h"
#include "platform/platform.h"
#include "play/banner.h"
#include "play/game.h"
#include "play/lanes.h"
#include "play/play_result.h"
#include "play/song_chart.h"

namespace {

constexpr int32_t kColourPhases = 60;   // 12 colour rows of 5 frames each
constexpr int32_t kLastPressFrame = 4;

// The title a song is known by. A stream keeps its name while its songs
// change, so with AUTO_CHART on it is known by the title the host shows for
// it, which follows the song it plays.
bool SongTitle(Game& game, int32_t entry, const char* name, char* title, uint32_t size) {
  bool stream = game.settings->autoChart != 0 && std::strstr(name, "://") != nullptr;
  if (stream && Platform_AskHostEntryTitle(*game.platform, entry, title, size)) return true;
  return Platform_FileTitle(*game.platform, name, title, size) != 0;
}

// Asks the host which song plays and loads its chart when the title is new.
// False when the host names no song, or no title can be had from its name:
// the frame then goes on with the arrows in flight alone.
bool FollowSong(Game& game) {
  Platform& platform = *game.platform;
  SongState& song = game.song;
  int32_t entry = Platform_AskHost(platform, kHostPlaylistIndex);
  const char* name = Platform_AskHostFileName(platform, entry);
  if (name == nullptr) {
    WriteLogLine("Can't get mp3 name being played currently!");
    return false;
  }
  WriteLogLine("Retreive mp3 name <%s>.", name);
  char title[sizeof song.lastSeenTitle];
  if (!SongTitle(game, entry, name, title, sizeof title)) {
    WriteLogLine("Can't get mp3 name being played currently!");
    return false;
  }
  WriteLogLine("Retreive mp3 title <%s>.", title);
  // Songs whose names only differ in characters the ANSI name lost differ
  // in their wide names.
  char wideTitle[kWideTitleSize];
  bool wide = Platform_AskHostWideTitle(platform, entry, wideTitle, sizeof wideTitle) != 0;
  if (!wide) wideTitle[0] = '\0';
  if (std::strcmp(title, song.lastSeenTitle) == 0 && std::strcmp(wideTitle, song.lastSeenWideTitle) == 0) {
    WriteLogLine("Not changed mp3 <%s>.", song.lastSeenTitle);
    return true;
  }
  // Remembered before loading, so a chart that fails is not tried again
  // on every frame.
  std::memcpy(song.lastSeenTitle, title, sizeof song.lastSeenTitle);
  std::memcpy(song.lastSeenWideTitle, wideTitle, sizeof song.lastSeenWideTitle);
  game.field.combo = 0;  // a new song's judgements start afresh, whether its chart loads or not
  song.fullLaneTold = false;
  StartSongResult(game);
  ChartForNewSong(game, entry, name, song.lastSeenTitle, wide ? song.lastSeenWideTitle : nullptr);
  return true;
}

// Spawns the step due, if any; true when the chart is finished.
bool TakeDueStep(Game& game) {
  char step = '0';
  StepClockReport report;
  int result = game.steps->StepDue(game, step, report);
  ActOnStepClock(game, report);
  FollowPlay(game, report);
  if (report.newStep) {
    if (TakeStepCharacter(game.field, step) > 0 && !game.song.fullLaneTold) {
      game.song.fullLaneTold = true;
      WriteLogLine("Lane full: 19 arrows in flight, so an arrow of this chart was left out.");
    }
  } else if (result == -1) {
    game.flame.FlameMood.store(kMoodChartEnded, std::memory_order_relaxed);
    WriteLogLine("MSD data read ended.");
  }
  return result == -1;
}

// The lane's target: the normal or lit cell, or one step of the press
// animation, which ends after its fifth size.
void DrawTarget(Game& game, int n, int32_t x) {
  Field& field = game.field;
  int32_t sourceX = kCellSize * n;
  if (field.pressed[n] == 0) {
    int32_t sourceY = game.frame.beatPulse == 2 ? kCellSize : 0;
    Draw_MaskedCell(*game.canvas, Sheet::Targets, sourceX, sourceY, x, kTargetRowTop);
    return;
  }
  int32_t size = pressSizes[field.pressFrame[n]];
  int32_t offset = (kCellSize - size) / 2;
  Draw_LitTarget(*game.canvas, sourceX, x + offset, kTargetRowTop + offset, size);
  if (field.pressFrame[n] == kLastPressFrame) {
    field.pressFrame[n] = 0;
    field.pressed[n] = 0;
  } else {
    ++field.pressFrame[n];
  }
}

// An arrow's travel after a rise; a rise from a frame of hours stays in range.
int32_t Risen(int32_t travel, int32_t rise) {
  int64_t risen = int64_t(travel) + rise;
  return risen > INT32_MAX ? INT32_MAX : int32_t(risen);
}

}  // namespace

bool ChartFileSteps::Ready(const Game& game) const { return game.chart.chartText != nullptr; }

int ChartFileSteps::StepDue(Game& game, char& step, StepClockReport& report) {
  game.clock.offsetMs = game.settings->offsetMs;
  return PollStepClock(*game.platform, game.chart, game.settings->level, game.clock, step, report);
}

void ActOnStepClock(Game& game, const StepClockReport& report) {
  if (report.lowPosition) {  // a song at its start, or stopped
    game.field.combo = 0;
    game.flame.FlameMood.store(kMoodCooling, std::memory_order_relaxed);
  }
  if (report.chartMissing) ReportMissingChart(*game.platform, game.chart, game.settings->level, game.clock);
  int32_t& beatPulse = game.frame.beatPulse;
  if (report.newStep) beatPulse = beatPulse == 0 ? 1 : int32_t(uint32_t(beatPulse) + 1u);
}

void ForgetSong(Game& game) {
  std::memset(game.song.lastSeenTitle, 0, sizeof game.song.lastSeenTitle);
  std::memset(game.song.lastSeenWideTitle, 0, sizeof game.song.lastSeenWideTitle);
  InitStepChart(game.chart);
  ForgetChartBeingMade(game);
  game.steps = &game.chartSteps;
  game.song.fullLaneTold = false;
}

void DrawField(Game& game, bool moveArrows) {
  int32_t rise = RiseFor(game.frame.frameInterval);
  int32_t arrowRow = kCellSize * (game.frame.colourPhase / 5);
  for (int n = 0; n < kLaneCount; ++n) {
    int32_t x = kLaneLeft + kLaneSpacing * n;
    DrawTarget(game, n, x);
    JudgeOldest(game.field, n, game.flame.FlameMood);
    RetireOldest(game.field, n);
    Lane& lane = game.field.lanes[n];
    // Oldest first, so a newer arrow covers an older one where they overlap.
    for (int32_t i = lane.retireIndex; i != lane.writeIndex; i = (i + 1) % kSlotsPerLane) {
      if (lane.hit[i] == 0)
        Draw_MaskedCell(*game.canvas, Sheet::Arrows, kCellSize * n, arrowRow, x, kFieldHeight - lane.travel[i]);
      if (moveArrows) lane.travel[i] = Risen(lane.travel[i], rise);
    }
  }
}

int PlayFrame(Game& game) {
  // While the song's chart is being made, the arrows in flight go on rising
  // and no step is taken.
  int32_t percent = 0;
  bool making = false;
  bool finished = false;
  if (FollowSong(game) && !(making = MakingChart(game, percent))) {
    if (!game.steps->Ready(game)) {
      WriteLogLine("Data buffer in MSD not allocated yet!");
      return 1;
    }
    finished = TakeDueStep(game);
  }
  DrawField(game, true);
  CheckChartEnd(game, finished);
  if (game.frame.beatPulse == 2) game.frame.beatPulse = 0;
  game.frame.colourPhase = (game.frame.colourPhase + 1) % kColourPhases;
  DrawBanner(game);
  bool listening = !making && ListeningLive(game);
  DrawPlayMarks(game, making || listening);
  if (making) {
    DrawMakingLine(*game.canvas, percent);
  } else if (listening) {
    DrawListeningLine(*game.canvas);
  }
  return 0;
}
