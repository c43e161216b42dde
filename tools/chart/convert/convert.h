// convert.h -- a DWI, SM or SSC file to an MSD chart the game plays in time.
#pragma once

#include <string>
#include <vector>

#include "simfile.h"
#include "authoring/step_placement.h"

struct ConvertedSong {
  Simfile song;
  int sources[kLevels] = {-1, -1, -1};   // index in song.charts of the chart each level plays
  PlacedSteps placed;
  std::string msd;                   // the file's bytes
  std::vector<std::string> notes;    // what the conversion could not keep, one sentence each
};

// Reads `bytes` as DWI, SM or SSC (by `fileName`'s extension, any letter case)
// and places its charts: Standard, Advanced and Expert from the easiest to
// the hardest single-play charts, a missing one filled from the nearest
// level. False with `error` (one sentence) when it cannot be converted.
// The MSD text is checked with the chart inspector before it is returned.
bool ConvertSimfile(const std::string& fileName, const std::string& bytes, const PlacementOptions& options,
                    ConvertedSong& converted, std::string& error);

// One line about the converted song: levels, tempo, grid, arrows, timing.
std::string SummaryOf(const ConvertedSong& converted);

// `stompara_chart convert ...`: the arguments after "convert". Returns the
// exit status: 0 every song converted, 1 some failed, 2 none converted,
// 3 bad usage.
int RunConvert(int argc, char** argv);
