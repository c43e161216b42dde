// flame_shared.h -- the 32-bit values the flame thread shares with the game.
//
// Each is written whole by one store and read whole, with no lock; they are
// atomics so that the two threads' relaxed loads and stores are race-free.
// The game holds them (play/game.h); the flame thread reaches them through
// its parameter.
#pragma once

#include <atomic>
#include <cstdint>

// What the flame should do next (FlameMood). Written on the visualisation
// thread by the frame pass (0 at a position below 1 ms, 3 at the chart's end), a miss (2)
// and the banner (0 or 1); read only by the flame thread.
enum FlameMoodValue : int32_t {
  kMoodCooling = 0,
  kMoodWarming = 1,
  kMoodSurge = 2,
  kMoodChartEnded = 3,
};
struct FlameShared {
  // FlameMood: a FlameMoodValue.
  std::atomic<int32_t> FlameMood{kMoodCooling};
  // Set to 1 by Quit; the flame thread ends when it sees it.
  std::atomic<int32_t> stop{0};
};
