// lanes.h -- the four lanes of arrows, the press state and the judgement counter.
//
// Plain computation on fixed-size state, the game's Field. Everything here
// lives on the thread that owns the game window (Render and the window
// procedure run there one after the other), so nothing takes a lock.
#pragma once

#include <atomic>
#include <cstdint>

#include "chart/game_timing.h"
#include "chart/msd_format.h"
#include "play/play_record.h"

// One lane's ring. Live slots run from retireIndex up to, not including,
// writeIndex; the unjudged ones from judgeIndex up to writeIndex. A free
// slot has travel 0 and hit 0.
struct Lane {
  int32_t unjudgedCount = 0;
  int32_t travel[kSlotsPerLane] = {};  // pixels risen since the spawn
  int32_t judgeIndex = 0;
  int32_t writeIndex = 0;
  int32_t retireIndex = 0;
  int32_t hit[kSlotsPerLane] = {};     // 1 once hit by a key press
};

// The play field's state: the four lanes, the presses and the judgement.
struct Field {
  Lane lanes[kLaneCount];
  // Per lane: 1 from a fresh key press until the press animation ends; while
  // it is 1 further presses on the lane are ignored.
  int32_t pressed[kLaneCount] = {};
  // Per lane: the press animation's step 0..4; 0 whenever pressed is 0.
  int32_t pressFrame[kLaneCount] = {};
  // Judgement counter: -1 after a miss, 0 nothing to show, n >= 1 for n hits
  // in a row. Reset to 0 by the frame pass when a new song's chart loads and
  // while the position is below 1 ms.
  int32_t combo = 0;
  // This play of the chart: hits, misses and timings. Started afresh with
  // every song, and when a song starts again.
  PlayRecord record;
};

// Arrows in flight in `lane` (live slots, judged or not): at most 19.
int32_t ArrowsInFlight(const Lane& lane);

// Adds one arrow at the bottom of `field`'s lane `n` and returns true. A lane that
// already holds 19 arrows in flight takes no more: the spawn is refused
// (false), so no live arrow is overwritten or taken from the player, and the
// lane never reads as empty while arrows fly.
bool SpawnArrow(Field& field, int n);
// Spawns the arrows step character `ch` names (any other byte spawns none);
// returns how many were refused for a full lane.
int TakeStepCharacter(Field& field, char ch);
// Judges lane `n`'s oldest unjudged arrow when it was hit or has passed the
// miss bound (a miss sets combo to -1 and `flameMood` to 2, and counts in
// the record). At most one.
void JudgeOldest(Field& field, int n, std::atomic<int32_t>& flameMood);
// Frees lane `n`'s oldest live slot once it has passed the retire bound.
void RetireOldest(Field& field, int n);

// A key press on lane `n` while the host plays: hits the lane's oldest
// unjudged arrow if it lies in the hit window and updates combo (-1 -> 0,
// else +1). Returns 1 on a hit.
int HitOldest(Field& field, int n);
