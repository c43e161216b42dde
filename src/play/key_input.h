// key_input.h -- the player's four keys in the game window, judged as they come.
#pragma once

#include <cstdint>

// The game window's WM_KEYDOWN and WM_KEYUP (`message`), with the virtual
// key and key data as they came, `msSinceFrame` after the latest frame moved
// the arrows. The lanes' keys are the player's KEYS (the cursor keys unless
// set). While the host plays, a fresh press of a
// lane's key (key down, bit 30 of the key data clear) on a lane that is not
// in its press animation hits the lane's oldest unjudged arrow when it lies
// in the hit window, starts the press animation and runs a field pass that
// judges at once. Game keys are never passed on, and do nothing while the
// host does not play; every other key goes on to the host's main window
// unchanged. Runs on the thread that owns the game window.
struct Game;
void OnGameKey(Game& game, uint32_t message, uintptr_t key, intptr_t keyData, int32_t msSinceFrame = 0);

// A fresh press on `lane` while the host plays, from a key or a pad: unless
// the lane's press animation still runs, it hits the lane's oldest unjudged
// arrow when it lies in the hit window, starts the press animation and runs
// a field pass that judges at once. A hit counts in the play's record, as
// late as the arrow had passed the target row `msSinceFrame` after the
// latest frame moved it.
void PressLane(Game& game, int lane, int32_t msSinceFrame = 0);
