// lanes_test.cpp -- spawn, judge, retire and rise at their bounds; the full ring.
#include "play/lanes.h"

#include <gtest/gtest.h>

#include "play/play_test_support.h"

namespace {

class Lanes : public testing::Test {
 protected:
  void SetUp() override { ResetPlayField(); }
};

TEST_F(Lanes, StepCharactersSpawnTheirLanesInOrder) {
  struct Case { char ch; std::vector<int> lanes; };
  const Case cases[] = {
      {'4', {0}}, {'2', {1}}, {'8', {2}}, {'6', {3}}, {'1', {0, 1}}, {'3', {1, 3}},
      {'7', {0, 2}}, {'9', {2, 3}}, {'A', {1, 2}}, {'B', {0, 3}},
      {'0', {}}, {'5', {}}, {'a', {}}, {':', {}}, {'\0', {}}, {';', {}},
  };
  for (const Case& c : cases) {
    int32_t named[2] = {-1, -1};
    int count = LanesOfStep(c.ch, named);
    EXPECT_EQ(std::vector<int>(named, named + count), c.lanes) << c.ch << ": lanes in spawn order";
    ResetLanes();
    TakeStepCharacter(testGame.field, c.ch);
    for (int n = 0; n < kLaneCount; ++n) {
      bool spawned = std::find(c.lanes.begin(), c.lanes.end(), n) != c.lanes.end();
      EXPECT_EQ(testGame.field.lanes[n].unjudgedCount, spawned ? 1 : 0) << c.ch << " lane " << n;
      EXPECT_EQ(testGame.field.lanes[n].writeIndex, spawned ? 1 : 0) << c.ch << " lane " << n;
      EXPECT_EQ(testGame.field.lanes[n].travel[0], spawned ? kSpawnTravel : 0) << c.ch << " lane " << n;
    }
  }
}

TEST_F(Lanes, SpawnWrapsTheRingAtNineteen) {
  testGame.field.lanes[2].writeIndex = testGame.field.lanes[2].judgeIndex = testGame.field.lanes[2].retireIndex = 19;
  SpawnArrow(testGame.field, 2);
  EXPECT_EQ(testGame.field.lanes[2].travel[19], 2);
  EXPECT_EQ(testGame.field.lanes[2].writeIndex, 0);
  EXPECT_EQ(ArrowsInFlight(testGame.field.lanes[2]), 1);
}

TEST_F(Lanes, JudgeAndRetireBounds) {
  struct Case { int32_t travel; int32_t hit; bool judged, missed, retired; };
  const Case cases[] = {
      {309, 0, false, false, false}, {310, 0, true, true, false},
      {294, 1, true, false, false},  {340, 0, true, true, false},
      {341, 0, true, true, true},
  };
  for (const Case& c : cases) {
    ResetLanes();
    testGame.flame.FlameMood.store(kMoodCooling);
    testGame.field.combo = 5;
    int32_t slot = PlaceArrow(1, c.travel);
    testGame.field.lanes[1].hit[slot] = c.hit;
    JudgeOldest(testGame.field, 1, testGame.flame.FlameMood);
    RetireOldest(testGame.field, 1);
    EXPECT_EQ(testGame.field.lanes[1].unjudgedCount, c.judged ? 0 : 1) << c.travel;
    EXPECT_EQ(testGame.field.lanes[1].judgeIndex, c.judged ? 1 : 0) << c.travel;
    EXPECT_EQ(testGame.field.combo, c.missed ? -1 : 5) << c.travel;
    EXPECT_EQ(testGame.flame.FlameMood.load(), c.missed ? kMoodSurge : kMoodCooling) << c.travel;
    EXPECT_EQ(testGame.field.lanes[1].retireIndex, c.retired ? 1 : 0) << c.travel;
    if (c.retired) {
      EXPECT_EQ(testGame.field.lanes[1].travel[slot] + testGame.field.lanes[1].hit[slot], 0);
    }
  }
}

TEST_F(Lanes, EmptyLaneAndOneJudgementPerCall) {
  JudgeOldest(testGame.field, 0, testGame.flame.FlameMood);
  RetireOldest(testGame.field, 0);
  EXPECT_EQ(ArrowsInFlight(testGame.field.lanes[0]), 0);
  EXPECT_EQ(testGame.field.combo, 0);
  // Two arrows past the miss bound are missed one call at a time.
  PlaceArrow(0, 320);
  PlaceArrow(0, 315);
  JudgeOldest(testGame.field, 0, testGame.flame.FlameMood);
  EXPECT_EQ(testGame.field.lanes[0].unjudgedCount, 1);
  JudgeOldest(testGame.field, 0, testGame.flame.FlameMood);
  EXPECT_EQ(testGame.field.lanes[0].unjudgedCount, 0);
  JudgeOldest(testGame.field, 0, testGame.flame.FlameMood);
  EXPECT_EQ(testGame.field.lanes[0].judgeIndex, 2) << "the judge stops at the write index";
}

TEST_F(Lanes, RiseIsOnePixelPerTenMillisecondsRounded) {
  const std::pair<int32_t, int32_t> cases[] = {
      {0, 0}, {4, 0}, {5, 1}, {20, 2}, {24, 2}, {25, 3}, {30, 3}, {-1, 0}, {-6, 429496729},
  };
  for (const auto& c : cases) EXPECT_EQ(RiseFor(c.first), c.second) << c.first;
}

TEST_F(Lanes, HitWindowAndCombo) {
  struct Case { int32_t travel; int32_t comboBefore; int hit; int32_t comboAfter; };
  const Case cases[] = {
      {280, 3, 0, 3}, {281, 3, 1, 4}, {305, 3, 1, 4}, {306, 3, 0, 3},
      {294, -1, 1, 0}, {294, 0, 1, 1}, {294, INT32_MAX, 1, INT32_MAX},
  };
  for (const Case& c : cases) {
    ResetLanes();
    testGame.field.combo = c.comboBefore;
    int32_t slot = PlaceArrow(3, c.travel);
    EXPECT_EQ(HitOldest(testGame.field, 3), c.hit) << c.travel;
    EXPECT_EQ(testGame.field.lanes[3].hit[slot], c.hit) << c.travel;
    EXPECT_EQ(testGame.field.combo, c.comboAfter) << c.travel;
  }
  ResetLanes();
  EXPECT_EQ(HitOldest(testGame.field, 3), 0) << "a lane with no unjudged arrow";
}

// A lane keeps at most 19 arrows in flight: the twentieth spawn is refused,
// and the oldest arrow, perhaps still in the hit window, stays unjudged.
TEST_F(Lanes, FullRingRefusesTheSpawn) {
  for (int i = 0; i < 19; ++i) PlaceArrow(0, 300 - 10 * i);
  testGame.field.combo = 5;
  EXPECT_FALSE(SpawnArrow(testGame.field, 0));
  EXPECT_EQ(TakeStepCharacter(testGame.field, '1'), 1) << "'1' names lanes 0 and 1: only lane 1 takes its arrow";
  EXPECT_EQ(ArrowsInFlight(testGame.field.lanes[0]), 19);
  EXPECT_EQ(ArrowsInFlight(testGame.field.lanes[1]), 1);
  EXPECT_EQ(testGame.field.lanes[0].unjudgedCount, 19);
  EXPECT_EQ(testGame.field.lanes[0].retireIndex, 0);
  EXPECT_EQ(testGame.field.lanes[0].travel[0], 300);
  EXPECT_EQ(HitOldest(testGame.field, 0), 1) << "the oldest arrow can still be hit";
  EXPECT_EQ(testGame.field.combo, 6);
  // Once the oldest retires the lane takes arrows again.
  testGame.field.lanes[0].travel[0] = kRetireBound + 1;
  JudgeOldest(testGame.field, 0, testGame.flame.FlameMood);
  RetireOldest(testGame.field, 0);
  EXPECT_TRUE(SpawnArrow(testGame.field, 0));
  EXPECT_EQ(ArrowsInFlight(testGame.field.lanes[0]), 19);
}

}  // namespace
