// flame_tick.cpp -- the flame thread's work per tick.
#include "flame/flame_tick.h"

#include "host/host_requests.h"

void FlameTick(const FlameWork& work, int32_t& tickCounter, FlameHostRequest ask, void* host) {
  const FlameBuffers& buffers = *work.buffers;
  if (work.showFlame->load(std::memory_order_relaxed) != 0 && buffers.image != nullptr) {
    FlameState& fire = *work.fire;
    StepFlame(fire, buffers.image, buffers.seed);
    MaskFlame(buffers.image, buffers.mask);
    fire.heat = NextFlameHeat(fire.heat, work.shared->FlameMood.load(std::memory_order_relaxed));
  }
  if (tickCounter < kTicksBetweenSamples) {
    ++tickCounter;
    return;
  }
  // The step clock corrects its drift from the position last seen paused
  // or stopped.
  if (ask(host, kHostIsPlaying) != 1)
    work.sampledPosition->store(ask(host, kHostPosition), std::memory_order_relaxed);
  tickCounter = 0;
}
