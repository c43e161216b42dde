// step_clock.cpp -- the per-frame step lookup, its drift sample and the missing-chart box.
#include "chart/step_clock.h"

#include <algorithm>

#include "chart/msd_format.h"
#include "log/event_log.h"
#include "platform/platform.h"

namespace {

int ReportFinished() {
  WriteLogLine("Read MSD data failed or finished.");
  return -1;
}

// Offset of the step data of the chart `level` plays, or kNoOffset: found
// in the text once, then remembered until another text or level.
int64_t LocateStepData(const StepChart& chart, int32_t level, StepClock& clock) {
  if (clock.located && clock.locatedLoads == chart.loads && clock.locatedLevel == level) return clock.stepData;
  int64_t header = findChart(chart.chartText, level);
  clock.stepData = header == kNoOffset ? kNoOffset : findStepData(chart.chartText, header);
  clock.located = true;
  clock.locatedLoads = chart.loads;
  clock.locatedLevel = level;
  return clock.stepData;
}

}  // namespace

void ReportMissingChart(Platform& platform, const StepChart& chart, int32_t level, StepClock& clock) {
  if (clock.missingShown && clock.missingLoads == chart.loads && clock.missingLevel == level) return;
  clock.missingShown = true;
  clock.missingLoads = chart.loads;
  clock.missingLevel = level;
  Platform_ShowError(platform, "Bad MSD file header");
}

int PollStepClock(Platform& platform, const StepChart& chart, int32_t level, StepClock& clock,
                  char& stepCharacter, StepClockReport& report) {
  report = {};
  int32_t pos = Platform_AskHost(platform, kHostPosition);
  // A position below 1 ms is a song at its start (or stopped): the drift
  // correction starts again from zero, and so does the play field's state.
  if (pos < 1) {
    report.lowPosition = true;
    clock.sampledPosition.store(0, std::memory_order_relaxed);
  }
  WriteLogLine("Start to read MSD data...");
  const char* text = chart.chartText;
  if (text == nullptr) return ReportFinished();
  int64_t data = LocateStepData(chart, level, clock);
  if (data == kNoOffset) {
    report.chartMissing = true;
    return 0;
  }
  if (!isPlayableStepLength(chart.msPerStep)) return ReportFinished();
  int64_t t = int64_t(correctedPosition(pos, clock.sampledPosition.load(std::memory_order_relaxed))) - clock.offsetMs;
  if (t < 0 && clock.offsetMs > 0 && t + clock.offsetMs >= 0) return 1;  // the first step is not due yet
  int32_t index = stepIndexAt(int32_t(std::clamp<int64_t>(t, INT32_MIN, INT32_MAX)), chart.msPerStep);
  if (isChartFinished(index, chart.stepCount)) return ReportFinished();
  int64_t at = stepOffset(data, index, chart.textLength);
  if (at == kNoOffset) return ReportFinished();
  if (at == clock.lastStep) return 1;
  clock.lastStep = at;
  stepCharacter = text[at];
  report.newStep = true;
  WriteLogLine("Read MSD data OK. Got new step.");
  return 0;
}
