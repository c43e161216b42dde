// lanes.h -- the four lanes of arrows and the judgement counter.
#pragma once

#include <cstdint>

// Judgement counter: -1 after a miss, 0 nothing to show, n >= 1 for n hits
// in a row. Reset to 0 by the chart loader and by the step clock while the
// position is below 1 ms. Visualisation thread only.
extern int32_t combo;
