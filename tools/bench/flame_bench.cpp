// flame_bench.cpp -- times one flame tick (StepFlame then MaskFlame) on this machine.
//
// Usage: stompara_flame_bench [ticks]   (20000 when not given)
// Prints the mean time per tick in microseconds. The flame thread runs a
// tick every 20 ms, so this is the share of its time the fire takes.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "flame/flame_simulation.h"

namespace {

constexpr long kDefaultTicks = 20000;
constexpr long kWarmUpTicks = 500;  // lets the fire rise before timing

}  // namespace

int main(int argc, char** argv) {
  const long ticks = argc > 1 ? std::strtol(argv[1], nullptr, 10) : kDefaultTicks;
  if (ticks <= 0) {
    std::fprintf(stderr, "usage: %s [ticks > 0]\n", argv[0]);
    return 2;
  }
  std::vector<uint8_t> image(kFlameBytes), mask(kFlameBytes), seed(kFlameWidth);
  ClearFlame(image.data(), seed.data());
  FlameState fire;
  ResetFlameRandom(fire);
  for (long i = 0; i < kWarmUpTicks; ++i) StepFlame(fire, image.data(), seed.data());

  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < ticks; ++i) {
    StepFlame(fire, image.data(), seed.data());
    MaskFlame(image.data(), mask.data());
  }
  const auto stop = std::chrono::steady_clock::now();

  // A checksum of the last mask keeps the work from being optimised away.
  uint32_t sum = 0;
  for (uint8_t b : mask) sum = sum * 31u + b;
  const double us = std::chrono::duration<double, std::micro>(stop - start).count();
  std::printf("flame tick (step + mask): %.2f us mean over %ld ticks (checksum %08x)\n",
              us / double(ticks), ticks, unsigned(sum));
  return 0;
}
