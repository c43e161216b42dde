// autoplay.h -- a perfect player for the harness: a shadow of the game's step clock and lanes.
//
// The harness tells it, after each Render, the playback position the game
// was given and the time since the previous Render; it follows the chart
// as the game does (the same line-break stripping, tempo, chart lookup and
// clock arithmetic, the same rise per frame) and says which lanes' keys to
// press so that every arrow is hit near the target row. Portable; one
// session at a time.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

class AutoPlayer {
 public:
  // Reads the chart file's bytes for `level`. False with `error` set when
  // the game could not play it (no tempo, no chart for the level).
  bool Load(const std::string& fileBytes, int32_t level, std::string& error);

  // The frame the game has just drawn, given `position` (request 105's
  // answer during it) `intervalMs` after the previous one. Returns the lanes
  // to press now, bit n for lane n.
  uint8_t Frame(int32_t position, int32_t intervalMs);

  // Arrows the chart has spawned so far.
  int32_t arrowsSpawned() const { return spawned_; }

 private:
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
  std::deque<Arrow> lanes_[4];
  int32_t coolingFrames_[4] = {};  // frames until the lane takes a press again
};
