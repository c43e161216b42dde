// live_replay.h -- a song played to the live chart as the player hands its sound over, frame by frame.
//
// The yardstick for the live chart: the song's samples are handed over as
// the player does, and by the harness's own code (tools/host/vis_sound.h:
// before each frame, 576 samples from the position it reports, each the top
// byte of its 16-bit sample), a frame every `frameMs` with a little jitter, and every arrow the chart spawns is kept with the
// position it will reach the target row at. Plain computation, any thread.
#pragma once

#include <cstdint>
#include <vector>

struct LiveReplayOptions {
  int32_t frameMs = 25;
  int32_t jitterMs = 2;  // each frame comes up to this early or late (seeded)
  int32_t level = 0;
};

struct LiveReplayArrow {
  int32_t spawnMs = 0;    // the position of the frame that spawned it
  int32_t arrivesMs = 0;  // the position at which it reaches the target row
  char step = '0';
};

struct LiveReplay {
  std::vector<LiveReplayArrow> arrows;
  std::vector<double> lockedAtMs;  // the song time of each lock...
  std::vector<double> lockedBpm;   // ...and its tempo
  std::vector<double> lostAtMs;    // the song time of each loss of the beat
  std::vector<float> hearMicros;   // what each frame's hearing took, in µs
};

// Plays interleaved `frames` (`channels` of them, -1..1, at `sampleRate`) to
// a fresh live chart.
LiveReplay ReplayLive(const std::vector<float>& frames, int channels, int sampleRate,
                      const LiveReplayOptions& options);

// What the table reports of one replay against a grid of beats, counting
// only what arrives after `fromMs` and up to `toMs`.
struct LiveScore {
  double firstLockMs = -1;    // -1: never locked
  double firstArrivalMs = -1; // the first arrow on the target row, -1: none
  int arrows = 0;             // arrows arriving in the stretch
  double onGridShare = 0;     // of those, within 35 ms of an eighth of the grid
  double arrowsPerSecond = 0;
  double medianOffMs = 0;     // the arrivals' median signed distance to the nearest eighth
};

LiveScore ScoreLive(const LiveReplay& replay, const std::vector<double>& beatsMs, double fromMs, double toMs);
