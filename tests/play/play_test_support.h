// play_test_support.h -- a clean play field for the play tests.
#pragma once

#include <cstring>

#include "chart/chart_loader.h"
#include "chart/step_clock.h"
#include "fakes/platform_fake.h"
#include "flame/flame_shared.h"
#include "play/frame_pass.h"
#include "play/lanes.h"
#include "settings/settings.h"

// Every lane, the press state and combo as at load time (the game itself
// never clears the lanes as a whole).
inline void ResetLanes() {
  testGame.field = Field{};
}

// The frame counters and the last-seen titles as at load time.
inline void ResetFrameCounters() {
  testGame.frame.beatPulse = 0;
  testGame.frame.frameCounter = 0;
  testGame.frame.frameInterval = 0;
  testGame.frame.colourPhase = 0;
  std::memset(testGame.song.lastSeenTitle, 0, sizeof testGame.song.lastSeenTitle);
  std::memset(testGame.song.lastSeenWideTitle, 0, sizeof testGame.song.lastSeenWideTitle);
}

// Lanes, counters, chart and fake platform as at load time; log off.
inline void ResetPlayField() {
  ReleaseStepChart(fakePlatform, testGame.chart);
  FakePlatform_Reset();
  ResetTestGame();
  testSettings.autoChart = 0;  // the loader's path alone; the made-chart tests turn it on
}

// Puts one arrow in lane `n` at `travel`, as if it had risen there.
inline int32_t PlaceArrow(int n, int32_t travel) {
  int32_t slot = testGame.field.lanes[n].writeIndex;
  SpawnArrow(testGame.field, n);
  testGame.field.lanes[n].travel[slot] = travel;
  return slot;
}
