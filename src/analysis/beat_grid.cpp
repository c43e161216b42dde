// beat_grid.cpp -- tempogram, octave choice, dynamic-programming beats, phase, and one line through them.
#include "analysis/beat_grid.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

constexpr size_t kFewestBeats = 8;
constexpr double kSlowestBpm = 60.0;
constexpr double kFastestBpm = 240.0;
constexpr double kTempoStep = 1.005;         // 0.5 % from one tried tempo to the next
constexpr double kTempogramWindowS = 8.0;
constexpr double kGappedPulse = 0.45;        // heard at a third of its rate this strongly: a beat in thirds
constexpr double kDancerToBpm = 180.0;       // faster pulses are taken at half or a third
constexpr double kTightness = 400.0;         // how dearly a beat pays for straying from the tempo
constexpr double kSnapMs = 20.0;             // a beat this close to an onset takes the onset's time
constexpr double kOnLineMs = 20.0;           // a stretch whose onsets gather this close to the line keeps to it
constexpr double kSteadyShare = 0.7;         // of the song's stretches on the line, for one grid
constexpr double kStretchBeats = 16;
constexpr size_t kGapSpan = 4;              // beats either side a drifting beat's gap is averaged over
constexpr double kFitSpan = 0.006;           // the line's period, within this of the tempo found
constexpr double kFitStep = 0.00005;         // from one tried period to the next
constexpr double kFoldBinMs = 2.0;
constexpr double kFoldReachMs = 12.0;
constexpr double kPi = 3.14159265358979323846;

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
  return values[values.size() / 2];
}

// The envelope less its moving average over a second, rectified and scaled
// to unit deviation: what stands out of the music around it.
std::vector<double> Novelty(const std::vector<float>& envelope) {
  size_t n = envelope.size();
  std::vector<double> sums(n + 1, 0.0);
  for (size_t i = 0; i < n; ++i) sums[i + 1] = sums[i] + envelope[i];
  long half = long(std::lround(500.0 / kEnvelopeHopMs));
  std::vector<double> novelty(n);
  double squares = 0;
  for (size_t i = 0; i < n; ++i) {
    size_t from = size_t(std::max(0L, long(i) - half));
    size_t to = std::min(n, i + size_t(half) + 1);
    double mean = (sums[to] - sums[from]) / double(to - from);
    novelty[i] = std::max(0.0, envelope[i] - mean);
    squares += novelty[i] * novelty[i];
  }
  double deviation = std::sqrt(squares / double(std::max<size_t>(1, n)));
  if (deviation > 0) {
    for (double& value : novelty) value /= deviation;
  }
  return novelty;
}

// Tempo salience: for each tried tempo (kSlowestBpm up to twice
// kFastestBpm, so that a fast beat's eighths can be heard too), the magnitude of
// the novelty's Fourier transform at that rate, in Hann windows of
// kTempogramWindowS half overlapping, summed over the song.
struct Salience {
  std::vector<double> bpm;
  std::vector<double> value;
};

Salience TempoSalience(const std::vector<double>& novelty) {
  Salience s;
  for (double bpm = kSlowestBpm; bpm <= 2 * kFastestBpm; bpm *= kTempoStep) s.bpm.push_back(bpm);
  s.value.assign(s.bpm.size(), 0.0);
  size_t length = std::min(novelty.size(), size_t(kTempogramWindowS * 1000.0 / kEnvelopeHopMs));
  if (length < 2) return s;
  std::vector<double> hann(length);
  for (size_t i = 0; i < length; ++i) hann[i] = 0.5 - 0.5 * std::cos(2 * kPi * (double(i) + 0.5) / double(length));
  for (size_t start = 0; start + length <= novelty.size(); start += length / 2) {
    for (size_t t = 0; t < s.bpm.size(); ++t) {
      double cycles = s.bpm[t] / 60000.0 * kEnvelopeHopMs;  // per frame
      std::complex<double> turn = std::polar(1.0, -2 * kPi * cycles);
      std::complex<double> phase = 1.0;
      std::complex<double> sum = 0.0;
      for (size_t i = 0; i < length; ++i) {
        sum += novelty[start + i] * hann[i] * phase;
        phase *= turn;
      }
      s.value[t] += std::abs(sum);
    }
  }
  return s;
}

// The highest salience within 2 % of `bpm`, and where it is.
double PeakNear(const Salience& s, double bpm, double& peakBpm) {
  double best = -1;
  peakBpm = bpm;
  for (size_t t = 0; t < s.bpm.size(); ++t) {
    if (s.bpm[t] < bpm / 1.02 || s.bpm[t] > bpm * 1.02) continue;
    if (s.value[t] > best) {
      best = s.value[t];
      peakBpm = s.bpm[t];
    }
  }
  return std::max(0.0, best);
}

// The beat a dancer steps to. An onset envelope is a train of pulses, so
// its salience is as high at the eighths and sixteenths as at the beat; the
// beat is found by walking down the metre instead: from the strongest pulse
// (up to twice kFastestBpm) to its half, until the level is no faster than
// kDancerToBpm. A pulse with every third onset missing (swung eighths, 12/8)
// is heard strongly at a third of its rate: its beat is that third. (A fast
// 3/4 is heard at a third too, but weakly, from the accent on each bar.)
double ChooseTempo(const Salience& s) {
  auto strongest = std::max_element(s.value.begin(), s.value.end());
  if (strongest == s.value.end() || !(*strongest > 0)) return 0;
  double level = s.bpm[size_t(strongest - s.value.begin())];
  while (level > kDancerToBpm) {
    double half = 0, third = 0, here = 0;
    double levelHeard = PeakNear(s, level, here);
    double halfHeard = PeakNear(s, level / 2, half);
    double thirdHeard = level / 3 >= kSlowestBpm ? PeakNear(s, level / 3, third) : 0;
    level = thirdHeard > halfHeard && thirdHeard >= kGappedPulse * levelHeard ? third : half;
  }
  return level;
}

// The chain of frames with the most novelty whose gaps stay nearest
// `period` frames: each frame's best score is its novelty plus the best of
// the frames half a period to two periods before it, less a penalty for
// how far the gap strays from the period (in octaves, squared).
std::vector<long> TrackBeats(const std::vector<double>& novelty, double period) {
  long n = long(novelty.size());
  long shortest = std::max(1L, long(std::lround(period / 2)));
  long longest = long(std::lround(period * 2));
  std::vector<double> penalty(size_t(longest) + 1, 0.0);
  for (long gap = shortest; gap <= longest; ++gap) {
    double stray = std::log(double(gap) / period);
    penalty[size_t(gap)] = kTightness * stray * stray;
  }
  std::vector<double> score(size_t(n), 0.0);
  std::vector<long> from(size_t(n), -1);
  for (long t = 0; t < n; ++t) {
    double best = 0;  // or the chain starts here
    for (long gap = shortest; gap <= longest && gap <= t; ++gap) {
      double value = score[size_t(t - gap)] - penalty[size_t(gap)];
      if (value > best) {
        best = value;
        from[size_t(t)] = t - gap;
      }
    }
    score[size_t(t)] = novelty[size_t(t)] + best;
  }
  // The chain ends at the best frame of the last period.
  long end = -1;
  for (long t = std::max(0L, n - long(std::lround(period))); t < n; ++t) {
    if (end < 0 || score[size_t(t)] > score[size_t(end)]) end = t;
  }
  std::vector<long> beats;
  for (long t = end; t >= 0; t = from[size_t(t)]) beats.push_back(t);
  std::reverse(beats.begin(), beats.end());
  return beats;
}

double OnsetTimeNear(const std::vector<Onset>& onsets, double ms) {
  auto after = std::lower_bound(onsets.begin(), onsets.end(), ms, [](const Onset& o, double t) { return o.ms < t; });
  double best = ms;
  double distance = kSnapMs;
  if (after != onsets.end() && after->ms - ms <= distance) {
    best = after->ms;
    distance = after->ms - ms;
  }
  if (after != onsets.begin() && ms - (after - 1)->ms < distance) best = (after - 1)->ms;
  return best;
}

// The strongest flux of `band` within a frame of `ms`.
double FluxAt(const std::vector<float>& band, double ms) {
  long frame = long(std::lround(ms / kEnvelopeHopMs));
  double best = 0;
  for (long f = frame - 1; f <= frame + 1; ++f) {
    if (f >= 0 && f < long(band.size())) best = std::max(best, double(band[size_t(f)]));
  }
  return best;
}

// One grid for the whole song: the period within kFitSpan of the tempo
// found and the phase at which the onsets, by strength, fall closest to
// its beats. Each tried period folds the onsets' times into one beat
// (bins of kFoldBinMs) and smooths the fold with a triangle of
// kFoldReachMs; the highest point is the phase.
struct Line {
  double phase = 0;
  double period = 0;
  double onLine = 0;  // share of the song's stretches that keep to it
};

Line FitLine(const std::vector<Onset>& onsets, double period) {
  Line line;
  double best = -1;
  std::vector<double> fold;
  std::vector<double> smooth;
  int reach = int(kFoldReachMs / kFoldBinMs);
  for (double tried = period / (1 + kFitSpan); tried <= period * (1 + kFitSpan); tried *= 1 + kFitStep) {
    size_t bins = size_t(tried / kFoldBinMs);
    fold.assign(bins, 0.0);
    for (const Onset& onset : onsets) {
      double at = std::fmod(onset.ms, tried) / kFoldBinMs;
      fold[std::min(bins - 1, size_t(at))] += onset.strength;
    }
    for (size_t i = 0; i < bins; ++i) {
      double sum = 0;
      for (int k = -reach; k <= reach; ++k) {
        sum += fold[(i + bins + size_t(long(k) + long(bins))) % bins] * double(reach + 1 - std::abs(k));
      }
      if (sum > best) {
        best = sum;
        line.period = tried;
        line.phase = (double(i) + 0.5) * kFoldBinMs;
      }
    }
  }
  return line;
}

// Moves the line onto the onsets near its beats, by least squares.
void RefineLine(const std::vector<Onset>& onsets, Line& line) {
  for (int pass = 0; pass < 2; ++pass) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Onset& onset : onsets) {
      double index = std::round((onset.ms - line.phase) / line.period);
      if (std::fabs(onset.ms - (line.phase + index * line.period)) > kFoldReachMs) continue;
      double w = onset.strength;
      n += w;
      sx += w * index;
      sy += w * onset.ms;
      sxx += w * index * index;
      sxy += w * index * onset.ms;
    }
    double det = n * sxx - sx * sx;
    if (!(det > 0)) return;
    double period = (n * sxy - sx * sy) / det;
    if (!(period > 0)) return;
    line.period = period;
    line.phase = (sy - period * sx) / n;
  }
}

// The onsets' strength near the line's eighths, each weighed by a triangle of kFoldReachMs.
double StrengthOnEighths(const std::vector<Onset>& onsets, const Line& line) {
  double eighth = line.period / 2;
  double sum = 0;
  for (const Onset& onset : onsets) {
    double position = (onset.ms - line.phase) / eighth;
    double off = std::fabs(position - std::round(position)) * eighth;
    if (off < kFoldReachMs) sum += onset.strength * (1 - off / kFoldReachMs);
  }
  return sum;
}

// The share of the song the line keeps to: in stretches of kStretchBeats,
// the offset from the line's eighths at which the onsets, by strength,
// gather most (each weighed by a triangle of kFoldReachMs), within
// kOnLineMs. Stretches with few onsets (a break) have no say.
double ShareOfStretchesOnLine(const std::vector<Onset>& onsets, const Line& line) {
  double eighth = line.period / 2;
  int counted = 0, on = 0;
  auto from = onsets.begin();
  while (from != onsets.end()) {
    double end = from->ms + kStretchBeats * line.period;
    auto to = from;
    while (to != onsets.end() && to->ms < end) ++to;
    if (to - from >= long(kStretchBeats)) {
      double best = -1, bestOffset = 0;
      for (double offset = -eighth / 2; offset < eighth / 2; offset += 1.0) {
        double sum = 0;
        for (auto o = from; o != to; ++o) {
          double position = (o->ms - line.phase - offset) / eighth;
          double off = std::fabs(position - std::round(position)) * eighth;
          if (off < kFoldReachMs) sum += o->strength * (1 - off / kFoldReachMs);
        }
        if (sum > best) {
          best = sum;
          bestOffset = offset;
        }
      }
      ++counted;
      on += std::fabs(bestOffset) <= kOnLineMs;
    }
    from = to;
  }
  return counted == 0 ? 0 : double(on) / counted;
}

// The beats one by one, for a song that keeps to no one grid: followed by
// dynamic programming over the novelty, each moved onto a close onset, only
// between `first` and `last`.
std::vector<double> FollowBeats(const AudioAnalysis& analysis, const std::vector<double>& novelty, double bpm,
                                double first, double last) {
  double period = 60000.0 / bpm / kEnvelopeHopMs;
  std::vector<double> beats;
  for (long frame : TrackBeats(novelty, period)) {
    beats.push_back(OnsetTimeNear(analysis.onsets, double(frame) * kEnvelopeHopMs));
  }
  beats.erase(std::remove_if(beats.begin(), beats.end(), [&](double b) { return b < first || b > last; }),
              beats.end());
  // The followed beat or the eighth between: where the mid band is stronger.
  const std::vector<float>& mid = analysis.flux[kMidBand];
  double onBeats = 0, between = 0;
  for (size_t i = 0; i + 1 < beats.size(); ++i) {
    onBeats += FluxAt(mid, beats[i]);
    between += FluxAt(mid, (beats[i] + beats[i + 1]) / 2);
  }
  if (between > onBeats) {
    std::vector<double> shifted;
    for (size_t i = 0; i + 1 < beats.size(); ++i) {
      shifted.push_back(OnsetTimeNear(analysis.onsets, (beats[i] + beats[i + 1]) / 2));
    }
    beats.swap(shifted);
  }
  return beats;
}

}  // namespace

bool FitBeatGrid(const AudioAnalysis& analysis, BeatGrid& grid, std::string& error) {
  const char* noBeat = "no steady beat found: the audio is silent, too short or has no rhythm";
  if (analysis.onsets.size() < kFewestBeats) {
    error = noBeat;
    return false;
  }
  std::vector<double> novelty = Novelty(analysis.envelope);
  double bpm = ChooseTempo(TempoSalience(novelty));
  if (!(bpm > 0)) {
    error = noBeat;
    return false;
  }
  // Only the music's stretch: from its first onset to its last.
  double first = analysis.onsets.front().ms - kSnapMs;
  double last = analysis.onsets.back().ms + kSnapMs;
  Line line = FitLine(analysis.onsets, 60000.0 / bpm);
  // The eighths where the onsets are: the fold's, or a sixteenth on (a
  // drummer's sixteenths can outweigh the beat in the fold).
  Line sixteenthOn = line;
  sixteenthOn.phase += line.period / 4;
  if (StrengthOnEighths(analysis.onsets, sixteenthOn) > StrengthOnEighths(analysis.onsets, line)) line = sixteenthOn;
  RefineLine(analysis.onsets, line);
  line.onLine = ShareOfStretchesOnLine(analysis.onsets, line);
  grid.steady = line.period > 0 && line.onLine >= kSteadyShare;
  grid.beatsMs.clear();
  if (grid.steady) {
    grid.beatMs = line.period;
    double index = std::ceil((first - line.phase) / line.period);
    for (double t = line.phase + index * line.period; t <= last; t = line.phase + (++index) * line.period) {
      grid.beatsMs.push_back(t);
    }
  } else {
    std::vector<double> beats = FollowBeats(analysis, novelty, bpm, first, last);
    // The main tempo: the median of the gaps, each the mean of the eight
    // around it, so that an onset a millisecond off does not move it.
    std::vector<double> gaps;
    for (size_t i = kGapSpan; i + kGapSpan < beats.size(); ++i) {
      gaps.push_back((beats[i + kGapSpan] - beats[i - kGapSpan]) / (2 * kGapSpan));
    }
    grid.beatMs = Median(gaps);
    grid.beatsMs = beats;
  }
  if (grid.beatsMs.size() < kFewestBeats || !(grid.beatMs > 0)) {
    error = noBeat;
    return false;
  }
  return true;
}
