// flame_simulation.cpp -- the fire's palette, its tick, its mask and its heat walk.
#include "flame/flame_simulation.h"

#include <algorithm>
#include <cstring>

#include "flame/flame_shared.h"

namespace {

// The flame generator's step, and the same step taken twice and three
// times. The rise needs three consecutive values per pixel; computing each
// straight from the previous pixel's state leaves one multiply-add on the
// chain from pixel to pixel instead of three, with the same values.
constexpr uint32_t kGenMul = 1664525u;
constexpr uint32_t kGenAdd = 1013904223u;
constexpr uint32_t kGenMul2 = kGenMul * kGenMul;
constexpr uint32_t kGenAdd2 = kGenAdd * kGenMul + kGenAdd;
constexpr uint32_t kGenMul3 = kGenMul2 * kGenMul;
constexpr uint32_t kGenAdd3 = kGenAdd2 * kGenMul + kGenAdd;

// The random source: the classic 214013 / 2531011 LCG from seed 1, bits
// 16..30 of its state (the generator behind the Windows C runtime's rand()),
// kept here rather than in rand() so no other code can disturb its sequence.
constexpr uint32_t kRandomSeed = 1u;
constexpr uint32_t kRandomMul = 214013u;
constexpr uint32_t kRandomAdd = 2531011u;

constexpr int32_t kHeatHeadroom = 16;  // heat limit = heat + 16
constexpr int32_t kDecayKinds = 6;     // a rising pixel cools by 0..5
constexpr int kSparkWidth = 5;
constexpr int32_t kSparkOdds = 15;     // one tick in 15 lights a spark
constexpr int32_t kSparkStarts = kFlameWidth - kSparkWidth;  // 282: ends by cell 285
constexpr int32_t kFlickerSpan = 50;   // a seed cell moves by -4..+45
constexpr int32_t kFlickerDrop = 4;

// The heat walk's bounds: cooling stops at 100, warming rests in 220..235,
// a surge climbs until 240 (from 239 it lands on 244).
constexpr int32_t kHeatFloor = 100;
constexpr int32_t kWarmBandLow = 220;
constexpr int32_t kWarmBandHigh = 235;
constexpr int32_t kSurgeTop = 240;

uint8_t ToByte(int32_t v) { return uint8_t(std::clamp(v, 0, 255)); }

// Computes memory row `row` from the row below, visiting columns in the
// given direction. Each pixel cools by 0..5 and may drift one column left
// or right; writes land in scan order, so where two pixels drift onto one
// column the later one wins, and a column no pixel reaches keeps last
// tick's value.
void RiseRow(const uint8_t* below, uint8_t* row, bool descending, uint32_t& generator) {
  uint32_t state = generator;
  const int first = descending ? kFlameWidth - 1 : 0;
  const int step = descending ? -1 : 1;
  for (int i = 0, x = first; i < kFlameWidth; ++i, x += step) {
    const uint32_t g1 = kGenMul * state + kGenAdd;
    const uint32_t g2 = kGenMul2 * state + kGenAdd2;
    const uint32_t g3 = kGenMul3 * state + kGenAdd3;
    state = g3;
    const int32_t decay = int32_t((g2 >> 5) % kDecayKinds);
    const int shift = int((g1 >> 5) & 1u);
    const int t = (g3 & 0x20u) != 0 ? x + shift : x - shift;
    // Column -1 is the previous row's padding byte and column 287 this
    // row's: neither is ever shown or read back, so such a write is
    // skipped rather than let into the padding.
    if (t < 0 || t >= kFlameWidth) continue;
    const int32_t v = below[x] - decay;
    row[t] = uint8_t(v > kFlameCold ? v : kFlameCold);
  }
  generator = state;
}

void LightSpark(FlameState& flame, uint8_t* seed) {
  if (DrawFlameRandom(flame) % kSparkOdds != 0) return;
  const int32_t start = DrawFlameRandom(flame) % kSparkStarts;
  std::memset(seed + start, kFlameSpark, kSparkWidth);
}

// Holds seed cells 0..285 at or under the heat limit and lets the cells
// below it flicker. The heat reaches 244, which puts the limit at 260, above
// what a byte holds: a cell (at most 255) is then always below the limit
// and draws, and what it stores is capped at 255 rather than wrapping.
void HoldUnderLimit(FlameState& flame, uint8_t* seed, int32_t limit) {
  for (int x = 0; x < kFlameWidth - 1; ++x) {
    int32_t cell = seed[x];
    if (cell >= limit) {
      seed[x] = ToByte(limit);
      continue;
    }
    int32_t v = cell + DrawFlameRandom(flame) % kFlickerSpan - kFlickerDrop;
    if (v > limit) v = limit;
    else if (v < kFlameCold) v = kFlameCold;
    seed[x] = ToByte(v);
  }
}

// Smooths seed cells 1..284 in place, left to right: each cell averages its
// right neighbour with the already smoothed one on its left.
void SmoothSeed(uint8_t* seed) {
  for (int x = 1; x < kFlameWidth - 2; ++x) {
    seed[x] = uint8_t((seed[x - 1] + seed[x] + seed[x + 1]) / 3);
  }
}

}  // namespace

void FillFlamePalette(uint8_t* palette) {
  // Red, green and blue climb the same slope one after the other, 64
  // entries apart, so the fire runs black - red - yellow - white.
  for (int i = kFlamePaletteFirst; i <= kFlamePaletteLast; ++i) {
    uint8_t* entry = palette + 4 * i;
    entry[0] = ToByte(4 * i - 701);
    entry[1] = ToByte(4 * i - 445);
    entry[2] = ToByte(4 * i - 189);
    entry[3] = 0;
  }
}

void ResetFlameRandom(FlameState& flame) { flame.random = kRandomSeed; }

int32_t DrawFlameRandom(FlameState& flame) {
  flame.random = flame.random * kRandomMul + kRandomAdd;
  return int32_t((flame.random >> 16) & 0x7FFFu);
}

void ClearFlame(uint8_t* image, uint8_t* seed) {
  for (int r = 0; r < kFlameHeight; ++r) {
    std::memset(image + r * kFlameRowBytes, kFlameCold, kFlameWidth);
  }
  std::memset(seed, kFlameCold, kFlameWidth);
}

void StepFlame(FlameState& flame, uint8_t* image, uint8_t* seed) {
  const int32_t limit = flame.heat + kHeatHeadroom;

  // The edge cells are fed cold so the fire never burns against the frame.
  seed[0] = kFlameCold;
  seed[kFlameWidth - 2] = kFlameCold;
  seed[kFlameWidth - 1] = kFlameCold;
  std::memcpy(image, seed, kFlameWidth);

  // Top down, so each row rises from last tick's row below it (row 1 from
  // the seed just fed).
  for (int r = kFlameRiseRows; r >= 1; --r) {
    const bool descending = (DrawFlameRandom(flame) & 1) != 0;
    RiseRow(image + (r - 1) * kFlameRowBytes, image + r * kFlameRowBytes, descending,
            flame.generator);
  }

  LightSpark(flame, seed);
  HoldUnderLimit(flame, seed, limit);
  SmoothSeed(seed);
}

void MaskFlame(const uint8_t* image, uint8_t* mask) {
  // A row at a time through local copies: the compiler then knows the two
  // images do not overlap and vectorises the compare even at -O2, which
  // takes the pass from about 40 us to about 11 us here.
  for (int r = 0; r < kFlameHeight; ++r) {
    uint8_t heat[kFlameRowBytes];
    uint8_t cover[kFlameRowBytes];
    std::memcpy(heat, image + r * kFlameRowBytes, kFlameRowBytes);
    for (int x = 0; x < kFlameRowBytes; ++x) {
      cover[x] = heat[x] > kMaskThreshold ? kMaskFlame : kMaskBackground;
    }
    std::memcpy(mask + r * kFlameRowBytes, cover, kFlameRowBytes);
  }
}

int32_t NextFlameHeat(int32_t heat, int32_t mood) {
  switch (mood) {
    case kMoodCooling:
      return heat > kHeatFloor ? heat - 5 : heat;
    case kMoodWarming:
      if (heat < kWarmBandLow) return heat + 1;
      return heat > kWarmBandHigh ? heat - 5 : heat;
    case kMoodSurge:
      return heat < kSurgeTop ? heat + 5 : heat;
    case kMoodChartEnded:
      return heat > kHeatFloor ? heat - 1 : heat;
    default:
      return heat;
  }
}
