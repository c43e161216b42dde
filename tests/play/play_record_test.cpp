// play_record_test.cpp -- a play's hits timed, the end-of-chart line, and the marks drawn from them.
#include <gtest/gtest.h>

#include <string>

#include "play/play_record.h"

namespace {

std::string EndLine(const PlayRecord& record, int32_t offsetMs) {
  char line[200];
  FormatChartEnd(record, offsetMs, line, sizeof line);
  return line;
}

TEST(PlayRecord, RunsMediansAndTheEndOfChartLine) {
  PlayRecord record;
  EXPECT_EQ(EndLine(record, 0), "Hits 0 of 0, best combo 0; no hit to time.");
  for (int32_t late : {30, 10, 20}) RecordHit(record, late);
  RecordMiss(record);
  RecordHit(record, 40);
  EXPECT_EQ(record.bestRun, 3);
  EXPECT_EQ(record.run, 1);
  EXPECT_EQ(MedianLateMs(record), 20);  // the lower of 20 and 30
  EXPECT_EQ(EndLine(record, 0),
            "Hits 4 of 5, best combo 3; your hits were 25 ms late on average (median 20 ms): "
            "OFFSET_MS=20 would centre them.");
  // Early on average: both told as early, and the offset that centres them
  // counts from the one played, held to the range.
  PlayRecord early;
  for (int32_t late : {-90, -70, 10}) RecordHit(early, late);
  EXPECT_EQ(EndLine(early, -450),
            "Hits 3 of 3, best combo 3; your hits were 50 ms early on average (median 70 ms): "
            "OFFSET_MS=-500 would centre them.");
  // Far off the window: counted at the edge of what is timed.
  RecordHit(early, 100000);
  EXPECT_EQ(early.lastLateMs, kEarliestTimedMs + kTimedSpanMs - 1);
}

TEST(PlayRecord, PressesAreTimedFromWhereTheFrameDrewTheArrow) {
  struct Case {
    int32_t travel, interval, since, late;
  };
  const Case cases[] = {
      {297, 30, 0, 0},    // drawn on the target row (294) this instant
      {297, 30, 12, 12},  // and pressed 12 ms later
      {294, 30, 0, -30},  // drawn a pixel step short of it: one frame early
      {291, 25, 5, -45},  // 25 ms frames rise 3 pixels: 8.33 ms a pixel
      {300, 0, 0, 60},    // before any measured frame: a pixel per 10 ms
  };
  for (const Case& c : cases)
    EXPECT_EQ(LateMsOfPress(c.travel, c.interval, c.since), c.late) << c.travel << " " << c.interval;
}

TEST(PlayRecord, MarksAndResult) {
  PlayRecord record;
  char line[64];
  const std::pair<int32_t, const char*> marks[] = {{0, "ON TIME"}, {23, "LATE 23 MS"}, {-7, "EARLY 7 MS"}};
  for (const auto& mark : marks) {
    RecordHit(record, mark.first);
    FormatHitMark(record, line, sizeof line);
    EXPECT_STREQ(line, mark.second);
  }
  RecordMiss(record);
  EXPECT_FALSE(record.markShown);
  FormatResult(record, line, sizeof line);
  EXPECT_STREQ(line, "HITS 3/4  MAX COMBO 3");
}

}  // namespace
