// flame_tick_test.cpp -- what one flame-thread tick does with the flag, the buffers and the host.
#include "flame/flame_tick.h"

#include <gtest/gtest.h>

#include <vector>

#include "chart/step_clock.h"
#include "fakes/platform_fake.h"
#include "flame/flame_shared.h"
#include "flame/flame_simulation.h"
#include "settings/settings.h"

namespace {

struct FakeHost {
  int32_t isPlaying = 0;
  int32_t position = 4321;
  std::vector<std::pair<int, int32_t>> requests;  // (tick, request)
  int tick = 0;
};

int32_t Ask(void* host, int32_t request) {
  FakeHost& fake = *static_cast<FakeHost*>(host);
  fake.requests.push_back({fake.tick, request});
  return request == 104 ? fake.isPlaying : fake.position;
}

class FlameTickTest : public testing::Test {
 protected:
  void SetUp() override {
    image.assign(kFlameBytes, kFlameCold);
    mask.assign(kFlameBytes, kMaskBackground);
    seed.assign(kFlameWidth, kFlameCold);
    testGame.flameBuffers = {image.data(), mask.data(), seed.data()};
    testGame.fire.heat = 100;
    testGame.flame.FlameMood.store(kMoodSurge);
    testGame.clock.sampledPosition.store(0);
    ResetFlameRandom(testGame.fire);
  }
  void TearDown() override {
    testGame.flameBuffers = {};
    testSettings.showFlame.store(0);
  }
  // Runs `ticks` ticks from a fresh thread's counter.
  void Run(FakeHost& host, int ticks) {
    int32_t counter = 0;
    for (host.tick = 1; host.tick <= ticks; ++host.tick) FlameTick(TestFlameWork(), counter, Ask, &host);
  }
  std::vector<uint8_t> image, mask, seed;
};

TEST_F(FlameTickTest, SamplesThePositionEveryThirtySecondTickOnlyWhileNotPlaying) {
  struct Case { int32_t isPlaying; std::vector<std::pair<int, int32_t>> requests; int32_t sampled; };
  const Case cases[] = {
      {0, {{32, 104}, {32, 105}, {64, 104}, {64, 105}}, 4321},
      {3, {{32, 104}, {32, 105}, {64, 104}, {64, 105}}, 4321},
      {1, {{32, 104}, {64, 104}}, 0},
  };
  for (const Case& c : cases) {
    testGame.clock.sampledPosition.store(0);
    FakeHost host;
    host.isPlaying = c.isPlaying;
    Run(host, 95);
    EXPECT_EQ(host.requests, c.requests) << c.isPlaying;
    EXPECT_EQ(testGame.clock.sampledPosition.load(), c.sampled) << c.isPlaying;
  }
}

TEST_F(FlameTickTest, FlameBurnsAndHeatWalksOnlyWhileShown) {
  FakeHost host;
  Run(host, 10);
  EXPECT_EQ(testGame.fire.heat, 100) << "no flame shown: the heat stays";
  EXPECT_EQ(image, std::vector<uint8_t>(kFlameBytes, kFlameCold));
  testSettings.showFlame.store(1);
  Run(host, 10);
  EXPECT_EQ(testGame.fire.heat, 150) << "a surge: five up a tick";
  EXPECT_NE(image, std::vector<uint8_t>(kFlameBytes, kFlameCold));
  EXPECT_NE(mask, std::vector<uint8_t>(kFlameBytes, kMaskBackground));
  // Surfaces that could not be made: the flame stays off, nothing is written.
  testGame.flameBuffers = {};
  Run(host, 10);
  EXPECT_EQ(testGame.fire.heat, 150);
}

}  // namespace
