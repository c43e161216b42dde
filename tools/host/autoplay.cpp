// autoplay.cpp -- follows the chart frame by frame and presses as each arrow reaches the target row.
#include "autoplay.h"

#include <cstring>
#include <vector>

#include "chart/game_timing.h"
#include "chart/msd_format.h"

namespace {

// After a press the lane's press animation runs five field passes, during
// which the game ignores further presses on it.
constexpr int32_t kPressFrames = 5;

// Reads `word` at `at` in `line`, moving past it.
bool Expect(const std::string& line, size_t& at, const char* word) {
  size_t length = std::strlen(word);
  if (line.compare(at, length, word) != 0) return false;
  at += length;
  return true;
}

// Reads a whole number (an optional minus, then 1 to 9 digits) at `at`.
bool ExpectNumber(const std::string& line, size_t& at, int32_t& value) {
  bool negative = at < line.size() && line[at] == '-';
  size_t start = at + (negative ? 1 : 0), end = start;
  while (end < line.size() && end - start < 10 && line[end] >= '0' && line[end] <= '9') ++end;
  if (end == start || end - start > 9) return false;
  value = int32_t(std::stol(line.substr(start, end - start))) * (negative ? -1 : 1);
  at = end;
  return true;
}

}  // namespace

bool ParseLiveArrowLine(const std::string& line, LiveArrow& arrow) {
  size_t at = 0;
  int32_t lanes[2];
  if (!Expect(line, at, "Live arrow ") || at >= line.size() || LanesOfStep(line[at], lanes) == 0) return false;
  arrow.step = line[at++];
  return Expect(line, at, " at ") && ExpectNumber(line, at, arrow.atMs) && Expect(line, at, " ms for ") &&
         ExpectNumber(line, at, arrow.forMs) && Expect(line, at, " ms.") && at == line.size();
}

void LiveLogLines::Push(const char* bytes, size_t size, std::vector<LiveArrow>& arrows) {
  partial_.append(bytes, size);
  size_t start = 0;
  for (size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1) {
    size_t length = end - start - (end > start && partial_[end - 1] == '\r' ? 1 : 0);
    LiveArrow arrow;
    if (ParseLiveArrowLine(partial_.substr(start, length), arrow)) arrows.push_back(arrow);
  }
  partial_.erase(0, start);
}

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
  Reset();
  return true;
}

void AutoPlayer::LoadLive() {
  text_.clear();
  dataOffset_ = kNoOffset;
  stepCount_ = 0;
  Reset();
}

void AutoPlayer::Reset() {
  lastStep_ = -1;
  spawned_ = 0;
  for (auto& lane : lanes_) lane.clear();
  for (int32_t& frames : coolingFrames_) frames = 0;
}

void AutoPlayer::Spawn(char step) {
  int32_t named[2];
  int count = LanesOfStep(step, named);
  for (int i = 0; i < count; ++i) lanes_[named[i]].push_back({kSpawnTravel, false});
  spawned_ += count;
}

void AutoPlayer::SpawnDueStep(int32_t position) {
  // Late presses follow arrows that come that much later.
  int64_t t = int64_t(correctedPosition(position, 0)) - lateMs_;
  if (position >= 1 && t < 0) return;
  int32_t index = stepIndexAt(int32_t(std::min<int64_t>(t, INT32_MAX)), msPerStep_);
  if (position >= 1 && !isChartFinished(index, stepCount_)) {
    int64_t at = stepOffset(dataOffset_, index, uint32_t(text_.size()));
    if (at != kNoOffset && at != lastStep_) {
      lastStep_ = at;
      Spawn(text_[size_t(at)]);
    }
  } else if (position < 1) {
    lastStep_ = -1;
  }
}

uint8_t AutoPlayer::Frame(int32_t position, int32_t intervalMs) {
  // The step clock: a new step spawns its arrows at the bottom. A live
  // chart's arrows Spawn has already added.
  if (dataOffset_ != kNoOffset) SpawnDueStep(position);
  // The field pass: every arrow rises; hit and missed ones leave the lane.
  int32_t rise = RiseFor(intervalMs);
  uint8_t press = 0;
  for (int n = 0; n < kLaneCount; ++n) {
    auto& lane = lanes_[n];
    for (Arrow& arrow : lane) arrow.travel += rise;
    while (!lane.empty() && (lane.front().pressed || lane.front().travel > kMissBound)) lane.pop_front();
    if (coolingFrames_[n] > 0) --coolingFrames_[n];
    // Press on the frame that drew the arrow nearest the target row (the
    // game drew it a rise short of its travel now), or on the last frame
    // that still hits it.
    const int32_t travel = lane.empty() ? 0 : lane.front().travel;
    bool nearest = 2 * (travel - rise) > 2 * kOnTargetTravel - rise || travel + rise > kHitWindowHigh;
    if (!lane.empty() && coolingFrames_[n] == 0 && nearest && travel >= kHitWindowLow && travel <= kHitWindowHigh) {
      lane.front().pressed = true;
      coolingFrames_[n] = kPressFrames;
      press |= uint8_t(1u << n);
    }
  }
  return press;
}
