// scenario_fuzz.cpp -- libFuzzer target: any bytes as a harness scenario file.
//
// The parser must accept or refuse with a reason naming a line, and every
// action it accepts must run through the playback model with answers the
// player could give.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/host/scenario.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  Scenario scenario;
  std::string error;
  if (!ParseScenario(text, scenario, error)) {
    Check(error.compare(0, 14, "scenario line ") == 0);
    return 0;
  }
  Check(error.empty());
  Playback playback;
  int32_t last = 0;
  for (const ScenarioAction& action : scenario.actions) {
    Check(action.atMs >= last);
    last = action.atMs;
    ApplyPlaybackAction(playback, action, action.atMs);
    int32_t playing = IsPlayingAnswer(playback);
    Check(playing == 0 || playing == 1 || playing == 3);
    if (playback.state == PlayState::Stopped) Check(PositionAnswer(playback, action.atMs + 10) == -1);
    for (int64_t entry = -1; entry <= 2; ++entry) FileNameAnswer(playback, scenario, entry);
  }
  Check(scenario.autoplayLevel >= 0 && scenario.autoplayLevel <= 2);
  return 0;
}
