// flame_tick.h -- one pass of the flame thread: the fire, its heat and the position sample.
//
// Portable: the Win32 thread (flame_thread_win32.cpp) runs FlameTick every
// 20 ms and passes its host requests in; native tests pass a fake.
#pragma once

#include <cstdint>

// The bytes the flame thread writes: the flame image and flame mask (310
// rows of 288 bytes, bottom row first) and the 287-byte seed row. All null
// while the flame surfaces are not made, or could not all be made.
struct FlameBuffers {
  uint8_t* image;
  uint8_t* mask;
  uint8_t* seed;
};
extern FlameBuffers flameBuffers;

// Sends host request `request` (104 or 105) and returns the answer.
using FlameHostRequest = int32_t (*)(void* host, int32_t request);

// Ticks of the flame thread between two position samples, less one: the
// sample is taken on every 32nd tick.
constexpr int32_t kTicksBetweenSamples = 31;

// One tick: while the show-flame flag is set (and the buffers exist) one
// flame step and mask pass, then the flame heat one notch towards what
// FlameMood asks for. Then, on every 32nd tick counted by `tickCounter`
// (0 when the thread starts), whether the flame shows or not: while the host
// does not answer 1 to request 104, the answer to request 105 becomes the
// sampled position. Flame thread only.
void FlameTick(int32_t& tickCounter, FlameHostRequest ask, void* host);
