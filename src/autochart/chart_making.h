// chart_making.h -- the step chart of a song, made from its analysed audio.
//
// The one recipe the plug-in (for a song without a chart) and the chart
// tool's `generate` share: the beat grid, the arrows of each level, their
// steps on one grid, and the MSD file's text. Plain computation, any thread.
#pragma once

#include <string>
#include <vector>

#include "analysis/audio_analysis.h"
#include "analysis/beat_grid.h"
#include "authoring/msd_writer.h"
#include "authoring/step_placement.h"

// Songs shorter than this have too little music for a chart.
constexpr double kShortestSongMs = 10000.0;

struct MadeChart {
  BeatGrid grid;
  std::vector<TimedNote> notes[kLevels];  // the chosen arrows at their song times
  PlacedSteps placed;
  MsdText text;  // title, the remark naming `maker`, the meters
};

// Makes the chart of the song titled `title` from its analysis. False with
// `error` (one sentence, lower case) when the song is too short, has no
// steady beat, or no beat strong enough for an arrow.
bool MakeChart(const AudioAnalysis& analysis, const std::string& title, const char* maker,
               const PlacementOptions& options, MadeChart& chart, std::string& error);

// One line: tempo, arrows per level, timing.
std::string SummaryOf(const MadeChart& chart);
