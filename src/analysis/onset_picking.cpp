// onset_picking.cpp -- peaks of the flux above a moving average, each timed by the signal's attack.
#include "analysis/onset_picking.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPeakSpanMs = 30.0;     // a peak is the highest this far either side
constexpr double kAverageBeforeMs = 100.0;
constexpr double kAverageAfterMs = 70.0;
constexpr double kThresholdShare = 0.5;  // of the song's mean flux, above the local average
constexpr double kLoudShare = 0.2;       // or of its loud frames' (the 95th percentile), if more
constexpr double kWeakShare = 0.15;      // onsets weaker than this share of the strong ones' are noise
constexpr double kAttackBeforeMs = 30.0; // where in the window the attack is looked for
constexpr double kAttackAfterMs = 12.0;
constexpr int kAttackHistory = 4;        // blocks the rise is measured against

int Frames(double ms) { return int(std::lround(ms / kEnvelopeHopMs)); }

// The block in [from, to) whose energy rises most over the mean of the blocks before it.
double AttackMs(const std::vector<float>& energy, double fromMs, double toMs, double fallbackMs) {
  constexpr double kBlockMs = 1000.0 * kAttackBlock / kAnalysisRate;
  long from = std::max(long(kAttackHistory), long(std::floor(fromMs / kBlockMs)));
  long to = std::min(long(energy.size()), long(std::ceil(toMs / kBlockMs)));
  double best = 0;
  double at = fallbackMs;
  for (long i = from; i < to; ++i) {
    double before = 0;
    for (int k = 1; k <= kAttackHistory; ++k) before += energy[size_t(i - k)];
    before /= kAttackHistory;
    double rise = (energy[size_t(i)] + 1e-7) / (before + 1e-7);
    if (rise > best) {
      best = rise;
      at = double(i) * kBlockMs;
    }
  }
  return at;
}

}  // namespace

std::vector<Onset> PickOnsets(const std::vector<float>& envelope, const std::vector<float>& attackEnergy) {
  std::vector<Onset> onsets;
  long count = long(envelope.size());
  if (count == 0) return onsets;
  double mean = 0;
  for (float value : envelope) mean += value;
  mean /= double(count);
  std::vector<float> sorted(envelope);
  std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size() * 95 / 100), sorted.end());
  double loud = sorted[sorted.size() * 95 / 100];
  // Quiet songs and sparse ones alike: noise between the notes is no onset.
  double delta = std::max(kThresholdShare * mean, kLoudShare * loud);
  int span = Frames(kPeakSpanMs);
  int before = Frames(kAverageBeforeMs);
  int after = Frames(kAverageAfterMs);
  // Running sums for the moving average.
  std::vector<double> sums(size_t(count) + 1, 0.0);
  for (long i = 0; i < count; ++i) sums[size_t(i) + 1] = sums[size_t(i)] + envelope[size_t(i)];
  double lastMs = -1e9;
  for (long n = 0; n < count; ++n) {
    float value = envelope[size_t(n)];
    if (!(value > 0)) continue;
    long a = std::max(0L, n - span);
    long b = std::min(count - 1, n + span);
    bool peak = true;
    for (long i = a; i <= b && peak; ++i) {
      // Of equal values in a plateau, the first is the peak.
      peak = envelope[size_t(i)] < value || (envelope[size_t(i)] == value && i >= n);
    }
    if (!peak) continue;
    long from = std::max(0L, n - before);
    long to = std::min(count, n + after + 1);
    double local = (sums[size_t(to)] - sums[size_t(from)]) / double(to - from);
    if (value < local + delta) continue;
    double frameMs = double(n) * kEnvelopeHopMs;
    double ms = AttackMs(attackEnergy, frameMs - kAttackBeforeMs, frameMs + kAttackAfterMs, frameMs);
    if (ms - lastMs < kPeakSpanMs) continue;
    onsets.push_back({ms, value});
    lastMs = ms;
  }
  // Against the song's strong onsets (the 90th percentile), the faint ones
  // between notes are noise and tails.
  if (onsets.empty()) return onsets;
  std::vector<float> strengths;
  for (const Onset& onset : onsets) strengths.push_back(onset.strength);
  std::nth_element(strengths.begin(), strengths.begin() + long(strengths.size() * 9 / 10), strengths.end());
  float floor = float(kWeakShare) * strengths[strengths.size() * 9 / 10];
  onsets.erase(std::remove_if(onsets.begin(), onsets.end(), [floor](const Onset& o) { return o.strength < floor; }),
               onsets.end());
  return onsets;
}
