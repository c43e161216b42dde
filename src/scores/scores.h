// scores.h -- the best result per song and level, as Scores.ini keeps them.
//
// The file beside plugin.ini, one section per song and one key per level:
//   [Band - Song]
//   LEVEL0=212/220 150
// (hits of arrows, then the best combo). Plain computation: the plug-in
// reads and replaces the file (scores/scores_win32.cpp), this reads and
// writes its text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Score {
  std::string song;
  int32_t level = 0;
  int32_t hits = 0;
  int32_t arrows = 0;
  int32_t bestCombo = 0;
};

struct ScoreBook {
  std::vector<Score> scores;  // in the file's order
};

// Reads Scores.ini's text into `book`, replacing what it held. Lines it
// cannot read (no section before them, numbers that are not, more hits than
// arrows, bytes of a damaged file) are skipped; returns how many.
int ReadScores(const std::string& text, ScoreBook& book);

// The text of `book` as Scores.ini keeps it.
std::string WriteScores(const ScoreBook& book);

// The best result for the song named by `length` bytes of `song` at
// `level`, or null.
const Score* FindScore(const ScoreBook& book, const char* song, size_t length, int32_t level);

// Enters `result` when it beats the song's best at its level (more hits, or
// as many with a longer combo), or when there is none. True when it did.
// A song whose title holds line breaks or other control bytes is never
// entered: its section could not be read back.
bool EnterScore(ScoreBook& book, const Score& result);
