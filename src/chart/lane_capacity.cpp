// lane_capacity.cpp -- arrows in flight per lane, by their retire times.
#include "chart/lane_capacity.h"

#include <algorithm>

LaneCapacity::LaneCapacity(int32_t frameMs) {
  int32_t rise = std::max(1, RiseFor(frameMs));
  int32_t framesToRetire = (kRetireBound + 1 - kSpawnTravel + rise - 1) / rise + 1;
  lifetimeMs_ = double(framesToRetire) * frameMs;
}

bool LaneCapacity::Take(int n, double spawnMs) {
  std::deque<double>& inFlight = retireAt_[n];
  while (!inFlight.empty() && inFlight.front() <= spawnMs) inFlight.pop_front();
  if (int(inFlight.size()) >= kMaxArrowsInLane) return false;
  inFlight.push_back(spawnMs + lifetimeMs_);
  return true;
}
