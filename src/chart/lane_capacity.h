// lane_capacity.h -- how many arrows each lane holds in flight, spawn by spawn.
//
// A lane takes at most 19 arrows in flight and refuses the spawn beyond
// that. An arrow stays in flight from its spawn until the frame that frees
// it past the retire bound, a time fixed by the frame interval. Plain
// computation, any thread.
#pragma once

#include <cstdint>
#include <deque>

#include "chart/game_timing.h"
#include "chart/msd_format.h"

class LaneCapacity {
 public:
  // For steady frames of `frameMs` (1..1000).
  explicit LaneCapacity(int32_t frameMs);

  // True, and the arrow counted as in flight, when lane `n` has room for an
  // arrow spawned at `spawnMs`; false when 19 are still in flight there.
  // Spawn times never decrease.
  bool Take(int n, double spawnMs);

 private:
  double lifetimeMs_;
  std::deque<double> retireAt_[kLaneCount];
};
