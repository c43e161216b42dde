// pad_input.h -- a dance pad or game pad read as Windows reports it: buttons and the hat to lanes.
//
// Windows' joystick interface hands over a reading: one bit per button
// (button 1, as the game controller panel numbers it, is bit 0) and the
// point-of-view hat's direction in hundredths of a degree clockwise from
// up, or 0xFFFF while centred. Four buttons, PAD_BUTTONS in plugin.ini,
// are the lanes left, down, up, right; the hat's four directions are the
// same lanes (a diagonal holds both of its lanes). A lane that goes from
// up to down is a fresh press, as a key's first key-down is; holding
// presses nothing more. Plain code: the Win32 reading is play/pad_win32.cpp.
// Host's visualisation thread.
#pragma once

#include <cstdint>

#include "chart/game_timing.h"

struct Game;

// The hat's reading while it is centred.
constexpr uint32_t kPadHatCentred = 0xFFFF;
// How long an absent pad is left alone before it is asked again, in ms:
// asking about a joystick that is not there can take long on Windows.
constexpr uint32_t kPadRetryMs = 1000;

// The pad as the plug-in last read it: one value of the plug-in's, made at
// Init (SetPadButtons) and read and changed once a frame by Render.
struct PadState {
  // The lanes' button numbers, 1-based, left, down, up, right: four
  // different numbers from 1 to 32.
  int32_t buttons[kLaneCount] = {1, 2, 3, 4};
  // Bit n: lane n was held at the last reading. 0 while no pad is there.
  uint32_t lanesHeld = 0;
  // Whether the last ask found a pad; false before the first.
  bool present = false;
  // When the last ask found none (ms, the system's tick count), and
  // whether there was such an ask.
  bool missed = false;
  uint32_t missedAtMs = 0;
};

// Init: the lanes' buttons, PAD_BUTTONS' numbers (settings/settings.h,
// which reads and checks them). Forgets any pad read before.
void SetPadButtons(PadState& pad, const int32_t (&buttons)[kLaneCount]);

// The lanes a reading holds, bit n for lane n: the lanes whose button's bit
// is set in `buttonBits`, and those the hat at `hat` points to (none when
// centred or not a direction, 0..35999).
uint32_t PadLanesHeld(const PadState& pad, uint32_t buttonBits, uint32_t hat);

// Whether the pad is to be asked this frame, at `nowMs` (the system's tick
// count, which wraps): always while it is there or before the first ask;
// after an ask that found none, only once kPadRetryMs have passed since.
bool PadAskDue(const PadState& pad, uint32_t nowMs);

// A reading of the pad: returns the lanes it newly holds (bit n for lane n)
// and keeps what it holds for the next one.
uint32_t TakePadReading(PadState& pad, uint32_t buttonBits, uint32_t hat);

// An ask that found no pad at `nowMs`: what it held is forgotten, so a lane
// held when it comes back counts as a fresh press.
void TakePadAbsence(PadState& pad, uint32_t nowMs);

// The fresh presses `lanes` of a reading (bit n for lane n): each is
// PressLane'd while the host plays, as made `msSinceFrame` after the latest
// frame moved the arrows; nothing happens while it does not.
void PressPadLanes(Game& game, uint32_t lanes, int32_t msSinceFrame = 0);
