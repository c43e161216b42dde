// step_clock.h -- turns the host's playback position into the step of the chart that is due.
#pragma once

#include <cstdint>

// Offset in stepChart.chartText of the step character delivered last, or -1
// for none (at start). Written only by PollStepClock; loading a chart leaves
// it as it is. Visualisation thread only.
extern int64_t lastStep;

// Once per frame, while stepChart.chartText is present: asks the host for the
// playback position (request 105); below 1 ms resets combo, FlameMood and the
// sampled position to 0. Finds the chart LEVEL plays and the step due at the
// drift-corrected position. Results:
//   0  a new step is due: its character is written to `stepCharacter`, the
//      beat pulse advances. Also the result when the text has fewer charts
//      than LEVEL + 1, or a header without three ":", with `stepCharacter`
//      untouched: the "Bad MSD file header" box then shows once per chart
//      text and LEVEL.
//   1  the step due is the one delivered last; `stepCharacter` untouched.
//  -1  the chart is finished, or the step due lies outside the text, or no
//      step length is known; `stepCharacter` untouched.
// Never reads outside the chart text. Visualisation thread only; may block in
// a modal box.
int PollStepClock(char& stepCharacter);
