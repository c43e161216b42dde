// flame_tick.cpp -- the flame thread's work per tick.
#include "flame/flame_tick.h"

#include "base/host_requests.h"
#include "base/settings.h"
#include "chart/step_clock.h"
#include "flame/flame_shared.h"
#include "flame/flame_simulation.h"

FlameBuffers flameBuffers = {nullptr, nullptr, nullptr};

void FlameTick(int32_t& tickCounter, FlameHostRequest ask, void* host) {
  if (SHOW_FLAME.load(std::memory_order_relaxed) != 0 && flameBuffers.image != nullptr) {
    StepFlame(flameBuffers.image, flameBuffers.seed);
    MaskFlame(flameBuffers.image, flameBuffers.mask);
    flameHeat = NextFlameHeat(flameHeat, FlameMood.load(std::memory_order_relaxed));
  }
  if (tickCounter < kTicksBetweenSamples) {
    ++tickCounter;
    return;
  }
  // The step clock corrects its drift from the position last seen paused
  // or stopped.
  if (ask(host, kHostIsPlaying) != 1) sampledPosition.store(ask(host, kHostPosition), std::memory_order_relaxed);
  tickCounter = 0;
}
