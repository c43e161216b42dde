// step_clock.cpp -- the per-frame step lookup, its drift sample and the missing-chart box.
#include "chart/step_clock.h"

#include "base/event_log.h"
#include "base/platform.h"
#include "base/settings.h"
#include "chart/chart_loader.h"
#include "chart/msd_format.h"

int64_t lastStep = -1;
std::atomic<int32_t> sampledPosition{0};

namespace {

int ReportFinished() {
  WriteLogLine("Read MSD data failed or finished.");
  return -1;
}

// The chart text and LEVEL the missing-chart box was shown for last.
struct MissingChartReport {
  bool shown;
  uint32_t loads;
  int32_t level;
};
MissingChartReport missingChartReport;

// Offset of the step data of the chart LEVEL plays, or kNoOffset.
int64_t LocateStepData(const char* text) {
  int64_t chart = findChart(text, LEVEL);
  return chart == kNoOffset ? kNoOffset : findStepData(text, chart);
}

}  // namespace

void ReportMissingChart() {
  const MissingChartReport now = {true, stepChart.loads, LEVEL};
  const MissingChartReport& last = missingChartReport;
  if (last.shown && last.loads == now.loads && last.level == now.level) return;
  missingChartReport = now;
  Platform_ShowError("Bad MSD file header");
}

int PollStepClock(char& stepCharacter, StepClockReport& report) {
  report = {};
  int32_t pos = Platform_AskHost(kHostPosition);
  // A position below 1 ms is a song at its start (or stopped): the drift
  // correction starts again from zero, and so does the play field's state.
  if (pos < 1) {
    report.lowPosition = true;
    sampledPosition.store(0, std::memory_order_relaxed);
  }
  WriteLogLine("Start to read MSD data...");
  const char* text = stepChart.chartText;
  if (text == nullptr) return ReportFinished();
  int64_t data = LocateStepData(text);
  if (data == kNoOffset) {
    report.chartMissing = true;
    return 0;
  }
  if (!isPlayableStepLength(stepChart.msPerStep)) return ReportFinished();
  int32_t t = correctedPosition(pos, sampledPosition.load(std::memory_order_relaxed));
  int32_t index = stepIndexAt(t, stepChart.msPerStep);
  if (isChartFinished(index, stepChart.stepCount)) return ReportFinished();
  int64_t at = stepOffset(data, index, stepChart.textLength);
  if (at == kNoOffset) return ReportFinished();
  if (at == lastStep) return 1;
  lastStep = at;
  stepCharacter = text[at];
  report.newStep = true;
  WriteLogLine("Read MSD data OK. Got new step.");
  return 0;
}
