// frame_replay.h -- a chart played frame by frame by the game's rules: when each arrow covers its target.
//
// The host's frames come at whole-millisecond intervals from a first frame
// at `firstFrameMs` of the song; the step clock reads the position then
// (the song played from its start, nothing paused) and delivers only the
// step due; a delivered step spawns its arrows, which the field pass draws
// and then raises by the rise of the frame's measured interval, so an arrow
// covers the target row when the travel it is drawn at reaches 294. Plain
// computation, any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct ReplayedArrow {
  int lane;
  double spawnMs;    // the frame that spawned it
  double arrivalMs;  // song time when it covers its target (between frames, by the travel drawn)
};

struct Replay {
  std::vector<ReplayedArrow> arrows;  // by spawn
  int skippedArrows = 0;  // arrows of steps no frame saw: the clock moved past them
};

// Plays `steps` (the step characters of one chart, step 1 first) at
// `msPerStep` until the last arrow arrives; `nextIntervalMs` gives each
// frame's interval in ms (1..1000).
Replay ReplayChart(const std::string& steps, float msPerStep, int32_t firstFrameMs,
                   const std::function<int32_t()>& nextIntervalMs);

// |error| of each note: the nearest arrival in the note's lowest lane, or
// no entry (a lost note) when none arrives within `lostBeyondMs`.
struct NoteTiming {
  std::vector<double> errorsMs;
  int lost = 0;
};
struct TimedLanes {
  double ms;
  uint8_t lanes;  // bit n is lane n
};
NoteTiming TimeNotes(const std::vector<TimedLanes>& notes, const Replay& replay, double lostBeyondMs = 60);

// The mean time the replay's arrows took to rise, less the time they take
// at steady frames of `frameMs`: how much later than planned the frames'
// whole-pixel rises bring every arrow.
double RiseLatenessMs(const Replay& replay, int32_t frameMs);

// The replay with every arrival moved `ms` earlier.
Replay Shifted(Replay replay, double ms);
