// step_choice.cpp -- grid positions with onsets, filtered per level, given lanes.
#include "analysis/step_choice.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

// How busy a level may be. Floors are onset strengths as ranks among the
// song's onsets: 0.3 is stronger than 30 % of them.
struct LevelRule {
  double minGapMs;      // between two arrows
  double laneRepeatMs;  // before the same lane comes again
  double beatFloor;     // an onset on the beat
  double offBeatFloor;  // on the eighth between beats, where the music is busy
  double sixteenthFloor;
  double doubleFloor;   // an accent that earns two arrows
  int doubleEveryBeats; // at most one double in this many beats
};

const LevelRule kRules[kLevels] = {
    {450, 900, 0.3, kNever, kNever, kNever, 0},
    {220, 400, 0.2, 0.2, kNever, 0.97, 16},
    {110, 200, 0.1, 0.05, 0.3, 0.95, 4},
};

// The doubles a player can step without crossing: left+right, down+up,
// left+down, up+right, left+up, down+right.
constexpr uint8_t kDoubles[] = {0x9, 0x6, 0x3, 0xC, 0x5, 0xA};

struct Position {
  double ms;
  double strength;  // rank among the song's onsets, 0..1; 0 without an onset
  int beat;         // index of the beat it belongs to
  int part;         // 0 on the beat, 2 the eighth after it, 1 and 3 sixteenths
  bool busy;        // the music around it has many onsets
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
  return values[values.size() / 2];
}

// Strongest onset within `tolerance` of `ms`, and how many onsets lie within `around`.
double OnsetNear(const std::vector<Onset>& onsets, double ms, double tolerance) {
  auto from = std::lower_bound(onsets.begin(), onsets.end(), ms - tolerance,
                               [](const Onset& o, double t) { return o.ms < t; });
  double best = 0;
  for (auto o = from; o != onsets.end() && o->ms <= ms + tolerance; ++o) best = std::max(best, double(o->strength));
  return best;
}

int OnsetsWithin(const std::vector<Onset>& onsets, double from, double to) {
  auto a = std::lower_bound(onsets.begin(), onsets.end(), from, [](const Onset& o, double t) { return o.ms < t; });
  auto b = std::lower_bound(onsets.begin(), onsets.end(), to, [](const Onset& o, double t) { return o.ms < t; });
  return int(b - a);
}

bool Loud(const AudioAnalysis& analysis, double ms, double floor) {
  size_t block = size_t(std::max(0.0, ms / kLoudnessBlockMs));
  if (block >= analysis.loudness.size()) return false;
  // The loudest block around it: a beat's attack may fall just inside the next block.
  float level = analysis.loudness[block];
  if (block + 1 < analysis.loudness.size()) level = std::max(level, analysis.loudness[block + 1]);
  return level >= floor;
}

// The share of the song's onsets weaker than `strength` (0..1).
double Rank(const std::vector<float>& sorted, double strength) {
  return double(std::lower_bound(sorted.begin(), sorted.end(), float(strength)) - sorted.begin()) /
         double(std::max<size_t>(1, sorted.size()));
}

std::vector<Position> Positions(const AudioAnalysis& analysis, const BeatGrid& grid) {
  std::vector<float> sorted;
  for (const Onset& o : analysis.onsets) sorted.push_back(o.strength);
  std::sort(sorted.begin(), sorted.end());
  std::vector<double> levels(analysis.loudness.begin(), analysis.loudness.end());
  double quiet = 0.3 * Median(levels);
  std::vector<Position> positions;
  bool started = false;
  for (size_t b = 0; b < grid.beatsMs.size(); ++b) {
    double beat = grid.beatsMs[b];
    double length = b + 1 < grid.beatsMs.size() ? grid.beatsMs[b + 1] - beat : grid.beatMs;
    bool busy = OnsetsWithin(analysis.onsets, beat - length, beat + length) >= 5;
    for (int part = 0; part < 4; ++part) {
      double ms = beat + part * length / 4;
      double tolerance = std::min(40.0, length / 8);
      double onset = OnsetNear(analysis.onsets, ms, tolerance);
      double strength = onset > 0 ? std::max(Rank(sorted, onset), 0.001) : 0.0;
      // The intro stays empty until the music's first strong onset.
      started = started || strength >= 0.5;
      if (!started || strength <= 0 || !Loud(analysis, ms, float(quiet))) continue;
      positions.push_back({ms, strength, int(b), part, busy});
    }
  }
  return positions;
}

bool Wanted(const Position& p, const LevelRule& rule, double beatMs) {
  if (p.part == 0) return p.strength >= rule.beatFloor;
  if (p.part == 2) return p.busy && p.strength >= rule.offBeatFloor;
  return beatMs / 4 >= rule.minGapMs && p.strength >= rule.sixteenthFloor;
}

// Two feet on the pad; picks lanes so that they alternate and never cross.
class Feet {
 public:
  explicit Feet(const LevelRule& rule, uint32_t seed) : rule_(rule), state_(seed) {}

  uint8_t Single(double ms) {
    foot_ = 1 - foot_;
    // Left foot: left, down, up; right foot: right, down, up. Not the lane
    // the other foot stands on, nor one stepped on too recently.
    const int choices[2][3] = {{0, 1, 2}, {3, 1, 2}};
    int lanes[3];
    int count = 0;
    for (int lane : choices[foot_]) {
      if (lane == on_[1 - foot_] || ms - lastUsed_[lane] < rule_.laneRepeatMs) continue;
      lanes[count++] = lane;
    }
    if (count == 0) {  // everything too recent: the foot's home lane
      lanes[count++] = choices[foot_][0];
    }
    // The home lane a little more often than up and down.
    int pick = Next() % 4 == 0 ? 0 : int(Next() % uint32_t(count));
    int lane = lanes[pick];
    Step(lane, ms);
    on_[foot_] = lane;
    return uint8_t(1u << lane);
  }

  uint8_t Double(double ms) {
    uint8_t pair = kDoubles[Next() % 6];
    int left = -1;
    int right = -1;
    for (int lane = 0; lane < 4; ++lane) {
      if (!(pair & (1u << lane))) continue;
      (left < 0 ? left : right) = lane;
      Step(lane, ms);
    }
    on_[0] = left;
    on_[1] = right;
    return pair;
  }

 private:
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  void Step(int lane, double ms) { lastUsed_[lane] = ms; }

  const LevelRule& rule_;
  uint32_t state_;
  int foot_ = 1;
  int on_[2] = {0, 3};
  double lastUsed_[4] = {-kNever, -kNever, -kNever, -kNever};
};

}  // namespace

void ChooseSteps(const AudioAnalysis& analysis, const BeatGrid& grid, std::vector<TimedNote> (&levels)[kLevels]) {
  std::vector<Position> positions = Positions(analysis, grid);
  for (int level = 0; level < kLevels; ++level) {
    const LevelRule& rule = kRules[level];
    Feet feet(rule, 0x5EED0u + uint32_t(level));
    levels[level].clear();
    double last = -kNever;
    int lastDoubleBeat = -(1 << 20);
    for (const Position& p : positions) {
      if (!Wanted(p, rule, grid.beatMs) || p.ms - last < rule.minGapMs) continue;
      bool accent = p.part == 0 && p.strength >= rule.doubleFloor &&
                    p.beat - lastDoubleBeat >= rule.doubleEveryBeats && (level == 2 || p.beat % 4 == 0);
      uint8_t lanes = accent ? feet.Double(p.ms) : feet.Single(p.ms);
      if (accent) lastDoubleBeat = p.beat;
      levels[level].push_back({p.ms, lanes});
      last = p.ms;
    }
  }
}
