// flame_shared.h -- the 32-bit values the flame thread shares with the game.
//
// Each is written whole by one store and read whole, with no lock; they are
// atomics so that the two threads' relaxed loads and stores are race-free.
#pragma once

#include <atomic>
#include <cstdint>

// What the flame should do next. Written on the visualisation thread by the
// step clock (0 below 1 ms), a miss (2), the frame pass at the chart's end
// (3) and the banner (0 or 1); read only by the flame thread.
enum FlameMoodValue : int32_t {
  kMoodCooling = 0,
  kMoodWarming = 1,
  kMoodSurge = 2,
  kMoodChartEnded = 3,
};
extern std::atomic<int32_t> FlameMood;

// Playback position (ms) last seen while the host was paused or stopped.
// Written by the flame thread every 32nd tick, reset to 0 by the step clock;
// read by the step clock.
extern std::atomic<int32_t> sampledPosition;

// Set to 1 by Quit; the flame thread ends when it sees it.
extern std::atomic<int32_t> flameStop;
