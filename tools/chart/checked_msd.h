// checked_msd.h -- the MSD writer with the chart inspector run on what it wrote.
//
// For the converter and the generator, which hand their charts on only
// once the game's own reading code finds nothing to warn about. Any thread.
#pragma once

#include <string>

#include "authoring/msd_writer.h"

// WriteMsd, then the chart inspector on the result: false with `error` set
// when the game would find any surprise in it (it never should).
bool WriteCheckedMsd(const PlacedSteps& placed, const MsdText& text, std::string& msd, std::string& error);
