// pad_input.cpp -- pad readings to lanes: PAD_BUTTONS, the hat's directions, fresh presses.
#include "play/pad_input.h"

#include "platform/platform.h"
#include "play/game.h"
#include "play/key_input.h"

namespace {

constexpr uint32_t kLeft = 1u << 0, kDown = 1u << 1, kUp = 1u << 2, kRight = 1u << 3;

// The hat's lanes by eighth of a turn, clockwise from up: a reading between
// two of Windows' eight directions counts as the nearer one.
constexpr uint32_t kHatLanes[8] = {kUp, kUp | kRight, kRight, kDown | kRight,
                                   kDown, kDown | kLeft, kLeft, kUp | kLeft};
constexpr uint32_t kHatFullTurn = 36000;

}  // namespace

void SetPadButtons(PadState& pad, const int32_t (&buttons)[kLaneCount]) {
  pad = PadState{};
  for (int n = 0; n < kLaneCount; ++n) pad.buttons[n] = buttons[n];
}

uint32_t PadLanesHeld(const PadState& pad, uint32_t buttonBits, uint32_t hat) {
  uint32_t lanes = 0;
  for (int n = 0; n < kLaneCount; ++n)
    if (buttonBits & (1u << (pad.buttons[n] - 1))) lanes |= 1u << n;
  if (hat < kHatFullTurn) lanes |= kHatLanes[((hat + kHatFullTurn / 16) / (kHatFullTurn / 8)) % 8];
  return lanes;
}

bool PadAskDue(const PadState& pad, uint32_t nowMs) {
  // Unsigned difference: right across the tick count's wrap.
  return pad.present || !pad.missed || nowMs - pad.missedAtMs >= kPadRetryMs;
}

uint32_t TakePadReading(PadState& pad, uint32_t buttonBits, uint32_t hat) {
  uint32_t held = PadLanesHeld(pad, buttonBits, hat);
  uint32_t fresh = held & ~pad.lanesHeld;
  pad.lanesHeld = held;
  pad.present = true;
  return fresh;
}

void TakePadAbsence(PadState& pad, uint32_t nowMs) {
  pad.lanesHeld = 0;
  pad.present = false;
  pad.missed = true;
  pad.missedAtMs = nowMs;
}

void PressPadLanes(Game& game, uint32_t lanes, int32_t msSinceFrame) {
  if (lanes == 0) return;  // most frames: the host is not even asked
  if (Platform_AskHost(*game.platform, kHostIsPlaying) != 1) return;
  for (int n = 0; n < kLaneCount; ++n)
    if (lanes & (1u << n)) PressLane(game, n, msSinceFrame);
}
