// pad_input_test.cpp -- PAD_BUTTONS, a pad's buttons and hat as lanes, fresh presses and an absent pad.
#include <gtest/gtest.h>

#include <vector>

#include "play/pad_input.h"
#include "play/play_test_support.h"

namespace {

constexpr uint32_t kLeft = 1, kDown = 2, kUp = 4, kRight = 8, kCentred = kPadHatCentred;

TEST(PadButtons, FourDifferentButtonsFromOneToThirtyTwoOrNothing) {
  struct Case { const char* text; std::vector<int32_t> buttons; };  // empty: refused, left as it was
  const Case cases[] = {
      {"1,2,3,4", {1, 2, 3, 4}}, {" 5 , 6,\t7 ,8 ", {5, 6, 7, 8}}, {"32,1,16,09", {32, 1, 16, 9}},
      {"", {}},  {"1,2,3", {}},  {"1,2,3,4,", {}},  {"0,1,2,3", {}},  {"1,2,3,33", {}},  {"1,2,1,3", {}},
      {"1,,2,3", {}},  {"1 2,3,4,5", {}},  {"-1,2,3,4", {}},  {"4294967297,2,3,4", {}},
  };
  for (const Case& c : cases) {
    int32_t buttons[kLaneCount] = {7, 7, 7, 7};
    EXPECT_EQ(ParsePadButtons(c.text, buttons), !c.buttons.empty()) << c.text;
    const std::vector<int32_t> expected = c.buttons.empty() ? std::vector<int32_t>(kLaneCount, 7) : c.buttons;
    EXPECT_EQ(std::vector<int32_t>(buttons, buttons + kLaneCount), expected) << c.text;
  }
}

TEST(PadReading, ButtonsAndTheHatsDirectionsAreLanes) {
  PadState pad;
  const int32_t buttons[kLaneCount] = {5, 6, 7, 32};
  SetPadButtons(pad, buttons);
  struct Case { uint32_t buttons, hat, lanes; };
  const Case cases[] = {
      {1u << 4, kCentred, kLeft}, {1u << 31, kCentred, kRight}, {0b1111, kCentred, 0},
      {0, 0, kUp},   {0, 4500, kUp | kRight},   {0, 9000, kRight}, {0, 13500, kDown | kRight}, {0, 18000, kDown},
      {0, 22500, kDown | kLeft}, {0, 27000, kLeft}, {0, 31500, kUp | kLeft}, {0, 35999, kUp}, {0, 2250, kUp | kRight},
      {0, 36000, 0}, {1u << 5 | 1u << 6, 9000, kDown | kUp | kRight},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PadLanesHeld(pad, c.buttons, c.hat), c.lanes) << c.buttons << " " << c.hat;
}

TEST(PadReading, OnlyALaneGoingDownIsAPressAndAnAbsentPadForgetsWhatItHeld) {
  PadState pad;
  struct Step { uint32_t buttons, hat; bool absent; uint32_t fresh; };
  const Step steps[] = {
      {1, kCentred, false, kLeft}, {1, kCentred, false, 0},  // held: nothing more
      {0, 27000, false, 0},                                  // the hat takes over the held lane
      {0, kCentred, false, 0},     {1, 0, false, kLeft | kUp},
      {0, 0, true, 0},             {1, 0, false, kLeft | kUp},  // back, still held: fresh presses
  };
  for (const Step& step : steps) {
    if (step.absent) TakePadAbsence(pad, 0);
    else EXPECT_EQ(TakePadReading(pad, step.buttons, step.hat), step.fresh) << step.buttons << " " << step.hat;
  }
}

TEST(PadReading, AnAbsentPadIsAskedAgainOnlyAfterASecond) {
  PadState pad;
  EXPECT_TRUE(PadAskDue(pad, 5)) << "the first ask";
  struct Case { uint32_t missedAt, now; bool due; };
  const Case cases[] = {{1000, 1999, false}, {1000, 2000, true}, {0xFFFFFF00u, 100, false}, {0xFFFFFF00u, 744, true}};
  for (const Case& c : cases) {
    TakePadAbsence(pad, c.missedAt);
    EXPECT_EQ(PadAskDue(pad, c.now), c.due) << c.missedAt << " " << c.now;
  }
  TakePadReading(pad, 0, kCentred);
  EXPECT_TRUE(PadAskDue(pad, 0)) << "a pad that is there is read every frame";
}

TEST(PadPresses, FreshLanesHitOnlyWhileTheHostPlays) {
  for (int32_t playing : {1, 0, 3}) {
    ResetPlayField();
    fake.isPlaying = playing;
    int32_t left = PlaceArrow(0, 290), right = PlaceArrow(3, 300);
    PlaceArrow(1, 290);
    PressPadLanes(testGame, kLeft | kRight);
    EXPECT_EQ(testGame.field.lanes[0].hit[left] + testGame.field.lanes[3].hit[right], playing == 1 ? 2 : 0);
    EXPECT_EQ(testGame.field.lanes[1].unjudgedCount, 1) << "a lane not pressed";
  }
}

}  // namespace
