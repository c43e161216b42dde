// step_clock.h -- turns the host's playback position into the step of the chart that is due.
#pragma once

#include <atomic>
#include <cstdint>

#include "chart/chart_loader.h"

struct Platform;  // platform/platform.h

// The clock's own state, one record of the game's.
struct StepClock {
  // Offset in the chart text of the step character delivered last, or -1
  // for none (at start). Written only by PollStepClock; loading a chart
  // leaves it as it is. Visualisation thread only.
  int64_t lastStep = -1;
  // Playback position (ms) last seen while the host was paused or stopped,
  // from which the clock corrects its drift. Written by the flame thread
  // every 32nd tick and reset to 0 by PollStepClock; read by PollStepClock.
  // Atomic (relaxed loads and stores) as the two threads share it.
  std::atomic<int32_t> sampledPosition{0};
  // The chart text (its load count) and level the missing-chart box was
  // shown for last, so it is shown once per text and level.
  bool missingShown = false;
  uint32_t missingLoads = 0;
  int32_t missingLevel = 0;
  // Where the step data of the chart the level plays starts in the chart
  // text (its load count) and level found last: looked up once per text
  // and level, not on every frame. -1 for no such chart.
  bool located = false;
  uint32_t locatedLoads = 0;
  int32_t locatedLevel = 0;
  int64_t stepData = -1;
  // The player's OFFSET_MS: the steps fall due this many ms later in the
  // song (earlier when negative), and so reach the target row that much
  // later. Set by the game before each poll.
  int32_t offsetMs = 0;
};

// What a poll saw besides its result, for the frame pass to act on.
struct StepClockReport {
  bool lowPosition;   // the position was below 1 ms: a song at its start, or stopped
  bool newStep;       // a new step is due: its character was delivered
  bool chartMissing;  // the text has no chart LEVEL plays (see ReportMissingChart)
};

// Once per frame, while `chart`'s text is present: asks the host for the
// playback position (request 105); below 1 ms it resets the sampled position
// to 0 and reports a low position. Finds the chart `level` (LEVEL) plays and
// the step due at the drift-corrected position less clock.offsetMs (none
// while that lies before the song's start). Results:
//   0  a new step is due: its character is written to `stepCharacter` and
//      `report` says newStep. Also the result when the text has fewer
//      charts than level + 1, or a header without three ":", with
//      `stepCharacter` untouched and `report` saying chartMissing.
//   1  the step due is the one delivered last; `stepCharacter` untouched.
//  -1  the chart is finished, or the step due lies outside the text, or no
//      step length is known; `stepCharacter` untouched.
// `report` is filled whatever the result. Never reads outside the chart
// text. Visualisation thread only.
int PollStepClock(Platform& platform, const StepChart& chart, int32_t level, StepClock& clock,
                  char& stepCharacter, StepClockReport& report);

// Tells the user that the chart text has no chart for `level`: the "Bad MSD
// file header" box, once per chart text and level (a box on every frame
// would never let them reach the configuration to choose another level).
// Visualisation thread only; blocks in the modal box.
void ReportMissingChart(Platform& platform, const StepChart& chart, int32_t level, StepClock& clock);
