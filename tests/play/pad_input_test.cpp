// pad_input_test.cpp -- PAD_BUTTONS, a pad's buttons and hat as lanes, fresh presses and an absent pad.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "play/pad_input.h"
#include "play/play_test_support.h"

namespace {

constexpr uint32_t kLeft = 1, kDown = 2, kUp = 4, kRight = 8;

std::vector<int32_t> Buttons(const PadState& pad) { return {pad.buttons, pad.buttons + kLaneCount}; }

TEST(PadButtons, FourDifferentButtonsFromOneToThirtyTwoOrNothing) {
  struct Case { const char* text; std::vector<int32_t> buttons; };  // empty: refused
  const Case cases[] = {
      {"1,2,3,4", {1, 2, 3, 4}},       {" 5 , 6,\t7 ,8 ", {5, 6, 7, 8}}, {"32,1,16,9", {32, 1, 16, 9}},
      {"04,3,2,1", {4, 3, 2, 1}},      {"", {}},                         {"1,2,3", {}},
      {"1,2,3,4,5", {}},               {"1,2,3,4,", {}},                 {"0,1,2,3", {}},
      {"1,2,3,33", {}},                {"1,2,1,3", {}},                  {"1,,2,3", {}},
      {"1;2;3;4", {}},                 {"a,b,c,d", {}},                  {"1,2,3,4x", {}},
      {"-1,2,3,4", {}},                {"4294967297,2,3,4", {}},         {"1 2,3,4,5", {}},
  };
  for (const Case& c : cases) {
    int32_t buttons[kLaneCount] = {9, 9, 9, 9};
    bool read = ParsePadButtons(c.text, buttons);
    EXPECT_EQ(read, !c.buttons.empty()) << c.text;
    const std::vector<int32_t> expected = read ? c.buttons : std::vector<int32_t>(kLaneCount, 9);
    EXPECT_EQ(std::vector<int32_t>(buttons, buttons + kLaneCount), expected) << c.text;
  }
}

TEST(PadButtons, ARefusedValuePlaysWithTheDefaultAndSaysSoOnce) {
  FakePlatform_Reset();
  SetLogLinesOn(true);
  PadState pad;
  SetPadButtons(pad, "5,6,7,8");
  EXPECT_EQ(Buttons(pad), (std::vector<int32_t>{5, 6, 7, 8}));
  EXPECT_TRUE(fake.logWrites.empty());
  SetPadButtons(pad, "1,1,2,3");
  EXPECT_EQ(Buttons(pad), (std::vector<int32_t>{1, 2, 3, 4}));
  const std::vector<std::string> expected = {
      "PAD_BUTTONS \"1,1,2,3\" does not name four different buttons from 1 to 32: the pad plays with 1,2,3,4.\r\n"};
  EXPECT_EQ(fake.logWrites, expected);
  SetLogLinesOn(false);
}

TEST(PadReading, ButtonsAndTheHatsDirectionsAreLanes) {
  PadState pad;
  SetPadButtons(pad, "5,6,7,32");
  struct Case { uint32_t buttons, hat, lanes; };
  const Case cases[] = {
      {0, kPadHatCentred, 0},          {1u << 4, kPadHatCentred, kLeft},   {1u << 5, kPadHatCentred, kDown},
      {1u << 6, kPadHatCentred, kUp},  {1u << 31, kPadHatCentred, kRight}, {0b1111, kPadHatCentred, 0},
      {0, 0, kUp},                     {0, 4500, kUp | kRight},            {0, 9000, kRight},
      {0, 13500, kDown | kRight},      {0, 18000, kDown},                  {0, 22500, kDown | kLeft},
      {0, 27000, kLeft},               {0, 31500, kUp | kLeft},            {0, 35999, kUp},
      {0, 2249, kUp},                  {0, 2250, kUp | kRight},            {0, 36000, 0},
      {1u << 4 | 1u << 31, 18000, kLeft | kDown | kRight},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PadLanesHeld(pad, c.buttons, c.hat), c.lanes) << c.buttons << " " << c.hat;
}

TEST(PadReading, OnlyALaneGoingDownIsAPressAndAnAbsentPadForgetsWhatItHeld) {
  PadState pad;
  struct Step { uint32_t buttons, hat; bool absent; uint32_t fresh; };
  const Step steps[] = {
      {1, kPadHatCentred, false, kLeft},   // button 1 goes down
      {1, kPadHatCentred, false, 0},       // held: nothing more
      {1, 27000, false, 0},                // the hat's left on a lane already held
      {0, 27000, false, 0},                // button let go, the hat still holds the lane
      {0, kPadHatCentred, false, 0},
      {1, 0, false, kLeft | kUp},          // two lanes at once
      {1, 0, true, 0},                     // unplugged while held
      {1, 0, false, kLeft | kUp},          // back with both held: fresh presses
      {0b11, 4500, false, kDown | kRight},
  };
  for (const Step& step : steps) {
    if (step.absent) {
      TakePadAbsence(pad, 0);
      EXPECT_EQ(pad.lanesHeld, 0u);
      continue;
    }
    EXPECT_EQ(TakePadReading(pad, step.buttons, step.hat), step.fresh) << step.buttons << " " << step.hat;
  }
}

TEST(PadReading, AnAbsentPadIsAskedAgainOnlyAfterASecond) {
  PadState pad;
  EXPECT_TRUE(PadAskDue(pad, 5)) << "the first ask";
  struct Case { uint32_t missedAt, now; bool due; };
  const Case cases[] = {
      {1000, 1000, false}, {1000, 1999, false}, {1000, 2000, true},
      {0xFFFFFF00u, 0xFFFFFFFFu, false}, {0xFFFFFF00u, 100, false}, {0xFFFFFF00u, 744, true},  // across the wrap
  };
  for (const Case& c : cases) {
    TakePadAbsence(pad, c.missedAt);
    EXPECT_EQ(PadAskDue(pad, c.now), c.due) << c.missedAt << " " << c.now;
  }
  TakePadReading(pad, 0, kPadHatCentred);
  EXPECT_TRUE(PadAskDue(pad, 0)) << "a pad that is there is read every frame";
}

class PadPresses : public testing::Test {
 protected:
  void SetUp() override { ResetPlayField(); }
};

TEST_F(PadPresses, FreshLanesHitOnlyWhileTheHostPlays) {
  for (int32_t playing : {1, 0, 3}) {
    ResetLanes();
    fake.isPlaying = playing;
    int32_t left = PlaceArrow(0, 290), right = PlaceArrow(3, 300);
    PlaceArrow(1, 290);
    PressPadLanes(testGame, kLeft | kRight);
    bool hits = playing == 1;
    EXPECT_EQ(testGame.field.lanes[0].hit[left], hits ? 1 : 0) << playing;
    EXPECT_EQ(testGame.field.lanes[3].hit[right], hits ? 1 : 0) << playing;
    EXPECT_EQ(testGame.field.lanes[1].unjudgedCount, 1) << "a lane not pressed";
    EXPECT_EQ(testGame.field.combo, hits ? 2 : 0) << playing;
  }
}

}  // namespace
