// live_steps.cpp -- the live chart asked for a step each frame, with the position, the sound and the lanes.
#include "play/live_steps.h"

#include <cstdio>

#include "host/host_requests.h"
#include "log/event_log.h"
#include "platform/platform.h"
#include "play/game.h"
#include "play/lanes.h"

void LiveSteps::Begin(const char* title) {
  std::snprintf(title_, sizeof title_, "%s", title);
  chart_.Listen();
  WriteLogLine("Live chart for <%s>: listening.", title_);
}

int LiveSteps::StepDue(Game& game, char& step, StepClockReport& report) {
  report = {};
  int32_t position = Platform_AskHost(*game.platform, kHostPosition);
  report.lowPosition = position < 1;
  LiveFrame frame;
  frame.positionMs = position;
  frame.intervalMs = game.frame.frameInterval;
  frame.sound = &game.sound;
  frame.level = game.settings->level;
  frame.offsetMs = game.settings->offsetMs;
  for (int n = 0; n < kLaneCount; ++n) frame.laneFull[n] = ArrowsInFlight(game.field.lanes[n]) >= kMaxArrowsInLane;
  LiveDecision decision = chart_.Hear(frame);
  if (decision.listening) WriteLogLine("Live chart for <%s>: listening.", title_);
  if (decision.locked)
    WriteLogLine("Live chart for <%s>: %.1f BPM, locked after %.1f s.", title_, decision.bpm,
                 decision.lockedAfterMs / 1000.0);
  if (decision.step == '0') return 1;
  WriteLogLine("Live arrow %c at %ld ms for %ld ms.", decision.step, long(position), long(decision.arrivesMs));
  step = decision.step;
  report.newStep = true;
  return 0;
}
