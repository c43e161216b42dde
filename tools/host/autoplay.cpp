// autoplay.cpp -- follows the chart frame by frame and presses as each arrow reaches the target row.
#include "autoplay.h"

#include <vector>

#include "chart/game_timing.h"
#include "chart/msd_format.h"

namespace {

// After a press the lane's press animation runs five field passes, during
// which the game ignores further presses on it.
constexpr int32_t kPressFrames = 5;

}  // namespace

bool AutoPlayer::Load(const std::string& fileBytes, int32_t level, std::string& error) {
  if (fileBytes.size() >= UINT32_MAX) {
    error = "the chart is too big";
    return false;
  }
  std::vector<char> block(fileBytes.begin(), fileBytes.end());
  block.push_back('\0');
  uint32_t kept = stripLineBreaks(block.data(), uint32_t(fileBytes.size()));
  text_.assign(block.data(), textLengthOf(block.data(), kept));
  float bpm = 0;
  if (readTempo(text_.c_str(), bpm, msPerStep_) != kTempoRead) {
    error = "the chart has no tempo the game can play";
    return false;
  }
  stepCount_ = measureStepCount(text_.c_str(), uint32_t(text_.size()));
  int64_t chart = findChart(text_.c_str(), level);
  dataOffset_ = chart == kNoOffset ? kNoOffset : findStepData(text_.c_str(), chart);
  if (dataOffset_ == kNoOffset) {
    error = "the chart has no chart for level " + std::to_string(level);
    return false;
  }
  lastStep_ = -1;
  spawned_ = 0;
  for (auto& lane : lanes_) lane.clear();
  for (int32_t& frames : coolingFrames_) frames = 0;
  return true;
}

uint8_t AutoPlayer::Frame(int32_t position, int32_t intervalMs) {
  // The step clock: a new step spawns its arrows at the bottom.
  int32_t index = stepIndexAt(correctedPosition(position, 0), msPerStep_);
  if (position >= 1 && !isChartFinished(index, stepCount_)) {
    int64_t at = stepOffset(dataOffset_, index, uint32_t(text_.size()));
    if (at != kNoOffset && at != lastStep_) {
      lastStep_ = at;
      int32_t named[2];
      int count = LanesOfStep(text_[size_t(at)], named);
      for (int i = 0; i < count; ++i) lanes_[named[i]].push_back({kSpawnTravel, false});
      spawned_ += count;
    }
  } else if (position < 1) {
    lastStep_ = -1;
  }
  // The field pass: every arrow rises; hit and missed ones leave the lane.
  int32_t rise = RiseFor(intervalMs);
  uint8_t press = 0;
  for (int n = 0; n < kLaneCount; ++n) {
    auto& lane = lanes_[n];
    for (Arrow& arrow : lane) arrow.travel += rise;
    while (!lane.empty() && (lane.front().pressed || lane.front().travel > kMissBound)) lane.pop_front();
    if (coolingFrames_[n] > 0) --coolingFrames_[n];
    // Press on the first frame at or just short of the target row.
    if (!lane.empty() && coolingFrames_[n] == 0 && lane.front().travel > kOnTargetTravel - rise &&
        lane.front().travel <= kHitWindowHigh) {
      lane.front().pressed = true;
      coolingFrames_[n] = kPressFrames;
      press |= uint8_t(1u << n);
    }
  }
  return press;
}
