// frame_pass.cpp -- counters of the frame pass.
#include "play/frame_pass.h"

#include <cstring>

#include "chart/chart_loader.h"

int32_t beatPulse = 0;
int32_t frameCounter = 0;
int32_t frameInterval = 0;
char lastSeenTitle[260];

void ForgetSong() {
  std::memset(lastSeenTitle, 0, sizeof lastSeenTitle);
  InitStepChart();
}
