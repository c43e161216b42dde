// frame_replay.cpp -- the step clock, spawns and rises of the game, frame by frame.
#include "frame_replay.h"

#include <algorithm>
#include <cmath>

#include "chart/msd_format.h"
#include "chart/game_timing.h"

namespace {

struct Flying {
  int lane;
  int32_t travel;
  int32_t drawnBefore;  // the travel drawn the frame before; none on its first
  int32_t spawnMs;
};

}  // namespace

Replay ReplayChart(const std::string& steps, float msPerStep, int32_t firstFrameMs,
                   const std::function<int32_t()>& nextIntervalMs) {
  const int32_t target = kOnTargetTravel;
  Replay replay;
  std::vector<Flying> flying;
  int32_t delivered = 0;  // the last step index a frame saw
  int32_t interval = nextIntervalMs();  // the frame's measured interval
  int32_t previousMs = 0;
  int32_t ms = firstFrameMs;
  int64_t lastDue = StepDueAt(int32_t(steps.size()), msPerStep);
  for (;;) {
    int32_t index = stepIndexAt(correctedPosition(ms, 0), msPerStep);
    if (index != delivered) {
      for (int32_t skipped = delivered + 1; skipped < index && skipped <= int32_t(steps.size()); ++skipped) {
        int32_t lanesOut[2];
        if (skipped >= 1) replay.skippedArrows += LanesOfStep(steps[size_t(skipped - 1)], lanesOut);
      }
      if (index >= 1 && index <= int32_t(steps.size())) {
        int32_t lanesOut[2];
        int count = LanesOfStep(steps[size_t(index - 1)], lanesOut);
        for (int i = 0; i < count; ++i) flying.push_back({lanesOut[i], kSpawnTravel, kSpawnTravel, ms});
      }
      delivered = index;
    }
    // Drawn at its travel, then raised: it covers the target between the
    // frame drawn below the target and the one drawn at or above it.
    int32_t rise = RiseFor(interval);
    for (size_t i = 0; i < flying.size();) {
      Flying& arrow = flying[i];
      if (arrow.travel >= target) {
        double step = double(arrow.travel - arrow.drawnBefore);
        double share = step > 0 ? (target - arrow.drawnBefore) / step : 1.0;
        replay.arrows.push_back({arrow.lane, double(arrow.spawnMs), previousMs + share * double(ms - previousMs)});
        flying.erase(flying.begin() + std::ptrdiff_t(i));
        continue;
      }
      arrow.drawnBefore = arrow.travel;
      arrow.travel += rise;
      ++i;
    }
    if (flying.empty() && (lastDue < 0 || ms > lastDue)) break;
    previousMs = ms;
    interval = nextIntervalMs();
    ms += interval;
  }
  return replay;
}

NoteTiming TimeNotes(const std::vector<TimedLanes>& notes, const Replay& replay, double lostBeyondMs) {
  NoteTiming timing;
  for (const TimedLanes& note : notes) {
    int lane = 0;
    while (lane < kLaneCount - 1 && !(note.lanes & (1u << lane))) ++lane;
    double best = lostBeyondMs;
    bool found = false;
    for (const ReplayedArrow& arrow : replay.arrows) {
      double error = std::fabs(arrow.arrivalMs - note.ms);
      if (arrow.lane == lane && error <= best) {
        best = error;
        found = true;
      }
    }
    if (found) {
      timing.errorsMs.push_back(best);
    } else {
      ++timing.lost;
    }
  }
  return timing;
}

double RiseLatenessMs(const Replay& replay, int32_t frameMs) {
  if (replay.arrows.empty()) return 0;
  double total = 0;
  for (const ReplayedArrow& arrow : replay.arrows) total += arrow.arrivalMs - arrow.spawnMs;
  double steady = double(kOnTargetTravel - kSpawnTravel) / RiseFor(frameMs) * frameMs;
  return total / double(replay.arrows.size()) - steady;
}

Replay Shifted(Replay replay, double ms) {
  for (ReplayedArrow& arrow : replay.arrows) arrow.arrivalMs -= ms;
  return replay;
}
