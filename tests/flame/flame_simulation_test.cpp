// flame_simulation_test.cpp -- the fire's palette, tick, mask and heat walk against their rules.
#include "flame/flame_simulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "flame/flame_shared.h"

namespace {

// The fire the tests step, kept from test to test as the plug-in keeps its own.
FlameState fire;


struct Flame {
  std::vector<uint8_t> image = std::vector<uint8_t>(kFlameBytes);
  std::vector<uint8_t> seed = std::vector<uint8_t>(kFlameWidth);
  uint8_t& at(int row, int x) { return image[row * kFlameRowBytes + x]; }
  void Clear() { ClearFlame(image.data(), seed.data()); }
  void Step() { StepFlame(fire, image.data(), seed.data()); }
};

TEST(FlamePalette, TellingEntriesAndUntouchedEnds) {
  struct Entry { int i; int red, green, blue; };
  const Entry entries[] = {
      {16, 0, 0, 0},       {47, 0, 0, 0},         {48, 3, 0, 0},
      {100, 211, 0, 0},    {111, 255, 0, 0},      {112, 255, 3, 0},
      {150, 255, 155, 0},  {175, 255, 255, 0},    {176, 255, 255, 3},
      {200, 255, 255, 99}, {239, 255, 255, 255},
  };
  std::vector<uint8_t> palette(kFlamePaletteEntries * 4, 0xCD);
  FillFlamePalette(palette.data());
  for (const Entry& e : entries) {
    const uint8_t* bgrx = &palette[4 * e.i];
    EXPECT_EQ(bgrx[2], e.red) << e.i;
    EXPECT_EQ(bgrx[1], e.green) << e.i;
    EXPECT_EQ(bgrx[0], e.blue) << e.i;
  }
  for (int i = 0; i < kFlamePaletteEntries; ++i) {
    bool fire = i >= kFlamePaletteFirst && i <= kFlamePaletteLast;
    EXPECT_EQ(palette[4 * i + 3], fire ? 0 : 0xCD) << i;
    if (!fire) {
      EXPECT_EQ(palette[4 * i], 0xCD) << i;
    }
  }
}

TEST(FlameMask, ThresholdOverEveryByte) {
  struct Case { uint8_t heat, mask; };
  const Case cases[] = {{0, 239}, {16, 239}, {50, 239}, {51, 16}, {239, 16}, {255, 16}};
  std::vector<uint8_t> image(kFlameBytes), mask(kFlameBytes);
  for (const Case& c : cases) {
    std::fill(image.begin(), image.end(), c.heat);
    std::fill(mask.begin(), mask.end(), 0);
    MaskFlame(image.data(), mask.data());
    EXPECT_EQ(std::count(mask.begin(), mask.end(), c.mask), kFlameBytes) << int(c.heat);
  }
}

TEST(FlameHeat, WalksToItsRestingPoint) {
  struct Walk { int32_t mood, from, ticks, to; };
  const Walk walks[] = {
      {kMoodCooling, 223, 25, 98},  {kMoodCooling, 100, 0, 100},
      {kMoodWarming, 200, 20, 220}, {kMoodWarming, 250, 3, 235},
      {kMoodWarming, 236, 1, 231},  {kMoodWarming, 228, 0, 228},
      {kMoodSurge, 100, 28, 240},   {kMoodSurge, 239, 1, 244},
      {kMoodChartEnded, 150, 50, 100}, {kMoodChartEnded, 98, 0, 98},
      {4, 150, 0, 150},             {-1, 150, 0, 150},
  };
  for (const Walk& w : walks) {
    int32_t heat = w.from;
    for (int32_t t = 0; t < w.ticks; ++t) {
      EXPECT_NE(heat, w.to) << "mood " << w.mood << " from " << w.from << ": early at tick " << t;
      heat = NextFlameHeat(heat, w.mood);
    }
    EXPECT_EQ(heat, w.to) << "mood " << w.mood << " from " << w.from;
    EXPECT_EQ(NextFlameHeat(heat, w.mood), w.to) << "mood " << w.mood << " rests";
  }
}

TEST(FlameRandom, ResetRepeatsTheSequence) {
  ResetFlameRandom(fire);
  std::vector<int32_t> first(400);
  for (int32_t& v : first) v = DrawFlameRandom(fire);
  ResetFlameRandom(fire);
  for (size_t i = 0; i < first.size(); ++i) ASSERT_EQ(DrawFlameRandom(fire), first[i]) << i;
  auto [lowest, highest] = std::minmax_element(first.begin(), first.end());
  EXPECT_GE(*lowest, 0);
  EXPECT_LE(*highest, 32767);
  EXPECT_GT(*highest, 16383) << "all 15 bits in use";
}

// The tick from the rules, sharing no code with the module: the generator's
// values come from a one-step-at-a-time loop, the random draws from a list
// recorded before the tick, and the image is held as ints.
struct ReferenceFlame {
  std::vector<int> image, seed;
  uint32_t generator = 0;
  std::vector<int32_t> draws;
  size_t used = 0;
  int sparks = 0;

  int32_t Draw() { return draws.at(used++); }

  void Tick(int32_t heat) {
    seed[0] = seed[285] = seed[286] = 16;
    std::copy(seed.begin(), seed.end(), image.begin());
    std::vector<uint32_t> g(3 * 287 * 100);
    for (uint32_t& value : g) value = generator = generator * 1664525u + 1013904223u;
    size_t k = 0;
    for (int r = 100; r >= 1; --r) {
      bool ascending = Draw() % 2 == 0;
      for (int i = 0; i < 287; ++i, k += 3) {
        int x = ascending ? i : 286 - i;
        int shift = (g[k] >> 5) & 1;
        int t = (g[k + 2] & 0x20) != 0 ? x + shift : x - shift;
        int v = std::max(16, image[(r - 1) * 288 + x] - int((g[k + 1] >> 5) % 6));
        if (t >= 0 && t <= 286) image[r * 288 + t] = v;
      }
    }
    if (Draw() % 15 == 0) {
      int start = Draw() % 282;
      std::fill(seed.begin() + start, seed.begin() + start + 5, 239);
      ++sparks;
    }
    int limit = heat + 16;
    for (int x = 0; x <= 285; ++x) {
      seed[x] = seed[x] >= limit ? limit
                                 : std::clamp(seed[x] + Draw() % 50 - 4, 16, std::min(limit, 255));
    }
    for (int x = 1; x <= 284; ++x) seed[x] = (seed[x - 1] + seed[x] + seed[x + 1]) / 3;
  }
};

// Puts the flame state the tests change back as it was.
class FlameStep : public testing::Test {
 protected:
  void SetUp() override { ResetFlameRandom(fire); }
  void TearDown() override {
    fire.generator = savedGenerator;
    fire.heat = savedHeat;
    ResetFlameRandom(fire);
  }
  const uint32_t savedGenerator = fire.generator;
  const int32_t savedHeat = fire.heat;
};

TEST_F(FlameStep, TicksMatchTheReferenceCellByCell) {
  std::mt19937 noise(7);
  std::uniform_int_distribution<int> heatByte(0, 255);
  Flame flame;
  for (uint8_t& b : flame.image) b = uint8_t(16 + heatByte(noise) % 240);
  // Many cells at 255 so the first ticks, at heat 244, meet full cells.
  for (uint8_t& b : flame.seed) b = uint8_t(std::min(255, 16 + heatByte(noise)));
  fire.generator = 0x9E3779B9u;

  ReferenceFlame ref;
  ref.image.assign(flame.image.begin(), flame.image.end());
  ref.seed.assign(flame.seed.begin(), flame.seed.end());
  ref.generator = fire.generator;
  for (int32_t heat : {244, 223, 100}) {
    for (int tick = 0; tick < 40; ++tick) {
      const uint32_t randomBefore = fire.random;
      ref.draws.resize(400);
      for (int32_t& d : ref.draws) d = DrawFlameRandom(fire);
      ref.used = 0;
      fire.random = randomBefore;

      fire.heat = heat;
      flame.Step();
      ref.Tick(heat);

      ASSERT_TRUE(std::equal(ref.image.begin(), ref.image.end(), flame.image.begin()))
          << "heat " << heat << " tick " << tick;
      ASSERT_TRUE(std::equal(ref.seed.begin(), ref.seed.end(), flame.seed.begin()))
          << "heat " << heat << " tick " << tick;
      ASSERT_EQ(fire.generator, ref.generator) << "heat " << heat << " tick " << tick;
      const uint32_t randomAfter = fire.random;
      ASSERT_EQ(DrawFlameRandom(fire), ref.draws[ref.used]) << "draws taken, tick " << tick;
      fire.random = randomAfter;
    }
  }
  EXPECT_GT(ref.sparks, 0) << "the ticks should include a spark";
}

// A random source state from which a tick lights a spark at `start`: the
// draw after the 100 scan directions fires and the next one picks `start`.
bool FindSparkState(int start, uint32_t& state) {
  for (uint32_t s = 0; s < (1u << 22); ++s) {
    fire.random = s;
    for (int i = 0; i < kFlameRiseRows; ++i) DrawFlameRandom(fire);
    if (DrawFlameRandom(fire) % 15 == 0 && DrawFlameRandom(fire) % 282 == start) {
      state = s;
      return true;
    }
  }
  return false;
}

TEST_F(FlameStep, FeedColdsTheEdgesAfterASparkAtTheRightEnd) {
  uint32_t state = 0;
  ASSERT_TRUE(FindSparkState(281, state));
  Flame flame;
  flame.Clear();
  fire.heat = 223;
  fire.random = state;
  flame.Step();
  EXPECT_EQ(flame.seed[285], kFlameSpark) << "the spark lit up to cell 285";
  EXPECT_GT(flame.seed[284], 200);
  EXPECT_LT(flame.seed[280], 200) << "the spark started at 281";

  const std::vector<uint8_t> seedBefore = flame.seed;
  flame.Step();
  for (int x : {0, 285, 286}) EXPECT_EQ(flame.at(0, x), kFlameCold) << x;
  for (int x = 1; x <= 284; ++x) EXPECT_EQ(flame.at(0, x), seedBefore[x]) << x;
  EXPECT_EQ(flame.seed[286], kFlameCold);
}

TEST_F(FlameStep, SeedHeldUnderTheHeatLimitWithoutWrapping) {
  // The ceiling cuts a cell to the limit, or to 255 where the limit (heat
  // 244: 260) is more than a byte holds. Smoothing, each left neighbour
  // already smoothed and the sum rounded down, then leaves the hottest
  // cells one below that. A cell wrapped past 255 would read 0..44 and drag
  // the middle of the row far down.
  struct Case { int32_t heat; int hottest; };
  for (const Case& c : {Case{223, 238}, Case{100, 115}, Case{244, 254}}) {
    Flame flame;
    flame.Clear();
    std::fill(flame.seed.begin(), flame.seed.end(), 255);
    fire.heat = c.heat;
    int hottestSeen = 0;
    for (int tick = 0; tick < 60; ++tick) {
      flame.Step();
      auto [coolest, hottest] = std::minmax_element(flame.seed.begin(), flame.seed.end());
      ASSERT_GE(*coolest, kFlameCold) << c.heat << " tick " << tick;
      ASSERT_LE(*hottest, c.hottest) << c.heat << " tick " << tick;
      auto middle = std::min_element(flame.seed.begin() + 10, flame.seed.begin() + 281);
      ASSERT_GE(*middle, c.hottest - 24) << c.heat << " tick " << tick;
      hottestSeen = std::max(hottestSeen, int(*hottest));
    }
    EXPECT_EQ(hottestSeen, c.hottest) << c.heat;
  }
}

TEST_F(FlameStep, WritesOnlyTheShownColumnsOfRisingRows) {
  constexpr uint8_t kMarker = 3;  // below cold: the tick never writes it
  Flame flame;
  std::fill(flame.image.begin(), flame.image.end(), kMarker);
  flame.Clear();
  const auto aboveRising = flame.image.begin() + (kFlameRiseRows + 1) * kFlameRowBytes;
  std::fill(aboveRising, flame.image.end(), kMarker);

  int hottestMidRow = 0;
  for (int tick = 0; tick < 400; ++tick) {
    fire.heat = tick < 200 ? 239 : 110;
    flame.Step();
    for (int r = 0; r <= kFlameRiseRows; ++r) {
      uint8_t* row = &flame.at(r, 0);
      ASSERT_GE(*std::min_element(row, row + kFlameWidth), kFlameCold) << r << " tick " << tick;
    }
    const uint8_t* midRow = &flame.at(50, 0);
    hottestMidRow = std::max(hottestMidRow, int(*std::max_element(midRow, midRow + kFlameWidth)));
  }
  EXPECT_GT(hottestMidRow, 100) << "the fire should rise past row 50";
  for (int r = 0; r < kFlameHeight; ++r) {
    ASSERT_EQ(flame.at(r, kFlameWidth), kMarker) << "padding of row " << r;
    if (r <= kFlameRiseRows) continue;
    uint8_t* row = &flame.at(r, 0);
    ASSERT_EQ(std::count(row, row + kFlameWidth, kMarker), kFlameWidth) << "row " << r;
  }
}

}  // namespace
