// pad_win32.h -- the pad read through Windows' joystick interface, once a frame.
#pragma once

#include <cstdint>

struct Game;
struct PadState;

// Render, before the frame pass: asks Windows about joystick 1 (buttons and
// hat) when `pad` says an ask is due, and plays the reading's fresh presses
// on `game` (pad_input.h). A joystick that answers an error is not there:
// what it held is forgotten and it is asked again about once a second, as
// the ask can be slow. A press is taken as made `msSinceFrame` after the
// latest frame moved the arrows. Host's visualisation thread.
void PollPad(PadState& pad, Game& game, int32_t msSinceFrame);
