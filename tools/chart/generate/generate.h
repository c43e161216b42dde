// generate.h -- a playable MSD chart for a song, made from its audio.
#pragma once

#include <string>

#include "autochart/chart_making.h"

struct GeneratedSong : MadeChart {
  AudioAnalysis analysis;
  std::string msd;
};

// Analyses the audio file at `path` and makes its chart. False with `error`
// (one sentence) when the file is no audio, too short, or has no beat.
bool GenerateChart(const std::string& path, const PlacementOptions& options, GeneratedSong& song,
                   std::string& error);

// The same from analysed audio (for tests and the fuzzer).
bool GenerateFromAnalysis(const std::string& fileName, const PlacementOptions& options, GeneratedSong& song,
                          std::string& error);

// `stompara_chart generate ...`: the arguments after "generate". Exit
// status: 0 every song made, 1 some failed, 2 none made, 3 bad usage.
int RunGenerate(int argc, char** argv);
