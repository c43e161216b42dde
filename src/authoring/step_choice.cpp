// step_choice.cpp -- onsets snapped to the grid, the strongest taken per level up to its density, given lanes.
#include "authoring/step_choice.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <set>

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

enum Kind { kBeat, kEighth, kSixteenth, kTriplet };

// How busy a level may be.
struct LevelRule {
  double perSecond;     // arrows a second of music it aims at
  double minGapMs;      // between two arrows
  double laneRepeatMs;  // before the same lane comes again
  Kind finest;          // the finest position it takes
  double doubleFloor;   // an accent (strength rank) that earns two arrows
  int doubleEveryBeats; // at most one double in this many beats
  bool barStartDoubles; // doubles only on the first beat of a bar
};

const LevelRule kRules[kLevels] = {
    {1.6, 450, 900, kBeat, kNever, 0, false},
    {2.5, 250, 400, kEighth, 0.97, 16, true},
    {4.0, 110, 200, kTriplet, 0.95, 4, false},
};

// The doubles a player can step without crossing: left+right, down+up,
// left+down, up+right, left+up, down+right.
constexpr uint8_t kDoubles[] = {0x9, 0x6, 0x3, 0xC, 0x5, 0xA};

constexpr double kFastestStandardBeats = 2.0;  // beats a second; faster, Standard takes every other
constexpr double kSnapMs = 40.0;               // an onset this close to a position is heard there

// A place on the grid where the music has an onset.
struct Position {
  double ms;
  double strength;  // rank among the song's onsets, 0..1
  int beat;         // index of the beat it belongs to
  Kind kind;
};

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
  return values[values.size() / 2];
}

bool Loud(const AudioAnalysis& analysis, double ms, double floor) {
  size_t block = size_t(std::max(0.0, ms / kLoudnessBlockMs));
  if (block >= analysis.loudness.size()) return false;
  // The loudest block around it: a beat's attack may fall just inside the next block.
  float level = analysis.loudness[block];
  if (block + 1 < analysis.loudness.size()) level = std::max(level, analysis.loudness[block + 1]);
  return level >= floor;
}

// Each onset at the nearest place of its beat (the beat, the eighth, the
// sixteenths, the triplet eighths), if it is close; one position per place,
// at its strongest onset.
std::vector<Position> Positions(const AudioAnalysis& analysis, const BeatGrid& grid) {
  std::vector<float> sorted;
  for (const Onset& o : analysis.onsets) sorted.push_back(o.strength);
  std::sort(sorted.begin(), sorted.end());
  auto rank = [&](float strength) {
    double below = double(std::lower_bound(sorted.begin(), sorted.end(), strength) - sorted.begin());
    return std::max(0.001, below / double(sorted.size()));
  };
  std::vector<double> levels(analysis.loudness.begin(), analysis.loudness.end());
  double quiet = 0.3 * Median(levels);
  struct Place {
    double share;
    Kind kind;
  };
  const Place places[] = {{0, kBeat},          {0.25, kSixteenth}, {1.0 / 3, kTriplet}, {0.5, kEighth},
                          {2.0 / 3, kTriplet}, {0.75, kSixteenth}, {1, kBeat}};
  std::vector<Position> positions;
  bool started = false;
  const std::vector<double>& beats = grid.beatsMs;
  for (const Onset& onset : analysis.onsets) {
    double strength = rank(onset.strength);
    // The intro stays empty until the music's first strong onset.
    started = started || strength >= 0.5;
    if (!started || !Loud(analysis, onset.ms, quiet)) continue;
    auto next = std::upper_bound(beats.begin(), beats.end(), onset.ms);
    if (next == beats.begin() || next == beats.end()) continue;
    int beat = int(next - beats.begin()) - 1;
    double from = beats[size_t(beat)];
    double length = *next - from;
    double tolerance = std::min(kSnapMs, length / 12);
    const Place* nearest = nullptr;
    for (const Place& place : places) {
      if (std::fabs(onset.ms - (from + place.share * length)) > tolerance) continue;
      if (!nearest || std::fabs(onset.ms - (from + place.share * length)) <
                          std::fabs(onset.ms - (from + nearest->share * length))) {
        nearest = &place;
      }
    }
    if (!nearest) continue;
    Position p = {from + nearest->share * length, strength, beat + (nearest->share == 1), nearest->kind};
    if (!positions.empty() && std::fabs(positions.back().ms - p.ms) < 1) {
      positions.back().strength = std::max(positions.back().strength, p.strength);
    } else {
      positions.push_back(p);
    }
  }
  return positions;
}

// Of every other beat, the half with more in the mid band: 0 or 1.
int StrongerBeats(const AudioAnalysis& analysis, const BeatGrid& grid) {
  const std::vector<float>& mid = analysis.flux[kMidBand];
  double sums[2] = {0, 0};
  for (size_t b = 0; b < grid.beatsMs.size(); ++b) {
    long frame = long(std::lround(grid.beatsMs[b] / kEnvelopeHopMs));
    if (frame >= 0 && frame < long(mid.size())) sums[b % 2] += mid[size_t(frame)];
  }
  return sums[1] > sums[0] ? 1 : 0;
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


// The positions a level takes: those of the level below, then the
// strongest it may take, each at least the level's gap from the others,
// up to its arrows a second.
std::vector<Position> Choose(const std::vector<Position>& positions, const std::vector<Position>& below,
                             const LevelRule& rule, double seconds, int beatParity) {
  std::vector<const Position*> candidates;
  for (const Position& p : positions) {
    if (p.kind > rule.finest) continue;
    if (beatParity >= 0 && p.beat % 2 != beatParity) continue;
    candidates.push_back(&p);
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Position* a, const Position* b) { return a->strength > b->strength; });
  std::set<double> taken;
  std::vector<Position> chosen = below;
  for (const Position& p : below) taken.insert(p.ms);
  size_t wanted = size_t(rule.perSecond * seconds);
  for (const Position* p : candidates) {
    if (chosen.size() >= wanted) break;
    auto after = taken.lower_bound(p->ms - rule.minGapMs + 1e-6);
    if (after != taken.end() && *after < p->ms + rule.minGapMs - 1e-6) continue;
    taken.insert(p->ms);
    chosen.push_back(*p);
  }
  std::sort(chosen.begin(), chosen.end(), [](const Position& a, const Position& b) { return a.ms < b.ms; });
  return chosen;
}

}  // namespace

void ChooseSteps(const AudioAnalysis& analysis, const BeatGrid& grid, std::vector<TimedNote> (&levels)[kLevels]) {
  std::vector<Position> positions = Positions(analysis, grid);
  for (auto& notes : levels) notes.clear();
  if (positions.empty()) return;
  double seconds = (positions.back().ms - positions.front().ms) / 1000.0;
  bool fastBeats = 1000.0 / grid.beatMs > kFastestStandardBeats;
  std::vector<Position> below;
  for (int level = 0; level < kLevels; ++level) {
    const LevelRule& rule = kRules[level];
    int parity = level == 0 && fastBeats ? StrongerBeats(analysis, grid) : -1;
    std::vector<Position> chosen = Choose(positions, below, rule, seconds, parity);
    Feet feet(rule, 0x5EED0u + uint32_t(level));
    int lastDoubleBeat = -(1 << 20);
    for (const Position& p : chosen) {
      bool accent = p.kind == kBeat && p.strength >= rule.doubleFloor && p.beat - lastDoubleBeat >= rule.doubleEveryBeats &&
                    (!rule.barStartDoubles || p.beat % 4 == 0);
      uint8_t lanes = accent ? feet.Double(p.ms) : feet.Single(p.ms);
      if (accent) lastDoubleBeat = p.beat;
      levels[level].push_back({p.ms, lanes});
    }
    below = std::move(chosen);
  }
}
