// play_record.cpp -- hits, misses and timings of one play, and the lines that tell them.
#include "play/play_record.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "chart/game_timing.h"
#include "settings/settings.h"

void RecordHit(PlayRecord& record, int32_t lateMs) {
  ++record.hits;
  ++record.run;
  record.bestRun = std::max(record.bestRun, record.run);
  int32_t timed = std::clamp(lateMs, kEarliestTimedMs, kEarliestTimedMs + kTimedSpanMs - 1);
  ++record.lateCounts[timed - kEarliestTimedMs];
  record.lateSumMs += timed;
  record.markShown = true;
  record.lastLateMs = timed;
}

void RecordMiss(PlayRecord& record) {
  ++record.misses;
  record.run = 0;
  record.markShown = false;
}

int32_t MedianLateMs(const PlayRecord& record) {
  if (record.hits == 0) return 0;
  // The lower median: the first lateness that half the hits reach.
  int32_t half = (record.hits + 1) / 2, seen = 0;
  for (int32_t i = 0; i < kTimedSpanMs; ++i)
    if ((seen += record.lateCounts[i]) >= half) return kEarliestTimedMs + i;
  return 0;
}

int32_t LateMsOfPress(int32_t travel, int32_t frameIntervalMs, int32_t msSinceFrame) {
  int32_t rise = RiseFor(frameIntervalMs);
  // Before the first measured frame, and on frames too short to move the
  // arrows, the nominal pace: a pixel every 10 ms.
  double msPerPixel = frameIntervalMs > 0 && rise > 0 ? double(frameIntervalMs) / rise : 10.0;
  // The frame drew the arrow a rise short of `travel`, at the frame's start.
  double late = (travel - rise - kOnTargetTravel) * msPerPixel + std::max(msSinceFrame, 0);
  return int32_t(std::lround(std::clamp(late, -100000.0, 100000.0)));
}

int FormatChartEnd(const PlayRecord& record, int32_t offsetMs, char* line, size_t size) {
  int32_t arrows = record.hits + record.misses;
  if (record.hits == 0)
    return std::snprintf(line, size, "Hits 0 of %d, best combo 0; no hit to time.", int(arrows));
  double mean = double(record.lateSumMs) / record.hits;
  int32_t median = MedianLateMs(record);
  bool late = mean >= 0;
  int32_t centred = std::clamp(offsetMs + median, -kOffsetLimitMs, kOffsetLimitMs);
  return std::snprintf(line, size,
                       "Hits %d of %d, best combo %d; your hits were %d ms %s on average (median %d ms): "
                       "OFFSET_MS=%d would centre them.",
                       int(record.hits), int(arrows), int(record.bestRun), int(std::lround(std::fabs(mean))),
                       late ? "late" : "early", int(late ? median : -median), int(centred));
}

int FormatHitMark(const PlayRecord& record, char* line, size_t size) {
  if (record.lastLateMs == 0) return std::snprintf(line, size, "ON TIME");
  return std::snprintf(line, size, "%s %d MS", record.lastLateMs > 0 ? "LATE" : "EARLY",
                       int(std::abs(record.lastLateMs)));
}

int FormatResult(const PlayRecord& record, char* line, size_t size) {
  return std::snprintf(line, size, "HITS %d/%d  MAX COMBO %d", int(record.hits), int(record.hits + record.misses),
                       int(record.bestRun));
}
