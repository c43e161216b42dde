// key_names.h -- the keys a player can name in KEYS, and the list of four.
#pragma once

#include <cstdint>

// The keys the game plays with when KEYS is missing or names no four keys.
constexpr char kDefaultKeyList[] = "LEFT,DOWN,UP,RIGHT";
constexpr uint32_t kDefaultKeys[4] = {0x25, 0x28, 0x26, 0x27};  // VK_LEFT, VK_DOWN, VK_UP, VK_RIGHT

// The virtual key that `name` (`length` bytes, any case) names: a letter
// A-Z, a digit 0-9, NUMPAD0-NUMPAD9, or LEFT, DOWN, UP, RIGHT. 0 for any
// other name.
uint32_t VirtualKeyNamed(const char* name, uint32_t length);

// Reads KEYS: four key names separated by commas, blanks around each
// allowed, for left, down, up and right. True with `keys` filled in lane
// order when they name four different keys; false, `keys` untouched,
// otherwise.
bool ReadKeyList(const char* text, uint32_t (&keys)[4]);
