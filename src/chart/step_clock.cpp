// step_clock.cpp -- the per-frame step lookup, its reset below 1 ms and the beat pulse.
#include "chart/step_clock.h"

#include "chart/chart_loader.h"
#include "chart/msd_format.h"
#include "flame/flame_shared.h"
#include "play/frame_pass.h"
#include "play/lanes.h"
#include "plugin/event_log.h"
#include "plugin/platform.h"
#include "plugin/settings.h"

int64_t lastStep = -1;

namespace {

int ReportFinished() {
  WriteLogLine("Read MSD data failed or finished.");
  return -1;
}

// A position below 1 ms is a song at its start (or stopped): play state and
// drift correction start again from zero.
void ResetPlayState() {
  combo = 0;
  FlameMood.store(kMoodCooling, std::memory_order_relaxed);
  sampledPosition.store(0, std::memory_order_relaxed);
}

// A text with fewer charts than LEVEL + 1 is reported once per chart text
// and LEVEL: a box on every frame would keep the user answering boxes and
// never let them reach the configuration to choose another level.
struct MissingChartReport {
  bool shown;
  uint32_t loads;
  int32_t level;
};
MissingChartReport missingChartReport;

void ReportMissingChart() {
  const MissingChartReport now = {true, stepChart.loads, LEVEL};
  const MissingChartReport& last = missingChartReport;
  if (last.shown && last.loads == now.loads && last.level == now.level) return;
  missingChartReport = now;
  Platform_ShowError("Bad MSD file header");
}

// Offset of the step data of the chart LEVEL plays, or kNoOffset.
int64_t LocateStepData(const char* text) {
  int64_t chart = findChart(text, LEVEL);
  return chart == kNoOffset ? kNoOffset : findStepData(text, chart);
}

}  // namespace

int PollStepClock(char& stepCharacter) {
  int32_t pos = Platform_AskHost(kHostPosition);
  if (pos < 1) ResetPlayState();
  WriteLogLine("Start to read MSD data...");
  const char* text = stepChart.chartText;
  if (text == nullptr) return ReportFinished();
  int64_t data = LocateStepData(text);
  if (data == kNoOffset) {
    ReportMissingChart();
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
  beatPulse = beatPulse == 0 ? 1 : int32_t(uint32_t(beatPulse) + 1u);
  WriteLogLine("Read MSD data OK. Got new step.");
  return 0;
}
