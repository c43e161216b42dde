// play_test_support.h -- a clean play field for the play tests.
#pragma once

#include "chart/chart_loader.h"
#include "chart/step_clock.h"
#include "fakes/platform_fake.h"
#include "flame/flame_shared.h"
#include "play/frame_pass.h"
#include "play/lanes.h"
#include "plugin/settings.h"

// Lanes, counters, chart and fake platform as at load time; log off.
inline void ResetPlayField() {
  ReleaseStepChart();
  FakePlatform_Reset();
  InitStepChart();
  ResetLanes();
  ResetFrameCounters();
  lastStep = -1;
  FlameMood.store(kMoodCooling);
  sampledPosition.store(0);
  WRITE_LOG = 0;
  LEVEL = 0;
  MSD_PATH[0] = '\0';
}

// Puts one arrow in lane `n` at `travel`, as if it had risen there.
inline int32_t PlaceArrow(int n, int32_t travel) {
  int32_t slot = lanes[n].writeIndex;
  SpawnArrow(n);
  lanes[n].travel[slot] = travel;
  return slot;
}
