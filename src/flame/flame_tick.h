// flame_tick.h -- one pass of the flame thread: the fire, its heat and the position sample.
//
// Portable: the Win32 thread (flame_thread_win32.cpp) runs FlameTick every
// 20 ms and passes its host requests in; native tests pass a fake.
#pragma once

#include <atomic>
#include <cstdint>

#include "flame/flame_shared.h"
#include "flame/flame_simulation.h"

// The bytes the flame thread writes: the flame image and flame mask (310
// rows of 288 bytes, bottom row first) and the 287-byte seed row. All null
// while the flame surfaces are not made, or could not all be made. Made by
// Init before the flame thread starts and freed by Quit after it ends.
struct FlameBuffers {
  uint8_t* image = nullptr;
  uint8_t* mask = nullptr;
  uint8_t* seed = nullptr;
};

// What a flame thread works on, handed to it as its parameter: the fire and
// its buffers are its own while it runs; the rest it shares with the game.
struct FlameWork {
  FlameState* fire;
  const FlameBuffers* buffers;
  FlameShared* shared;                          // FlameMood and the stop flag
  const std::atomic<int32_t>* showFlame;        // the settings' SHOW_FLAME
  std::atomic<int32_t>* sampledPosition;        // the step clock's
};

// Sends host request `request` (104 or 105) and returns the answer.
using FlameHostRequest = int32_t (*)(void* host, int32_t request);

// Ticks of the flame thread between two position samples, less one: the
// sample is taken on every 32nd tick.
constexpr int32_t kTicksBetweenSamples = 31;

// One tick of `work`: while the show-flame flag is set (and the buffers
// exist) one flame step and mask pass, then the flame heat one notch towards
// what FlameMood asks for. Then, on every 32nd tick counted by `tickCounter`
// (0 when the thread starts), whether the flame shows or not: while the host
// does not answer 1 to request 104, the answer to request 105 becomes the
// sampled position. Flame thread only.
void FlameTick(const FlameWork& work, int32_t& tickCounter, FlameHostRequest ask, void* host);
