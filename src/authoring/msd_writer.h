// msd_writer.h -- placed steps as an MSD file the game reads without a surprise.
#pragma once

#include <string>

#include "authoring/step_placement.h"

struct MsdText {
  std::string title;
  std::string artist;
  std::string remark;        // one line about where the chart came from
  int meters[kLevels] = {};  // difficulty rating of each level, 0 for none
};

// The file: remark, title and artist lines, the tempo, then the three
// charts with 16-character headers and step lines of 64, every line ended
// by CR LF. Text that the game would take for a tag or a step is blanked
// out of the title, artist and remark. Plain computation, any thread.
std::string WriteMsd(const PlacedSteps& placed, const MsdText& text);
