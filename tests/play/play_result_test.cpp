// play_result_test.cpp -- a chart played to its end: the line told, the result shown, the best kept and shown.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "play/key_input.h"
#include "log/event_log.h"
#include "play/play_test_support.h"

namespace {

// Plays one-arrow Song.msd from the start, pressing its lane when the
// arrow lies on the target row if `press`, until every arrow is judged.
void PlayToTheEnd(bool press) {
  fake.fileNames[0] = "C:\\music\\Song.mp3";
  testGame.frame.frameInterval = 30;
  for (int frame = 0; frame < 200; ++frame) {
    fake.position = 30 * frame + 1;
    PlayFrame(testGame);
    const Lane& lane = testGame.field.lanes[0];
    if (press && lane.unjudgedCount > 0 && lane.travel[lane.judgeIndex] >= 296)
      OnGameKey(testGame, kKeyDownMessage, kDefaultKeys[0], 0);
  }
}

bool Drew(const std::string& text) {
  for (const DrawCall& call : fake.draws)
    if (call.kind == 'S' && call.text == text) return true;
  return false;
}

TEST(PlayResult, TheEndIsToldShownAndKeptAndTheBestShowsNextTime) {
  ResetPlayField();
  std::snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "C:\\charts");
  fake.files["C:\\charts\\Song.msd"] = "#BPM:60;\r\n#SINGLE:BASIC:3:\r\n4;\r\n";
  SetLogLinesOn(true);
  PlayToTheEnd(true);
  std::vector<std::string> lines = FakePlatform_LogLines();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("Hits 1 of 1, best combo 1;", 0) == 0; }), 1)
      << "told once";
  EXPECT_TRUE(Drew("HITS 1/1  MAX COMBO 1"));
  EXPECT_NE(fake.scoresFile.find("[Song]\r\nLEVEL0=1/1 1\r\n"), std::string::npos);

  // The song again, stopped first: the result stays until the next step,
  // then the best shows; a worse play keeps the best.
  fake.position = 0;
  PlayFrame(testGame);
  fake.draws.clear();
  PlayFrame(testGame);
  EXPECT_TRUE(Drew("HITS 1/1  MAX COMBO 1"));
  testGame.song.lastSeenTitle[0] = '\0';  // a new song
  fake.draws.clear();
  PlayToTheEnd(false);
  EXPECT_TRUE(Drew("BEST 1/1"));
  EXPECT_TRUE(Drew("HITS 0/1  MAX COMBO 0"));
  EXPECT_NE(fake.scoresFile.find("LEVEL0=1/1 1"), std::string::npos);
}

TEST(PlayResult, AScoresFileThatCannotBeWrittenIsTold) {
  ResetPlayField();
  std::snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "C:\\charts");
  fake.files["C:\\charts\\Song.msd"] = "#BPM:60;\r\n#SINGLE:BASIC:3:\r\n4;\r\n";
  SetLogLinesOn(true);
  fake.scoresWritable = false;
  PlayToTheEnd(true);
  std::vector<std::string> lines = FakePlatform_LogLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Scores.ini cannot be written: the best of <Song> is not kept."),
            lines.end());
}

}  // namespace
