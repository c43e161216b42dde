// play_fuzz.cpp -- libFuzzer target: any sequence of positions, frame intervals and key presses played.
//
// A dense chart is played frame by frame through the game's own frame pass
// while the input picks each frame's playback position (seeks back and
// forth, negatives, wraps near the 32-bit limits), its interval, the
// flame thread's sampled position, the level and the keys pressed between
// frames. The lanes must keep their ring rules whatever happens.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "chart/chart_loader.h"
#include "chart/step_clock.h"
#include "fakes/platform_fake.h"
#include "flame/flame_shared.h"
#include "fuzz/fuzz_check.h"
#include "play/frame_pass.h"
#include "play/key_input.h"
#include "play/lanes.h"
#include "play/play_test_support.h"
#include "settings/settings.h"

namespace {

constexpr char kChart[] =
    "#BPM:600;\r\n#SINGLE:BASIC:3:\r\n1379AB42861379AB42860000B0A0;\r\n"
    "#SINGLE:ANOTH:5:\r\n4444444444444444444444444444;\r\n#SINGLE:EXPER:9:\r\nBBBBBBBBBBBBBBBBBBBBBBBBBBBB;\r\n";


void CheckLanes() {
  for (const Lane& lane : testGame.field.lanes) {
    Check(lane.judgeIndex >= 0 && lane.judgeIndex < kSlotsPerLane);
    Check(lane.writeIndex >= 0 && lane.writeIndex < kSlotsPerLane);
    Check(lane.retireIndex >= 0 && lane.retireIndex < kSlotsPerLane);
    int32_t unjudged = (lane.writeIndex - lane.judgeIndex + kSlotsPerLane) % kSlotsPerLane;
    Check(lane.unjudgedCount == unjudged);
    Check(ArrowsInFlight(lane) <= kSlotsPerLane - 1);
    for (int32_t travel : lane.travel) Check(travel >= 0);
  }
  Check(testGame.field.combo >= -1);
}

int32_t Take32(const uint8_t*& data, size_t& size) {
  uint32_t value = 0;
  size_t n = size < 4 ? size : 4;
  std::memcpy(&value, data, n);
  data += n;
  size -= n;
  return int32_t(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetPlayField();
  std::strcpy(testSettings.msdPath, "C:\\c");
  fake.files["C:\\c\\Song.msd"] = kChart;
  fake.fileNames[0] = "C:\\m\\Song.mp3";
  // Each frame takes 6 bytes: position (4), interval (1), keys and level (1).
  while (size >= 6) {
    fake.position = Take32(data, size);
    testGame.frame.frameInterval = data[0];
    uint8_t keys = data[1];
    data += 2;
    size -= 2;
    testSettings.level = (keys >> 4) % 4;
    if (keys & 0x80) testGame.clock.sampledPosition.store(int32_t(uint32_t(fake.position) - 1000u));
    fake.isPlaying = (keys & 0x40) ? 0 : 1;
    PlayFrame(testGame);
    CheckLanes();
    for (int n = 0; n < kLaneCount; ++n) {
      if (keys & (1u << n)) OnGameKey(testGame, kKeyDownMessage, kDefaultKeys[n], (keys & 0x20) ? 0x40000000 : 0);
    }
    CheckLanes();
  }
  return 0;
}
