// chart_making.cpp -- beat grid, arrows, steps and MSD text of one analysed song.
#include "autochart/chart_making.h"

#include <algorithm>
#include <cstdio>

#include "authoring/step_choice.h"

bool MakeChart(const AudioAnalysis& analysis, const std::string& title, const char* maker,
               const PlacementOptions& options, MadeChart& chart, std::string& error) {
  if (analysis.durationMs < kShortestSongMs) {
    char text[96];
    std::snprintf(text, sizeof text, "too short for a chart (%.1f s; a song needs at least %.0f s)",
                  analysis.durationMs / 1000.0, kShortestSongMs / 1000.0);
    error = text;
    return false;
  }
  if (!FitBeatGrid(analysis, chart.grid, error)) return false;
  ChooseSteps(analysis, chart.grid, chart.notes);
  if (!PlaceSteps(chart.notes, chart.grid.beatMs / 2, options, chart.placed, error)) return false;
  if (chart.placed.levels[0].arrows == 0) {
    error = "no beat strong enough for an arrow";
    return false;
  }
  chart.text.title = title;
  char remark[160];
  std::snprintf(remark, sizeof remark, "Generated from the audio by %s, %.2f BPM, %d steps to the eighth note", maker,
                chart.grid.bpm(), chart.placed.subdivision);
  chart.text.remark = remark;
  const int meters[kLevels] = {2, 5, 8};
  for (int level = 0; level < kLevels; ++level) chart.text.meters[level] = meters[level];
  return true;
}

std::string SummaryOf(const MadeChart& chart) {
  const PlacedSteps& p = chart.placed;
  double worst = std::max({p.levels[0].worstErrorMs, p.levels[1].worstErrorMs, p.levels[2].worstErrorMs});
  char text[256];
  std::snprintf(text, sizeof text, "%.2f BPM%s, %d step%s to the eighth; arrows %d / %d / %d; timing error "
                "median %.1f ms, worst %.1f ms", chart.grid.bpm(),
                chart.grid.steady ? "" : " (tempo drifts: beats as heard)", p.subdivision,
                p.subdivision == 1 ? "" : "s", p.levels[0].arrows, p.levels[1].arrows, p.levels[2].arrows,
                p.medianErrorMs, worst);
  return text;
}
