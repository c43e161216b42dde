// lanes.cpp -- lane state and the rules that spawn, judge, retire and move arrows.
#include "play/lanes.h"

#include <cstdint>
#include <cstring>

#include "flame/flame_shared.h"

namespace {

int32_t NextSlot(int32_t index) { return index == kSlotsPerLane - 1 ? 0 : index + 1; }

// Takes the lane's oldest unjudged arrow, in slot j, out of the unjudged run.
void JudgeAt(Field& field, Lane& lane, int32_t j, bool missed, std::atomic<int32_t>& flameMood) {
  if (missed) {
    field.combo = -1;
    flameMood.store(kMoodSurge, std::memory_order_relaxed);
    RecordMiss(field.record);
  }
  --lane.unjudgedCount;
  lane.judgeIndex = NextSlot(j);
}

void FreeAt(Lane& lane, int32_t r) {
  lane.hit[r] = 0;
  lane.travel[r] = 0;
  lane.retireIndex = NextSlot(r);
}

}  // namespace

int32_t ArrowsInFlight(const Lane& lane) {
  int32_t count = lane.writeIndex - lane.retireIndex;
  return count < 0 ? count + kSlotsPerLane : count;
}

bool SpawnArrow(Field& field, int n) {
  Lane& lane = field.lanes[n];
  // A full ring: a twentieth arrow would make the lane read as empty. The
  // oldest arrow may still be in the hit window, so it keeps its place.
  if (ArrowsInFlight(lane) >= kMaxArrowsInLane) return false;
  ++lane.unjudgedCount;
  lane.travel[lane.writeIndex] = kSpawnTravel;
  lane.writeIndex = NextSlot(lane.writeIndex);
  return true;
}

int TakeStepCharacter(Field& field, char ch) {
  int32_t named[2];
  int count = LanesOfStep(ch, named);
  int refused = 0;
  for (int i = 0; i < count; ++i) refused += SpawnArrow(field, named[i]) ? 0 : 1;
  return refused;
}

void JudgeOldest(Field& field, int n, std::atomic<int32_t>& flameMood) {
  Lane& lane = field.lanes[n];
  int32_t j = lane.judgeIndex;
  // On a lane without unjudged arrows j is the free slot writeIndex names.
  bool missed = lane.travel[j] > kMissBound;
  if (lane.hit[j] != 0 || missed) JudgeAt(field, lane, j, missed, flameMood);
}

void RetireOldest(Field& field, int n) {
  Lane& lane = field.lanes[n];
  if (lane.travel[lane.retireIndex] > kRetireBound) FreeAt(lane, lane.retireIndex);
}

int HitOldest(Field& field, int n) {
  Lane& lane = field.lanes[n];
  if (lane.unjudgedCount == 0) return 0;
  int32_t j = lane.judgeIndex;
  if (lane.travel[j] < kHitWindowLow || lane.travel[j] > kHitWindowHigh) return 0;
  lane.hit[j] = 1;
  // The first hit after a miss clears the banner; a run of hits counts up
  // and stays at the largest count the banner can show.
  if (field.combo == -1) field.combo = 0;
  else if (field.combo < INT32_MAX) ++field.combo;
  return 1;
}
