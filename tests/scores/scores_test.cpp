// scores_test.cpp -- Scores.ini read, kept best-only and written back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "scores/scores.h"

namespace {

const Score* Find(const ScoreBook& book, const char* song, int32_t level) {
  return FindScore(book, song, std::strlen(song), level);
}

TEST(Scores, ReadingKeepsWhatItCanReadAndSkipsTheRest) {
  ScoreBook book;
  const std::string text =
      "; a comment\r\nLEVEL0=1/2 1\r\n[Band - Song]]\r\nLEVEL0=212/220 150\r\nLEVEL2=5/9 3\r\n"
      "LEVEL1=9/8 1\r\nLEVEL1=7/x 1\r\nLEVEL1=7/8 9\r\nLEVEL1=1/2 1 trailing\r\nGARBAGE\n"
      "[Other]\nLEVEL-1=3/4 2\nLEVEL0=3/4 2\nLEVEL0=3/4 3\n\xff\x01";
  EXPECT_EQ(ReadScores(text, book), 7);  // the line before a section, four bad scores, garbage twice
  ASSERT_NE(Find(book, "Band - Song]", 0), nullptr);  // a title may end in ']'
  EXPECT_EQ(Find(book, "Band - Song]", 0)->hits, 212);
  EXPECT_EQ(Find(book, "Band - Song]", 2)->arrows, 9);
  EXPECT_EQ(Find(book, "Band - Song]", 1), nullptr);
  EXPECT_EQ(Find(book, "Other", -1)->bestCombo, 2);
  EXPECT_EQ(Find(book, "Other", 0)->bestCombo, 3) << "a level twice: the better kept";
  EXPECT_EQ(Find(book, "Other", 1), nullptr);
}

TEST(Scores, OnlyABetterResultIsEnteredAndTheTextReadsBack) {
  ScoreBook book;
  auto result = [](const char* song, int32_t level, int32_t hits, int32_t combo) {
    Score score;
    score.song = song;
    score.level = level;
    score.hits = hits;
    score.arrows = 10;
    score.bestCombo = combo;
    return score;
  };
  EXPECT_TRUE(EnterScore(book, result("Song", 0, 5, 2)));
  EXPECT_FALSE(EnterScore(book, result("Song", 0, 4, 4)));  // fewer hits
  EXPECT_FALSE(EnterScore(book, result("Song", 0, 5, 2)));  // the same
  EXPECT_TRUE(EnterScore(book, result("Song", 0, 5, 3)));   // as many, a longer combo
  EXPECT_TRUE(EnterScore(book, result("Song", 1, 1, 1)));
  EXPECT_TRUE(EnterScore(book, result("Another", 0, 9, 9)));
  EXPECT_FALSE(EnterScore(book, result("Line\r\nbreak", 0, 9, 9)));
  EXPECT_FALSE(EnterScore(book, result("", 0, 9, 9)));
  std::string text = WriteScores(book);
  EXPECT_NE(text.find("[Song]\r\nLEVEL0=5/10 3\r\nLEVEL1=1/10 1\r\n[Another]\r\nLEVEL0=9/10 9\r\n"), std::string::npos);
  ScoreBook again;
  EXPECT_EQ(ReadScores(text, again), 0);
  EXPECT_EQ(WriteScores(again), text);
}

}  // namespace
