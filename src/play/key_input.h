// key_input.h -- the four cursor keys of the game window, judged as they come.
#pragma once

#include <cstdint>

// Virtual keys of the game, in lane order: left, down, up, right.
constexpr uint32_t gameKeys[4] = {0x25, 0x28, 0x26, 0x27};

// The game window's WM_KEYDOWN and WM_KEYUP (`message`), with the virtual
// key and key data as they came. While the host plays, a fresh press of a
// lane's key (key down, bit 30 of the key data clear) on a lane that is not
// in its press animation hits the lane's oldest unjudged arrow when it lies
// in the hit window, starts the press animation and runs a field pass that
// judges at once. Game keys are never passed on, and do nothing while the
// host does not play; every other key goes on to the host's main window
// unchanged. Runs on the thread that owns the game window.
struct Game;
void OnGameKey(Game& game, uint32_t message, uintptr_t key, intptr_t keyData);

// A fresh press on `lane` while the host plays, from a key or a pad: unless
// the lane's press animation still runs, it hits the lane's oldest unjudged
// arrow when it lies in the hit window, starts the press animation and runs
// a field pass that judges at once.
void PressLane(Game& game, int lane);
