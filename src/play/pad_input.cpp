// pad_input.cpp -- pad readings to lanes: PAD_BUTTONS, the hat's directions, fresh presses.
#include "play/pad_input.h"

#include "log/event_log.h"
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

const char* SkipBlanks(const char* at) {
  while (*at == ' ' || *at == '\t') ++at;
  return at;
}

// A button number at `at` (1 to kPadButtonMax, blanks around it), moving
// past it; false when there is none.
bool ReadButtonNumber(const char*& at, int32_t& number) {
  at = SkipBlanks(at);
  int32_t value = 0;
  int digits = 0;
  for (; *at >= '0' && *at <= '9'; ++at, ++digits)
    if (value <= kPadButtonMax) value = value * 10 + (*at - '0');
  at = SkipBlanks(at);
  if (digits == 0 || value < 1 || value > kPadButtonMax) return false;
  number = value;
  return true;
}

}  // namespace

bool ParsePadButtons(const char* text, int32_t (&buttons)[kLaneCount]) {
  int32_t read[kLaneCount];
  const char* at = text;
  for (int n = 0; n < kLaneCount; ++n) {
    if (!ReadButtonNumber(at, read[n])) return false;
    for (int before = 0; before < n; ++before)
      if (read[before] == read[n]) return false;
    if (*at != (n + 1 < kLaneCount ? ',' : '\0')) return false;
    if (*at == ',') ++at;
  }
  for (int n = 0; n < kLaneCount; ++n) buttons[n] = read[n];
  return true;
}

void SetPadButtons(PadState& pad, const char* text) {
  pad = PadState{};
  if (ParsePadButtons(text, pad.buttons)) return;
  WriteLogLine("PAD_BUTTONS \"%s\" does not name four different buttons from 1 to 32: the pad plays with 1,2,3,4.",
               text);
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
