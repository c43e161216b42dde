// step_placement.h -- song times of notes to the MSD steps whose arrows reach the target row then.
//
// The game's timing, which an MSD file has to allow for:
// - Step k (from 1) is due at the first playback position p at which the
//   step clock's index, (p + p / 220) / msPerStep truncated, reaches k:
//   the clock runs ahead of the position by one 220th of the time played.
// - Its arrows spawn on the first frame at or after that (half a frame
//   late on average) with travel 2, and rise (frame ms + 5) / 10 pixels a
//   frame to the target row at travel 294.
// So a note heard at time h wants the step whose due time plus that lead
// is closest to h. The MSD file has one tempo and no offset: the steps
// form one grid from position 0. The step clock delivers only the step due
// when a frame asks, so a step shorter than the longest frame could be
// skipped, arrows and all: every step outlasts the longest frame (27 ms at
// the player's 25 ms frames, which jitter by 2). The grid is a whole
// fraction (1 to 10 steps) of the song's eighth note, tuned a hair off the
// song's tempo so that the grid's phase, which no offset can set, meets the
// notes; chosen per song for the smallest median error. Plain computation,
// any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "chart/game_timing.h"

constexpr int kLevels = 3;  // 0 Standard, 1 Advanced, 2 Expert
// Notes later than this (four hours) are left out: no song runs that long,
// and a chart that did would only be a file of empty steps.
constexpr double kLatestNoteMs = 4 * 3600 * 1000.0;

// Milliseconds from a step's due position to its arrows on the target row,
// at frames of `frameMs` (10..1000).
double LeadFor(int32_t frameMs);

// One note: its song time and lanes (bit n is lane n).
struct TimedNote {
  double ms;
  uint8_t lanes;
};

// What happened to one level's notes.
struct LevelPlacement {
  int notes = 0;       // notes given
  int arrows = 0;      // arrows the level spawns
  int merged = 0;      // notes that share a step with an earlier note (a double)
  int dropped = 0;     // notes whose arrows all lie in lanes the step already has
  int cutArrows = 0;   // arrows left out where three or more fall on one step
  int tooEarly = 0;    // notes before the first arrow can reach the target row
  int laneFull = 0;    // arrows left out: 19 already in flight in the lane
  int tooLate = 0;     // notes more than kLatestNoteMs into the song
  double meanErrorMs = 0;   // |arrival - note time|, over the notes kept
  double worstErrorMs = 0;
};

struct PlacedSteps {
  std::string bpmText;   // the tempo as the file writes it
  float msPerStep = 0;   // as the game reads that tempo
  int subdivision = 1;   // steps to the song's eighth note
  double medianErrorMs = 0;  // over every kept note of every level
  double meanErrorMs = 0;
  std::string steps[kLevels];  // step characters, all of one length
  LevelPlacement levels[kLevels];
};

struct PlacementOptions {
  int32_t frameMs = kPlayerFrameMs;  // the host's frame interval
  int32_t jitterMs = 2;  // frames come up to this much later (23..27 ms)
  double leadMs = -1;    // below 0: LeadFor(frameMs)
};

// Places the notes of each level (any order) on one grid of subdivided
// eighth notes of `eighthMs`. False with `error` when no grid fits: the
// eighth note is shorter than the longest frame and a millisecond.
bool PlaceSteps(const std::vector<TimedNote> (&levels)[kLevels], double eighthMs,
                const PlacementOptions& options, PlacedSteps& placed, std::string& error);

// The MSD step character for a set of at most two lanes ('0' for none).
char StepCharacterFor(uint8_t lanes);
