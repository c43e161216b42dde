// play_test_support.h -- a clean play field for the play tests.
#pragma once

#include <cstring>

#include "chart/chart_loader.h"
#include "chart/step_clock.h"
#include "fakes/platform_fake.h"
#include "flame/flame_shared.h"
#include "play/frame_pass.h"
#include "play/lanes.h"
#include "base/settings.h"

// Every lane, the press state and combo as at load time (the game itself
// never clears the lanes as a whole).
inline void ResetLanes() {
  std::memset(lanes, 0, sizeof lanes);
  std::memset(pressed, 0, sizeof pressed);
  std::memset(pressFrame, 0, sizeof pressFrame);
  combo = 0;
}

// The frame counters and the last-seen titles as at load time.
inline void ResetFrameCounters() {
  beatPulse = 0;
  frameCounter = 0;
  frameInterval = 0;
  colourPhase = 0;
  std::memset(lastSeenTitle, 0, sizeof lastSeenTitle);
  std::memset(lastSeenWideTitle, 0, sizeof lastSeenWideTitle);
}

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
  madeChartsFolder[0] = '\0';
  AUTO_CHART = 0;  // the loader's path alone; the made-chart tests turn it on
}

// Puts one arrow in lane `n` at `travel`, as if it had risen there.
inline int32_t PlaceArrow(int n, int32_t travel) {
  int32_t slot = lanes[n].writeIndex;
  SpawnArrow(n);
  lanes[n].travel[slot] = travel;
  return slot;
}
