// beat_grid.cpp -- tempo and phase from the tracker's beats and the onsets near them.
#include "beat_grid.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr size_t kFewestBeats = 8;
constexpr double kSearchFromBpm = 60.0;
constexpr double kSearchToBpm = 240.0;
constexpr double kSearchStep = 1.0005;  // 0.05 % from one tried tempo to the next
constexpr double kSlowestBpm = 90.0;    // slower tempos are taken at double time
constexpr double kFastestBpm = 180.0;   // faster ones at half time
constexpr double kPi = 3.14159265358979323846;

// How well the onsets line up at `period`: the length of the mean of their
// phases as unit vectors, weighted by strength (1 when all line up), and
// the phase of a beat in ms.
double Alignment(const std::vector<Onset>& onsets, double period, double& phase) {
  double re = 0, im = 0, total = 0;
  for (const Onset& onset : onsets) {
    double angle = 2 * kPi * onset.ms / period;
    re += onset.strength * std::cos(angle);
    im += onset.strength * std::sin(angle);
    total += onset.strength;
  }
  phase = std::atan2(im, re) / (2 * kPi) * period;
  return total > 0 ? std::hypot(re, im) / total : 0;
}

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// Least-squares line time = phase + index * period through (index, time).
struct Line {
  double phase = 0;
  double period = 0;
};

bool FitLine(const std::vector<std::pair<double, double>>& points, const std::vector<double>& weights, Line& line) {
  double sw = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (size_t i = 0; i < points.size(); ++i) {
    double w = weights[i];
    sw += w;
    sx += w * points[i].first;
    sy += w * points[i].second;
    sxx += w * points[i].first * points[i].first;
    sxy += w * points[i].first * points[i].second;
  }
  double det = sw * sxx - sx * sx;
  if (points.size() < 2 || !(std::fabs(det) > 1e-9)) return false;
  line.period = (sw * sxy - sx * sy) / det;
  line.phase = (sy - line.period * sx) / sw;
  return line.period > 0;
}

// The onsets within a sixth of a beat of the grid's beats, as (beat index,
// time), weighted by strength; refits the line through them.
void RefineWithOnsets(const std::vector<Onset>& onsets, float floor, Line& line) {
  for (int pass = 0; pass < 3; ++pass) {
    std::vector<std::pair<double, double>> points;
    std::vector<double> weights;
    for (const Onset& onset : onsets) {
      if (onset.strength < floor) continue;
      double index = std::round((onset.ms - line.phase) / line.period);
      if (std::fabs(onset.ms - (line.phase + index * line.period)) > line.period / 6) continue;
      points.emplace_back(index, onset.ms);
      weights.push_back(onset.strength);
    }
    Line refined;
    if (points.size() < kFewestBeats || !FitLine(points, weights, refined)) return;
    line = refined;
  }
}

// Sum of strengths of onsets within an eighth of a beat of the grid shifted by `shift` beats.
double StrengthOnGrid(const std::vector<Onset>& onsets, const Line& line, double shift) {
  double sum = 0;
  for (const Onset& onset : onsets) {
    double position = (onset.ms - line.phase) / line.period - shift;
    if (std::fabs(position - std::round(position)) < 0.125) sum += onset.strength;
  }
  return sum;
}

// Beats followed one by one where the tempo drifts: from the strongest
// onset of the music's first bars, each next beat is expected one period
// on; the strongest onset within a sixth of a beat of that is the beat (else
// the expected time), and the period follows the beats found.
std::vector<double> FollowBeats(const std::vector<Onset>& onsets, double period, float floor) {
  std::vector<double> beats;
  auto strong = [&](const Onset& o) { return o.strength >= floor; };
  auto first = std::find_if(onsets.begin(), onsets.end(), strong);
  if (first == onsets.end()) return beats;
  auto start = first;
  for (auto o = first; o != onsets.end() && o->ms < first->ms + 8 * period; ++o) {
    if (o->strength > start->strength) start = o;
  }
  // Back to the music's start, then forward to its end.
  double beat = start->ms;
  while (beat - period >= first->ms - period / 4) beat -= period;
  double last = onsets.back().ms + period / 4;
  double local = period;
  for (; beat <= last; beat += local) {
    double found = beat;
    float best = floor;
    auto o = std::lower_bound(onsets.begin(), onsets.end(), beat - period / 6,
                              [](const Onset& x, double t) { return x.ms < t; });
    for (; o != onsets.end() && o->ms <= beat + period / 6; ++o) {
      if (o->strength >= best) {
        best = o->strength;
        found = o->ms;
      }
    }
    if (!beats.empty() && found != beat) local = 0.75 * local + 0.25 * (found - beats.back());
    beats.push_back(found);
    beat = found;
  }
  return beats;
}

}  // namespace

bool FitBeatGrid(const AudioAnalysis& analysis, BeatGrid& grid, std::string& error) {
  if (analysis.onsets.size() < kFewestBeats) {
    error = "no steady beat found: the audio is silent, too short or has no rhythm";
    return false;
  }
  Line line;
  double best = -1;
  for (double bpm = kSearchFromBpm; bpm <= kSearchToBpm; bpm *= kSearchStep) {
    double phase = 0;
    double alignment = Alignment(analysis.onsets, 60000.0 / bpm, phase);
    if (alignment > best) {
      best = alignment;
      line.period = 60000.0 / bpm;
      line.phase = phase;
    }
  }
  while (60000.0 / line.period < kSlowestBpm) line.period *= 0.5;
  while (60000.0 / line.period >= kFastestBpm) {
    line.period *= 2;
    // Of the two phases an old period apart, the one with stronger onsets.
    Line other = line;
    other.phase += line.period / 2;
    if (StrengthOnGrid(analysis.onsets, other, 0.0) > StrengthOnGrid(analysis.onsets, line, 0.0)) line = other;
  }
  // Then the stronger half of the onsets fix it; the beat falls where the
  // onsets are stronger, not on the off-beat between.
  std::vector<double> strengths;
  for (const Onset& onset : analysis.onsets) strengths.push_back(onset.strength);
  float floor = float(Median(strengths));
  RefineWithOnsets(analysis.onsets, floor, line);
  if (StrengthOnGrid(analysis.onsets, line, 0.5) > StrengthOnGrid(analysis.onsets, line, 0.0)) {
    line.phase += line.period / 2;
    RefineWithOnsets(analysis.onsets, floor, line);
  }
  grid.beatMs = line.period;
  // Steady when most strong onsets lie on the grid's eighths.
  int strong = 0;
  int onGrid = 0;
  for (const Onset& onset : analysis.onsets) {
    if (onset.strength < floor) continue;
    ++strong;
    double position = (onset.ms - line.phase) / (line.period / 2);
    if (std::fabs(position - std::round(position)) < 0.25) ++onGrid;
  }
  grid.steady = onGrid * 10 >= strong * 7;
  grid.beatsMs.clear();
  double first = analysis.onsets.front().ms - line.period / 4;
  double last = analysis.onsets.back().ms + line.period / 4;
  if (grid.steady) {
    double index = std::ceil((first - line.phase) / line.period);
    for (double t = line.phase + index * line.period; t <= last; t = line.phase + (++index) * line.period) {
      grid.beatsMs.push_back(t);
    }
  } else {
    grid.beatsMs = FollowBeats(analysis.onsets, line.period, floor);
  }
  if (grid.beatsMs.size() < kFewestBeats) {
    error = "no steady beat found: the audio is silent, too short or has no rhythm";
    return false;
  }
  return true;
}
