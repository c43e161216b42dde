// frame_pass.cpp -- the portable middle of a frame: song, step, field pass, banner.
#include "play/frame_pass.h"

#include <cstring>

#include "play/song_chart.h"
#include "base/event_log.h"
#include "base/platform.h"
#include "chart/chart_loader.h"
#include "chart/step_clock.h"
#include "flame/flame_shared.h"
#include "gfx/draw.h"
#include "play/banner.h"
#include "play/lanes.h"

int32_t beatPulse = 0;
int32_t frameCounter = 0;
int32_t frameInterval = 0;
int32_t colourPhase = 0;
char lastSeenTitle[260];
char lastSeenWideTitle[kWideTitleSize];

namespace {

constexpr int32_t kColourPhases = 60;   // 12 colour rows of 5 frames each
constexpr int32_t kLastPressFrame = 4;

// Whether the log already tells that this song's chart filled a lane.
bool fullLaneTold = false;

// Asks the host which song plays and loads its chart when the title is new.
// False when the host names no song, or no title can be had from its name:
// the frame then goes on with the arrows in flight alone.
bool FollowSong() {
  int32_t entry = Platform_AskHost(kHostPlaylistIndex);
  const char* name = Platform_AskHostFileName(entry);
  if (name == nullptr) {
    WriteLogLine("Can't get mp3 name being played currently!");
    return false;
  }
  WriteLogLine("Retreive mp3 name <%s>.", name);
  char title[sizeof lastSeenTitle];
  if (!Platform_FileTitle(name, title, sizeof title)) {
    WriteLogLine("Can't get mp3 name being played currently!");
    return false;
  }
  WriteLogLine("Retreive mp3 title <%s>.", title);
  // Songs whose names only differ in characters the ANSI name lost differ
  // in their wide names.
  char wideTitle[kWideTitleSize];
  bool wide = Platform_AskHostWideTitle(entry, wideTitle, sizeof wideTitle) != 0;
  if (!wide) wideTitle[0] = '\0';
  if (std::strcmp(title, lastSeenTitle) == 0 && std::strcmp(wideTitle, lastSeenWideTitle) == 0) {
    WriteLogLine("Not changed mp3 <%s>.", lastSeenTitle);
    return true;
  }
  // Remembered before loading, so a chart that fails is not tried again
  // on every frame.
  std::memcpy(lastSeenTitle, title, sizeof lastSeenTitle);
  std::memcpy(lastSeenWideTitle, wideTitle, sizeof lastSeenWideTitle);
  combo = 0;  // a new song's judgements start afresh, whether its chart loads or not
  fullLaneTold = false;
  ChartForNewSong(entry, name, lastSeenTitle, wide ? lastSeenWideTitle : nullptr);
  return true;
}

void TakeDueStep() {
  char step = '0';
  StepClockReport report;
  int result = PollStepClock(step, report);
  ActOnStepClock(report);
  if (report.newStep) {
    if (TakeStepCharacter(step) > 0 && !fullLaneTold) {
      fullLaneTold = true;
      WriteLogLine("Lane full: 19 arrows in flight, so an arrow of this chart was left out.");
    }
  } else if (result == -1) {
    FlameMood.store(kMoodChartEnded, std::memory_order_relaxed);
    WriteLogLine("MSD data read ended.");
  }
}

// The lane's target: the normal or lit cell, or one step of the press
// animation, which ends after its fifth size.
void DrawTarget(int n, int32_t x) {
  int32_t sourceX = kCellSize * n;
  if (pressed[n] == 0) {
    Draw_MaskedCell(Sheet::Targets, sourceX, beatPulse == 2 ? kCellSize : 0, x, kTargetRowTop);
    return;
  }
  int32_t size = pressSizes[pressFrame[n]];
  int32_t offset = (kCellSize - size) / 2;
  Draw_LitTarget(sourceX, x + offset, kTargetRowTop + offset, size);
  if (pressFrame[n] == kLastPressFrame) {
    pressFrame[n] = 0;
    pressed[n] = 0;
  } else {
    ++pressFrame[n];
  }
}

// An arrow's travel after a rise; a rise from a frame of hours stays in range.
int32_t Risen(int32_t travel, int32_t rise) {
  int64_t risen = int64_t(travel) + rise;
  return risen > INT32_MAX ? INT32_MAX : int32_t(risen);
}

}  // namespace

void ActOnStepClock(const StepClockReport& report) {
  if (report.lowPosition) {  // a song at its start, or stopped
    combo = 0;
    FlameMood.store(kMoodCooling, std::memory_order_relaxed);
  }
  if (report.chartMissing) ReportMissingChart();
  if (report.newStep) beatPulse = beatPulse == 0 ? 1 : int32_t(uint32_t(beatPulse) + 1u);
}

void ForgetSong() {
  std::memset(lastSeenTitle, 0, sizeof lastSeenTitle);
  std::memset(lastSeenWideTitle, 0, sizeof lastSeenWideTitle);
  InitStepChart();
  ForgetChartBeingMade();
  fullLaneTold = false;
}

void DrawField(bool moveArrows) {
  int32_t rise = RiseFor(frameInterval);
  int32_t arrowRow = kCellSize * (colourPhase / 5);
  for (int n = 0; n < kLaneCount; ++n) {
    int32_t x = kLaneLeft + kLaneSpacing * n;
    DrawTarget(n, x);
    JudgeOldest(n);
    RetireOldest(n);
    Lane& lane = lanes[n];
    // Oldest first, so a newer arrow covers an older one where they overlap.
    for (int32_t i = lane.retireIndex; i != lane.writeIndex; i = (i + 1) % kSlotsPerLane) {
      if (lane.hit[i] == 0)
        Draw_MaskedCell(Sheet::Arrows, kCellSize * n, arrowRow, x, kFieldHeight - lane.travel[i]);
      if (moveArrows) lane.travel[i] = Risen(lane.travel[i], rise);
    }
  }
}

int PlayFrame() {
  // While the song's chart is being made, the arrows in flight go on rising
  // and no step is taken.
  int32_t percent = 0;
  bool making = false;
  if (FollowSong() && !(making = MakingChart(percent))) {
    if (stepChart.chartText == nullptr) {
      WriteLogLine("Data buffer in MSD not allocated yet!");
      return 1;
    }
    TakeDueStep();
  }
  DrawField(true);
  if (beatPulse == 2) beatPulse = 0;
  colourPhase = (colourPhase + 1) % kColourPhases;
  DrawBanner();
  if (making) DrawMakingLine(percent);
  return 0;
}
