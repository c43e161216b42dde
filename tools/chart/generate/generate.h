// generate.h -- a playable MSD chart for a song, made from its audio.
#pragma once

#include <string>

#include "analysis/audio_analysis.h"
#include "analysis/beat_grid.h"
#include "authoring/step_placement.h"

struct GeneratedSong {
  AudioAnalysis analysis;
  BeatGrid grid;
  std::vector<TimedNote> notes[kLevels];  // the chosen arrows at their song times
  PlacedSteps placed;
  std::string msd;
};

// Songs shorter than this have too little music for a chart.
constexpr double kShortestSongMs = 10000.0;

// Analyses the audio file at `path` and makes its chart. False with `error`
// (one sentence) when the file is no audio, too short, or has no beat.
bool GenerateChart(const std::string& path, const PlacementOptions& options, GeneratedSong& song,
                   std::string& error);

// The same from analysed audio (for tests and the fuzzer).
bool GenerateFromAnalysis(const std::string& fileName, const PlacementOptions& options, GeneratedSong& song,
                          std::string& error);

// One line: tempo, arrows per level, timing.
std::string SummaryOf(const GeneratedSong& song);

// `stompara_chart generate ...`: the arguments after "generate". Exit
// status: 0 every song made, 1 some failed, 2 none made, 3 bad usage.
int RunGenerate(int argc, char** argv);
