// key_input.cpp -- cursor-key presses: hit test, press animation, keys for the host.
#include "play/key_input.h"

#include "platform/platform.h"
#include "play/frame_pass.h"
#include "play/game.h"
#include "play/lanes.h"
#include "settings/settings.h"

namespace {

constexpr intptr_t kWasDownBit = intptr_t(1) << 30;  // the key was down before

// The lane of one of the player's keys (KEYS), or -1 for any other key.
int LaneOfKey(const Settings& settings, uintptr_t key) {
  for (int n = 0; n < kLaneCount; ++n)
    if (key == settings.keys[n]) return n;
  return -1;
}

}  // namespace

void OnGameKey(Game& game, uint32_t message, uintptr_t key, intptr_t keyData, int32_t msSinceFrame) {
  int lane = LaneOfKey(*game.settings, key);
  if (lane < 0) {  // not the game's: the host's own keyboard input
    Platform_PassKeyOn(*game.platform, message, key, keyData);
    return;
  }
  if (Platform_AskHost(*game.platform, kHostIsPlaying) != 1) return;
  // A held key repeats with bit 30 set and a release always has it: only
  // the first key-down of a press counts, and not while the lane's press
  // animation still runs.
  bool fresh = message == kKeyDownMessage && (keyData & kWasDownBit) == 0;
  if (fresh) PressLane(game, lane, msSinceFrame);
}

void PressLane(Game& game, int lane, int32_t msSinceFrame) {
  Field& field = game.field;
  if (field.pressed[lane] != 0) return;
  field.pressed[lane] = 1;
  const Lane& pressed = field.lanes[lane];
  int32_t travel = pressed.travel[pressed.judgeIndex];
  if (HitOldest(field, lane))
    RecordHit(field.record, LateMsOfPress(travel, game.frame.frameInterval, msSinceFrame));
  DrawField(game, false);
}
