// autoplay.h -- a perfect player for the harness: a shadow of the game's step clock and lanes.
//
// The harness tells it, after each Render, the playback position the game
// was given and the time since the previous Render; it follows the chart
// as the game does (the same line-break stripping, tempo, chart lookup and
// clock arithmetic, the same rise per frame) and says which lanes' keys to
// press so that every arrow is hit near the target row. Without a chart
// (LoadLive) it takes the arrows the plug-in reports in its event log
// instead, as a live chart spawns them. Portable; one session at a time.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// One event-log line `Live arrow C at P ms for A ms.`: the plug-in spawned
// step character C's arrows live at position P. P and A are kept as the
// line gives them; the autoplayer needs only C, as it follows each arrow's
// rise frame by frame.
struct LiveArrow {
  char step = 0;
  int32_t atMs = 0;
  int32_t forMs = 0;
};

// True when `line` (without its line end) is exactly such a line, with C a
// step character that names lanes and P, A whole numbers.
bool ParseLiveArrowLine(const std::string& line, LiveArrow& arrow);

// The event log read piece by piece as it grows: hands out the live arrows
// of each whole line, keeping a line not yet ended for the next piece.
class LiveLogLines {
 public:
  // The log starts again from its first byte (recreated at Init).
  void Restart() { partial_.clear(); }
  // The log's next `size` bytes; appends the live arrows of the lines they end.
  void Push(const char* bytes, size_t size, std::vector<LiveArrow>& arrows);

 private:
  std::string partial_;
};

class AutoPlayer {
 public:
  // Reads the chart file's bytes for `level`. False with `error` set when
  // the game could not play it (no tempo, no chart for the level).
  bool Load(const std::string& fileBytes, int32_t level, std::string& error);
  // Follows no chart: the arrows come from Spawn only.
  void LoadLive();
  // Presses `lateMs` after each arrow reaches the target row (before it
  // when negative), as a player whose sound comes that late.
  void SetLateMs(int32_t lateMs) { lateMs_ = lateMs; }
  // Spawns the arrows of step character `step` (none for a character that
  // names no lane) in the frame about to be passed to Frame, as the game
  // spawns a live step.
  void Spawn(char step);

  // The frame the game has just drawn, given `position` (request 105's
  // answer during it) `intervalMs` after the previous one. Returns the lanes
  // to press now, bit n for lane n.
  uint8_t Frame(int32_t position, int32_t intervalMs);

  // Arrows the chart has spawned so far.
  int32_t arrowsSpawned() const { return spawned_; }

 private:
  void Reset();
  void SpawnDueStep(int32_t position);

  struct Arrow {
    int32_t travel;
    bool pressed;
  };
  std::string text_;
  float msPerStep_ = 0;
  int32_t stepCount_ = 0;
  int64_t dataOffset_ = -1;
  int64_t lastStep_ = -1;
  int32_t spawned_ = 0;
  int32_t lateMs_ = 0;
  std::deque<Arrow> lanes_[4];
  int32_t coolingFrames_[4] = {};  // frames until the lane takes a press again
};
