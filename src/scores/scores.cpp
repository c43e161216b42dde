// scores.cpp -- Scores.ini's text read into the best results and written from them.
#include "scores/scores.h"

#include <cstdio>
#include <cstring>

namespace {

// A whole number of 1 to 9 digits at `at`, moving past it.
bool ReadCount(const std::string& line, size_t& at, int32_t& value) {
  size_t start = at;
  int64_t read = 0;
  while (at < line.size() && at - start < 10 && line[at] >= '0' && line[at] <= '9') read = read * 10 + (line[at++] - '0');
  if (at == start || at - start > 9) return false;
  value = int32_t(read);
  return true;
}

// "LEVEL<n>=<hits>/<arrows> <combo>", n a whole number, maybe negative.
bool ReadScoreLine(const std::string& line, Score& score) {
  if (line.compare(0, 5, "LEVEL") != 0) return false;
  size_t at = 5;
  bool negative = at < line.size() && line[at] == '-';
  if (negative) ++at;
  int32_t level = 0;
  if (!ReadCount(line, at, level) || at >= line.size() || line[at++] != '=') return false;
  if (!ReadCount(line, at, score.hits) || at >= line.size() || line[at++] != '/') return false;
  if (!ReadCount(line, at, score.arrows) || at >= line.size() || line[at++] != ' ') return false;
  if (!ReadCount(line, at, score.bestCombo) || at != line.size()) return false;
  score.level = negative ? -level : level;
  return score.hits <= score.arrows && score.bestCombo <= score.hits;
}

bool Beats(const Score& result, const Score& best) {
  return result.hits > best.hits || (result.hits == best.hits && result.bestCombo > best.bestCombo);
}

bool Readable(const std::string& song) {
  if (song.empty()) return false;
  for (char c : song)
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

}  // namespace

int ReadScores(const std::string& text, ScoreBook& book) {
  book.scores.clear();
  int skipped = 0;
  std::string song;
  bool inSection = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[' && line.back() == ']' && line.size() > 2) {
      song = line.substr(1, line.size() - 2);
      inSection = Readable(song);
      skipped += inSection ? 0 : 1;
      continue;
    }
    Score score;
    if (!inSection || !ReadScoreLine(line, score)) {
      ++skipped;
      continue;
    }
    score.song = song;
    EnterScore(book, score);  // a song's level twice: the better counts
  }
  return skipped;
}

std::string WriteScores(const ScoreBook& book) {
  std::string text = "; Stompara's best results: hits of arrows, then the best combo, per song and level.\r\n";
  std::vector<bool> written(book.scores.size(), false);
  for (size_t i = 0; i < book.scores.size(); ++i) {
    if (written[i]) continue;
    text += "[" + book.scores[i].song + "]\r\n";
    for (size_t j = i; j < book.scores.size(); ++j) {
      const Score& score = book.scores[j];
      if (written[j] || score.song != book.scores[i].song) continue;
      written[j] = true;
      char line[64];
      std::snprintf(line, sizeof line, "LEVEL%d=%d/%d %d\r\n", int(score.level), int(score.hits), int(score.arrows),
                    int(score.bestCombo));
      text += line;
    }
  }
  return text;
}

const Score* FindScore(const ScoreBook& book, const char* song, size_t length, int32_t level) {
  for (const Score& score : book.scores)
    if (score.level == level && score.song.size() == length && std::memcmp(score.song.data(), song, length) == 0)
      return &score;
  return nullptr;
}

bool EnterScore(ScoreBook& book, const Score& result) {
  if (!Readable(result.song) || result.hits < 0 || result.hits > result.arrows) return false;
  for (Score& best : book.scores) {
    if (best.level != result.level || best.song != result.song) continue;
    if (!Beats(result, best)) return false;
    best = result;
    return true;
  }
  book.scores.push_back(result);
  return true;
}
