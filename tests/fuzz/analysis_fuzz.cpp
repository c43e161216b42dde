// analysis_fuzz.cpp -- libFuzzer target: any samples, at any rate and channel count, through the analysis.
//
// Decoders hand the analysis whatever a file holds: huge values, NaN,
// infinities, a rate no song has. The first bytes choose the format and
// the block sizes; the rest are the frames. The analysis must refuse or
// end in onsets in order, a grid in order and steps in order.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/audio_analysis.h"
#include "analysis/beat_grid.h"
#include "authoring/step_choice.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  int rate = int(uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16);
  int channels = data[3] % 70;
  size_t block = size_t(data[4]) * 16 + 1;
  int repeats = 1 + data[5] % 8;  // long enough for a beat now and then
  data += 6;
  size -= 6;
  std::vector<float> frames(size / sizeof(float));
  if (!frames.empty()) std::memcpy(frames.data(), data, frames.size() * sizeof(float));
  AnalysisStream stream;
  std::string error;
  if (!stream.Start(rate, channels, error)) {
    Check(!error.empty());
    return 0;
  }
  size_t count = frames.size() / size_t(channels);
  for (int r = 0; r < repeats; ++r) {
    for (size_t at = 0; at < count; at += block) {
      stream.Feed(frames.data() + at * size_t(channels), std::min(block, count - at));
    }
  }
  AudioAnalysis analysis;
  stream.Finish(analysis);
  Check(analysis.durationMs >= 0);
  for (size_t i = 0; i < analysis.onsets.size(); ++i) {
    Check(std::isfinite(analysis.onsets[i].ms) && std::isfinite(analysis.onsets[i].strength));
    Check(i == 0 || analysis.onsets[i - 1].ms < analysis.onsets[i].ms);
  }
  for (float value : analysis.envelope) Check(std::isfinite(value) && value >= 0);
  BeatGrid grid;
  if (!FitBeatGrid(analysis, grid, error)) {
    Check(!error.empty());
    return 0;
  }
  Check(grid.beatMs > 0 && std::isfinite(grid.beatMs));
  for (size_t i = 1; i < grid.beatsMs.size(); ++i) Check(grid.beatsMs[i - 1] < grid.beatsMs[i]);
  std::vector<TimedNote> levels[kLevels];
  ChooseSteps(analysis, grid, levels);
  for (const auto& notes : levels) {
    for (size_t i = 0; i < notes.size(); ++i) {
      Check(notes[i].lanes != 0 && notes[i].lanes < 16);
      Check(i == 0 || notes[i - 1].ms < notes[i].ms);
    }
  }
  return 0;
}
