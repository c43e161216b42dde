// game_timing.h -- the game's timing and field rules that charts are made for.
//
// Plain constants and arithmetic, below both the game (play/, which moves
// and judges arrows by them) and the chart makers (authoring/, tools/chart/,
// which place steps so that arrows arrive on their notes). Any thread.
#pragma once

#include <cstdint>

// The frame interval the module asks of the host, in ms.
constexpr int32_t kPlayerFrameMs = 25;

// The four lanes, 0 left, 1 down, 2 up, 3 right, each a ring of 20 arrow
// slots. A ring holds at most 19 arrows in flight: a twentieth would make
// the lane read as empty.
constexpr int kLaneCount = 4;
constexpr int kSlotsPerLane = 20;
constexpr int kMaxArrowsInLane = kSlotsPerLane - 1;

// The play field, the back buffer and the game window's client area, in
// pixels; y grows downwards. The target row's top edge is at y = 16.
constexpr int kFieldWidth = 288;
constexpr int kFieldHeight = 310;
constexpr int32_t kTargetRowTop = 16;

// An arrow's travel: the pixels it has risen, drawn at y = 310 - travel.
constexpr int32_t kSpawnTravel = 2;     // a new arrow's travel
constexpr int32_t kOnTargetTravel = kFieldHeight - kTargetRowTop;  // 294: covers the target
constexpr int32_t kMissBound = 309;     // unjudged and past this: missed
constexpr int32_t kRetireBound = 340;   // past this: the slot is freed
constexpr int32_t kHitWindowLow = 281;  // a press hits an arrow whose travel
constexpr int32_t kHitWindowHigh = 305; //   lies in 281..305

// Pixels every arrow rises in a frame of `frameIntervalMs`: one per 10 ms,
// to the nearest whole pixel, in unsigned 32-bit arithmetic.
constexpr int32_t RiseFor(int32_t frameIntervalMs) {
  return int32_t((uint32_t(frameIntervalMs) + 5u) / 10u);
}
