// key_banner_test.cpp -- cursor keys against the host's state, and the banner's text and flame.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "play/banner.h"
#include "play/key_input.h"
#include "play/play_test_support.h"

namespace {

class Keys : public testing::Test {
 protected:
  void SetUp() override { ResetPlayField(); }
};

constexpr uintptr_t kLeft = 0x25, kDown = 0x28, kUp = 0x26, kSpace = 0x20;
constexpr intptr_t kFresh = 0x014B0001, kHeld = kFresh | (intptr_t(1) << 30);
constexpr intptr_t kRelease = kHeld | (intptr_t(1) << 31);

TEST_F(Keys, GameKeysAreNeverPassedOnOtherKeysAlways) {
  for (int32_t playing : {1, 0, 3}) {
    fake.isPlaying = playing;
    fake.passedKeys.clear();
    for (uintptr_t key : {kLeft, kDown, kUp, uintptr_t(0x27), kSpace, uintptr_t('A')}) {
      OnGameKey(testGame, kKeyDownMessage, key, kFresh);
      OnGameKey(testGame, kKeyUpMessage, key, kRelease);
    }
    const std::vector<PassedKey> expected = {{kKeyDownMessage, kSpace, kFresh}, {kKeyUpMessage, kSpace, kRelease},
                                             {kKeyDownMessage, 'A', kFresh}, {kKeyUpMessage, 'A', kRelease}};
    EXPECT_EQ(fake.passedKeys, expected) << playing;
    ResetLanes();
  }
}

TEST_F(Keys, OnlyAFreshPressWhilePlayingHitsAndAnimates) {
  struct Case { int32_t playing; uint32_t message; intptr_t data; bool pressedBefore; bool hits; };
  const Case cases[] = {
      {1, kKeyDownMessage, kFresh, false, true},  {0, kKeyDownMessage, kFresh, false, false},
      {3, kKeyDownMessage, kFresh, false, false}, {1, kKeyDownMessage, kHeld, false, false},
      {1, kKeyUpMessage, kRelease, false, false}, {1, kKeyDownMessage, kFresh, true, false},
  };
  for (const Case& c : cases) {
    ResetLanes();
    fake.isPlaying = c.playing;
    int32_t slot = PlaceArrow(0, 290);
    testGame.field.pressed[0] = c.pressedBefore;
    testGame.field.pressFrame[0] = c.pressedBefore ? 2 : 0;
    OnGameKey(testGame, c.message, kLeft, c.data);
    EXPECT_EQ(testGame.field.combo, c.hits ? 1 : 0) << c.playing << " " << c.data;
    EXPECT_EQ(testGame.field.lanes[0].hit[slot], c.hits ? 1 : 0);
    EXPECT_EQ(testGame.field.lanes[0].unjudgedCount, c.hits ? 0 : 1) << "judged at once";
    EXPECT_EQ(testGame.field.pressFrame[0], c.hits ? 1 : c.pressedBefore ? 2 : 0);
    EXPECT_EQ(testGame.field.lanes[0].travel[slot], 290) << "a key press moves nothing";
  }
}

TEST_F(Keys, TwoHitsInOneFrameAndAPressAdvancesOtherAnimations) {
  PlaceArrow(0, 290);
  PlaceArrow(1, 300);
  testGame.field.pressed[2] = 1;
  testGame.field.pressFrame[2] = 2;
  OnGameKey(testGame, kKeyDownMessage, kLeft, kFresh);
  OnGameKey(testGame, kKeyDownMessage, kDown, kFresh);
  EXPECT_EQ(testGame.field.combo, 2);
  EXPECT_EQ(testGame.field.pressFrame[2], 4) << "each key's field pass advances every press animation";
  // An empty lane: the animation starts, nothing else changes.
  OnGameKey(testGame, kKeyDownMessage, 0x27, kFresh);
  EXPECT_EQ(testGame.field.pressed[3], 1);
  EXPECT_EQ(testGame.field.combo, 2);
}

TEST_F(Keys, BannerTextAndFlameMood) {
  struct Case { int32_t combo; int32_t moodBefore; std::vector<DrawCall> draws; int32_t moodAfter; };
  auto text = [](int32_t y, const char* line) { return DrawCall{'T', 0, 0, 0, 144, y, 0, line}; };
  const Case cases[] = {
      {0, kMoodSurge, {}, kMoodSurge},
      {0, kMoodChartEnded, {}, kMoodChartEnded},
      {-1, kMoodChartEnded, {text(120, "MISS!")}, kMoodCooling},
      {-1, kMoodSurge, {text(120, "MISS!")}, kMoodCooling},
      {1, kMoodChartEnded, {text(120, "GOOD!")}, kMoodChartEnded},
      {1, kMoodCooling, {text(120, "GOOD!")}, kMoodWarming},
      {2, kMoodSurge, {text(110, "GREAT!!"), text(130, "2 COMBO")}, kMoodWarming},
      {INT32_MAX, kMoodCooling, {text(110, "GREAT!!"), text(130, "2147483647 COMBO")}, kMoodWarming},
  };
  for (const Case& c : cases) {
    fake.draws.clear();
    testGame.field.combo = c.combo;
    testGame.flame.FlameMood.store(c.moodBefore);
    DrawBanner(testGame);
    EXPECT_EQ(fake.draws, c.draws) << c.combo;
    EXPECT_EQ(testGame.flame.FlameMood.load(), c.moodAfter) << c.combo;
  }
}

}  // namespace
