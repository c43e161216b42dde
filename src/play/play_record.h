// play_record.h -- what one play of a chart comes to: hits, misses, runs, and how early or late each hit was.
//
// Plain computation on fixed-size state, kept in the game's Field and
// written by the judgement (play/lanes.cpp) and the press (key_input.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

// Hits are timed from -256 ms (early) to +255 ms (late); the hit window is
// about 130 ms before and 110 ms after the target row.
constexpr int32_t kEarliestTimedMs = -256;
constexpr int32_t kTimedSpanMs = 512;

struct PlayRecord {
  int32_t hits = 0;
  int32_t misses = 0;
  int32_t run = 0;      // hits since the last miss
  int32_t bestRun = 0;  // the longest run of this play
  // Hits by how many ms late they were, from kEarliestTimedMs, and their sum.
  int32_t lateCounts[kTimedSpanMs] = {};
  int64_t lateSumMs = 0;
  // The latest hit's mark, shown under the judgement until the next miss.
  bool markShown = false;
  int32_t lastLateMs = 0;
  // Set once the end of the chart has been told; its result is then shown
  // until the next song.
  bool ended = false;
};

// A hit `lateMs` after the arrow reached the target row (negative: early).
void RecordHit(PlayRecord& record, int32_t lateMs);
void RecordMiss(PlayRecord& record);

// The median of the hits' lateness, in whole ms; 0 without hits.
int32_t MedianLateMs(const PlayRecord& record);

// How late a press is, in ms, on an arrow at `travel` pixels once the last
// frame (`frameIntervalMs` after the one before), `msSinceFrame` ago, drew
// it a rise short of that and moved it on: the pixels it was drawn past the
// target row at the frames' pace, plus the time since.
int32_t LateMsOfPress(int32_t travel, int32_t frameIntervalMs, int32_t msSinceFrame);

// The log line at the end of a chart played with OFFSET_MS `offsetMs`:
// "Hits 212 of 220, best combo 150; your hits were 23 ms late on average
// (median 20 ms): OFFSET_MS=20 would centre them." (or early). Returns the
// line's length (cut to `size` - 1).
int FormatChartEnd(const PlayRecord& record, int32_t offsetMs, char* line, size_t size);

// The latest hit's mark: "EARLY 12 MS", "LATE 12 MS" or "ON TIME".
int FormatHitMark(const PlayRecord& record, char* line, size_t size);

// The result drawn at the end: "HITS 212/220  MAX COMBO 150".
int FormatResult(const PlayRecord& record, char* line, size_t size);
