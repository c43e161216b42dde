// live_chart.cpp -- onsets from the host's sound windows, the beat tracked as it comes, arrows a rise ahead.
#include "live/live_chart.h"

#include <kissfft.hh>

#include <algorithm>
#include <cmath>
#include <complex>
#include <iterator>
#include <limits>

#include "chart/msd_format.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kLiveLevels = 3;  // 0 Standard, 1 Advanced, 2 Expert

// The spectrum of a window: 288 bins, grouped into bands about half an
// octave wide (at 44.1 kHz a bin is 76.6 Hz, so the lowest bands are one bin).
constexpr int kSpectrumBins = kWaveformSamples / 2;
constexpr int kBands = 16;
constexpr int kBandEdges[kBands + 1] = {1, 2, 3, 4, 6, 8, 11, 15, 21, 29, 41, 57, 81, 114, 161, 227, kSpectrumBins};
constexpr double kSilentLevel = 1.5 / 128;  // RMS below this (in 8-bit samples) is silence

// The onset envelope: a point every 10 ms in a ring of 10.24 s.
constexpr double kPointMs = 10;
constexpr int kPoints = 1024;
constexpr double kLongestGapMs = 250;  // frames further apart leave silence between them

// The estimates.
constexpr int kWindowPoints = 800;       // they read the last 8 s
constexpr int kFirstEstimatePoints = 300;  // once 3 s are heard
constexpr double kEstimateEveryMs = 250;
constexpr int kFastestLag = 33;          // 180 BPM, in points
constexpr int kSlowestLag = 100;         // 60 BPM
constexpr int kHarmonics = 4;            // a beat's lag and its multiples
constexpr int kLongestLag = kHarmonics * kSlowestLag;
constexpr double kLagStep = 0.25;        // lags tried, in points
constexpr double kPreferredLag = 50;     // 120 BPM...
constexpr double kPreferenceOctaves = 0.7;  // ...give or take this
constexpr double kPhaseStepMs = 5;
constexpr double kBeatWeight = 0.97;     // each beat back counts this much less

// The lock.
constexpr double kMinPeriodicity = 0.14;  // the autocorrelation at the beat, to lock on it
constexpr double kAgreeShare = 0.02;      // five estimates in a row agreeing within 2 % lock...
constexpr int kEstimatesToLock = 5;
constexpr double kLockHeardMs = 5000;     // ...once 5 s are heard
constexpr double kKeepShare = 0.04;       // the locked tempo holds within 4 %...
constexpr double kSameBeat[] = {1, 0.5, 2};  // ...of the beat, its half or double
constexpr double kCrossBeat[] = {0.75, 4.0 / 3};  // ...or of a dotted eighth or a half-note triplet
constexpr double kStillHeardShare = 0.8;  // while the beat itself keeps 80 % of their periodicity
constexpr int kDisagreementsToLose = 12;  // three seconds of estimates that do not
constexpr double kPhaseGain = 0.3;        // of the estimate's phase taken at each estimate
constexpr double kPeriodGain = 0.02;      // of its lead or lag taken into the period
constexpr double kCombPeriodGain = 0.05;  // of the comb's period at the locked beat taken
constexpr int kPhaseJumps = 3;            // estimates off the beat before the phase follows them
constexpr double kSilenceToLoseMs = 1500;

// The arrows.
constexpr double kRisePixels = kOnTargetTravel - kSpawnTravel;
constexpr int kSpeedFrames = 128;  // about the time an arrow rises: 3 s
constexpr double kMinGapMs[kLiveLevels] = {450, 250, 110};
// Standard takes every beat up to two a second (a little more, for the
// estimate's wobble at 120 BPM), every other beat above.
constexpr double kEveryBeatFromMs = 495;
constexpr int kSubdivisions[kLiveLevels] = {1, 2, 4};
constexpr double kLaneAgainMs = 150;
constexpr double kKnownMarginMs = 20;  // a bar back must lie this far in the past
constexpr double kLateGridMs = 8;  // how far the frames may jump past a grid point that is still taken

constexpr double kNever = -std::numeric_limits<double>::infinity();
constexpr int64_t kNoIndex = std::numeric_limits<int64_t>::min();

}  // namespace

struct LiveChart::State {
  kissfft<float> fft{kSpectrumBins, false};
  float hann[kWaveformSamples];
  float windowed[kWaveformSamples];
  std::complex<float> spectrum[kSpectrumBins];
  float bands[kBands] = {};

  // The envelope: point p (p * 10 ms of song time) at envelope[p % kPoints].
  float envelope[kPoints] = {};
  int64_t newestPoint = -1;
  double lastOnsetMs = 0;  // the latest frame's time and strength
  float lastFlux = 0;
  bool heardAny = false;
  int32_t lastPosition = 0;
  bool positioned = false;

  // What is listened to now: from this point and song time on.
  int64_t listenPoint = 0;
  double listenMs = 0;
  bool listenStarted = false;
  double silentMs = 0;
  double nextEstimateMs = 0;
  double agreedPeriodMs = 0;
  int agreeing = 0;

  // The lock.
  bool locked = false;
  double periodMs = 0;
  double anchorMs = 0;  // a beat...
  int64_t anchorBeat = 0;  // ...and its count from the lock, for every other beat
  bool everyBeat = true;   // Standard: every beat, or (faster than two a second) every other
  int disagreements = 0;
  int phaseOff = 0;
  float onsetLevel = 0;  // an envelope point above this is an onset

  // The arrows.
  int64_t lastIndex = kNoIndex;  // the grid point last taken, counted from the lock...
  int lastSub = 1;                // ...in points a beat of this many
  double lastArrowMs = kNever;
  int32_t rises[kSpeedFrames] = {};      // pixels the arrows rose at each of the latest frames...
  int32_t positions[kSpeedFrames] = {};  // ...and the song's position there
  int speedFrames = 0;
  int lastFoot = 1;
  int footLane[2] = {0, 3};
  double laneAtMs[kLaneCount] = {kNever, kNever, kNever, kNever};
  uint32_t random = 1;

  // The estimates' scratch.
  float window[kWindowPoints];
  double correlation[kLongestLag + 1];

  State() {
    for (int i = 0; i < kWaveformSamples; ++i)
      hann[i] = float(0.5 - 0.5 * std::cos(2 * kPi * (i + 0.5) / kWaveformSamples));
    // The transform sets up its scratch on its first use, not on a frame's.
    std::fill(windowed, windowed + kWaveformSamples, 0.0f);
    fft.transform_real(windowed, spectrum);
  }

  void Restart() {
    std::fill(envelope, envelope + kPoints, 0.0f);
    std::fill(bands, bands + kBands, 0.0f);
    newestPoint = -1;
    heardAny = positioned = false;
    speedFrames = 0;
    ListenAgain(0);
    listenStarted = false;
  }

  // Listens afresh from song time `ms`: what came before is another song's.
  void ListenAgain(double ms) {
    listenPoint = std::max(newestPoint + 1, int64_t(std::max(0.0, ms) / kPointMs));
    listenMs = ms;
    listenStarted = true;
    silentMs = 0;
    nextEstimateMs = ms;
    agreeing = 0;
    locked = false;
    disagreements = phaseOff = 0;
    lastIndex = kNoIndex;
    lastArrowMs = kNever;
  }

  float& At(int64_t point) { return envelope[size_t(point % kPoints)]; }

  // The envelope at song time `ms`, between its points; 0 outside what is heard.
  float EnvelopeAt(double ms) {
    double exact = ms / kPointMs;
    int64_t point = int64_t(std::floor(exact));
    if (point < listenPoint || point + 1 > newestPoint) return 0;
    float share = float(exact - double(point));
    return At(point) * (1 - share) + At(point + 1) * share;
  }

  // The window's onset strength: the rise of its bands' log levels over the
  // previous window's. Sets `silent`.
  float Flux(const LiveSound& sound, bool& silent) {
    bool stereo = sound.channels != 1;
    double energy = 0;
    for (int i = 0; i < kWaveformSamples; ++i) {
      float x = stereo ? (float(sound.waveform[0][i]) + float(sound.waveform[1][i])) * (0.5f / 128)
                       : float(sound.waveform[0][i]) * (1.0f / 128);
      energy += double(x) * x;
      windowed[i] = x * hann[i];
    }
    silent = std::sqrt(energy / kWaveformSamples) < kSilentLevel;
    fft.transform_real(windowed, spectrum);
    float flux = 0;
    for (int b = 0; b < kBands; ++b) {
      float power = 0;
      for (int k = kBandEdges[b]; k < kBandEdges[b + 1]; ++k) power += std::norm(spectrum[k]);
      float level = std::log1p(std::sqrt(power / float(kBandEdges[b + 1] - kBandEdges[b])));
      flux += std::max(0.0f, level - bands[b]);
      bands[b] = level;
    }
    return silent ? 0.0f : flux;
  }

  // Lays the frame's strength at `ms` into the envelope, the points since the
  // frame before lying on the line between the two (silence after a gap).
  void Lay(double ms, float flux) {
    int64_t point = int64_t(std::floor(std::max(0.0, ms) / kPointMs));
    if (point > newestPoint) {
      bool joined = heardAny && ms > lastOnsetMs && ms - lastOnsetMs <= kLongestGapMs;
      for (int64_t p = std::max(newestPoint + 1, point - kPoints + 1); p <= point; ++p) {
        double share = joined ? std::clamp((double(p) * kPointMs - lastOnsetMs) / (ms - lastOnsetMs), 0.0, 1.0) : 1.0;
        At(p) = joined ? float(lastFlux + (flux - lastFlux) * share) : p == point ? flux : 0.0f;
      }
      newestPoint = point;
    } else if (point > newestPoint - kPoints) {
      At(point) = std::max(At(point), flux);
    }
    lastOnsetMs = ms;
    lastFlux = flux;
    heardAny = true;
  }

  // The beat's period in the envelope's last `heardMs`, and how periodic it
  // is; false when too little is heard or all of it is silence.
  bool Estimate(double& period, double& periodicity, double& heardMs) {
    int64_t first = std::max(listenPoint, newestPoint - kWindowPoints + 1);
    int n = int(newestPoint - first + 1);
    if (n < kFirstEstimatePoints) return false;
    double mean = 0;
    for (int i = 0; i < n; ++i) mean += (window[i] = At(first + i));
    mean /= n;
    double spread = 0;
    for (int i = 0; i < n; ++i) {
      window[i] = float(window[i] - mean);
      spread += double(window[i]) * window[i];
    }
    if (spread <= 1e-9) return false;
    onsetLevel = float(mean + std::sqrt(spread / n));
    for (int lag = kFastestLag / 2; lag <= kLongestLag; ++lag) {
      double sum = 0;
      for (int i = 0; i + lag < n; ++i) sum += double(window[i]) * window[i + lag];
      correlation[lag] = sum / spread * n / std::max(1, n - lag);
    }
    // The beat's lag: the most correlation at it and its multiples, weighted
    // towards 120 BPM; a quarter of a point apart, as the multiples tell.
    double best = kFastestLag, bestScore = -1e30;
    for (double lag = kFastestLag; lag <= kSlowestLag; lag += kLagStep) {
      double octaves = std::log2(lag / kPreferredLag) / kPreferenceOctaves, sum = 0;
      for (int k = 1; k <= kHarmonics; ++k) sum += CorrelationAt(k * lag) / k;
      double score = std::exp(-0.5 * octaves * octaves) * sum;
      if (score > bestScore) bestScore = score, best = lag;
    }
    period = best * kPointMs;
    periodicity = CorrelationAt(best);
    heardMs = double(n - 1) * kPointMs;
    return true;
  }

  double CorrelationAt(double lag) const {
    int below = std::min(int(lag), kLongestLag - 1);
    double share = lag - below;
    return correlation[below] * (1 - share) + correlation[below + 1] * share;
  }

  // The comb of beats near `coarse` that lies on the most onset strength in
  // the `heardMs` before `end`, recent beats counting most: its period and
  // latest beat.
  void Comb(double coarse, double end, double heardMs, double& period, double& lastBeat) {
    double bestScore = -1, bestPhase = 0;
    period = coarse;
    for (int k = -4; k <= 4; ++k) {
      double candidate = coarse * (1 + 0.0015 * k);
      int beats = int(heardMs / candidate);
      for (double phase = 0; phase < candidate; phase += kPhaseStepMs) {
        double score = 0, weight = 1;
        for (int j = 0; j < beats; ++j, weight *= kBeatWeight) score += weight * EnvelopeAt(end - phase - j * candidate);
        if (score > bestScore) bestScore = score, bestPhase = phase, period = candidate;
      }
    }
    lastBeat = end - bestPhase;
  }

  // One estimate taken: locks, follows the locked beat, or loses it. The
  // comb finds the beat's phase: at the estimate's period before the lock,
  // at the locked period after it, whatever level the estimate heard.
  void Follow(double period, double periodicity, double heardMs, double nowMs, LiveDecision& decision) {
    double end = double(newestPoint) * kPointMs, lastBeat = 0;
    if (!locked) {
      if (periodicity < kMinPeriodicity) {
        agreeing = 0;
        return;
      }
      Comb(period, end, heardMs, period, lastBeat);
      agreeing = agreeing > 0 && std::fabs(period / agreedPeriodMs - 1) < kAgreeShare ? agreeing + 1 : 1;
      agreedPeriodMs = period;
      if (agreeing < kEstimatesToLock || nowMs - listenMs < kLockHeardMs) return;
      locked = true;
      periodMs = period;
      anchorMs = lastBeat;
      anchorBeat = 0;
      everyBeat = period >= kEveryBeatFromMs;
      decision.locked = true;
      decision.bpm = 60000.0 / period;
      decision.lockedAfterMs = int32_t(std::lround(nowMs - listenMs));
      return;
    }
    // The estimate may hear the locked beat, its half or its double, or the
    // dotted eighths and half-note triplets of a syncopated riff, as long as
    // the beat itself still is heard about as strongly; anything else is
    // another tempo.
    double ratio = period / periodMs, lag = periodMs / kPointMs;
    auto closeTo = [ratio](double level) { return std::fabs(ratio / level - 1) < kKeepShare; };
    bool sameMetre = std::any_of(std::begin(kSameBeat), std::end(kSameBeat), closeTo);
    if (!sameMetre && std::any_of(std::begin(kCrossBeat), std::end(kCrossBeat), closeTo)) {
      double beatHeard = std::max({CorrelationAt(lag), CorrelationAt(lag / 2),
                                   CorrelationAt(std::min(2 * lag, double(kLongestLag - 1)))});
      sameMetre = beatHeard >= kStillHeardShare * periodicity;
    }
    if (periodicity < kMinPeriodicity / 2 || !sameMetre) {
      if (++disagreements >= kDisagreementsToLose) {
        ListenAgain(nowMs);
        decision.listening = true;
      }
      return;
    }
    disagreements = 0;
    Comb(periodMs, end, heardMs, period, lastBeat);
    periodMs += kCombPeriodGain * (period - periodMs);
    // The anchor is nudged towards the comb's latest beat, or moved there
    // once the beat has been heard well off it a few times running.
    double beats = std::round((lastBeat - anchorMs) / periodMs);
    double predicted = anchorMs + beats * periodMs;
    double off = lastBeat - predicted;
    if (std::fabs(off) <= periodMs / 6) {
      // A phase that keeps drifting the same way is a period a little off.
      periodMs += kPeriodGain * off;
      anchorMs = predicted + kPhaseGain * off;
      anchorBeat += int64_t(beats);
      phaseOff = 0;
    } else if (++phaseOff >= kPhaseJumps) {
      anchorMs = lastBeat;
      anchorBeat += int64_t(beats);
      phaseOff = 0;
    }
  }

  // Pixels an arrow rises a ms of the song, over the latest frames: an arrow
  // spawned now reaches the target row after kRisePixels / Speed() ms. The
  // song's own positions time them, not the frame intervals, which are whole
  // ms cut short and would make every arrival early on a machine whose frames
  // wander.
  double Speed() const {
    int frames = std::min(speedFrames, kSpeedFrames);
    if (frames >= 2) {
      int newest = (speedFrames - 1) % kSpeedFrames, oldest = (speedFrames - frames) % kSpeedFrames;
      int32_t rise = -rises[oldest];  // the oldest frame's rise came before its position
      for (int i = 0; i < frames; ++i) rise += rises[i];
      int32_t elapsed = positions[newest] - positions[oldest];
      if (elapsed > 0 && rise > 0) return double(rise) / elapsed;
    }
    return double(RiseFor(kPlayerFrameMs)) / kPlayerFrameMs;
  }

  bool OnsetBefore(double gridMs, double nowMs) {
    double bar = 4 * periodMs;
    double back = bar;
    while (gridMs - back > nowMs - kKnownMarginMs) back += bar;
    if (back > 3 * bar) return false;
    double at = gridMs - back;
    float strongest = 0;
    for (int d = -2; d <= 2; ++d) strongest = std::max(strongest, EnvelopeAt(at + d * kPointMs));
    return strongest > onsetLevel;
  }

  // Whether the grid point at `gridMs`, `within` points after beat `beat`,
  // gets an arrow.
  bool Wanted(double gridMs, int64_t beat, int64_t within, int level, double nowMs) {
    if (within == 0 && (everyBeat || (beat & 1) == 0)) return true;
    return level > 0 && OnsetBefore(gridMs, nowMs);
  }

  // A lane for the next foot: the left keeps to left, down and up, the right
  // to down, up and right, never on the other's lane. -1 when none is free.
  int ChooseLane(double gridMs, int level, const bool (&full)[kLaneCount]) {
    static constexpr int kFootLanes[2][3] = {{0, 1, 2}, {3, 2, 1}};  // home lane first
    for (int foot : {1 - lastFoot, lastFoot}) {
      int choices[4], count = 0;
      for (int lane : kFootLanes[foot]) {
        bool again = level < 2 && gridMs - laneAtMs[lane] < kLaneAgainMs;
        if (lane == footLane[1 - foot] || full[lane] || again) continue;
        choices[count++] = lane;
        if (lane == kFootLanes[foot][0]) choices[count++] = lane;  // home counts twice
      }
      if (count == 0) continue;
      random = random * 1664525u + 1013904223u;
      int lane = choices[(random >> 16) % uint32_t(count)];
      lastFoot = foot;
      footLane[foot] = lane;
      laneAtMs[lane] = gridMs;
      return lane;
    }
    return -1;
  }

  // `advanceMs`: the song's time since the frame before.
  void Spawn(const LiveFrame& frame, int32_t advanceMs, LiveDecision& decision) {
    int level = std::clamp(frame.level, 0, kLiveLevels - 1);
    int sub = kSubdivisions[level];
    double step = periodMs / sub;
    double arrival = frame.positionMs + kRisePixels / Speed();
    double beatDue = arrival - frame.offsetMs;  // the music's time of the arrow's arrival
    // Each frame takes the grid point due within half a frame of its
    // arrival, a frame as long as the song moved on since the one before.
    // The points follow on one after another, so one that a nudge of the
    // phase moved behind the frames is still taken, a little late, rather
    // than lost; only a point well past (after a long frame) is skipped.
    double half = std::max({frame.intervalMs, advanceMs, 1}) / 2.0;
    int64_t origin = anchorBeat * sub;  // the grid's count at the anchor
    auto pointMs = [&](int64_t i) { return anchorMs + double(i - origin) * step; };
    int64_t index = lastIndex + 1;
    bool following = lastIndex != kNoIndex && sub == lastSub;
    if (!following || pointMs(index) < beatDue - half - kLateGridMs)
      index = origin + int64_t(std::ceil((beatDue - half - anchorMs) / step));
    double gridMs = pointMs(index);
    if (gridMs > beatDue + half) return;
    lastIndex = index;
    lastSub = sub;
    int64_t within = ((index % sub) + sub) % sub;
    int64_t beat = (index - within) / sub;
    if (gridMs - lastArrowMs < kMinGapMs[level] || !Wanted(gridMs, beat, within, level, frame.positionMs)) return;
    int lane = ChooseLane(gridMs, level, frame.laneFull);
    if (lane < 0) return;
    lastArrowMs = gridMs;
    decision.step = kStepLaneCharacters[lane];
    decision.arrivesMs = int32_t(std::lround(arrival));
  }
};

LiveChart::LiveChart() : state_(new State) { state_->Restart(); }
LiveChart::~LiveChart() { delete state_; }

void LiveChart::Listen() { state_->Restart(); }
bool LiveChart::Locked() const { return state_->locked; }

LiveDecision LiveChart::Hear(const LiveFrame& frame) {
  State& s = *state_;
  LiveDecision decision;
  if (frame.sound == nullptr) return decision;
  int32_t position = frame.positionMs;
  if (s.positioned && position == s.lastPosition) return decision;  // paused: nothing new heard
  if (s.positioned && (position < s.lastPosition - 50 || position > s.lastPosition + 2000)) {
    // A seek: the envelope's times no longer join up.
    bool wasListening = s.listenStarted;
    s.Restart();
    decision.listening = wasListening;
  }
  if (!s.listenStarted) s.ListenAgain(position);
  int32_t advance = s.positioned ? position - s.lastPosition : frame.intervalMs;
  s.positioned = true;
  s.lastPosition = position;
  s.rises[s.speedFrames % kSpeedFrames] = frame.intervalMs > 0 ? RiseFor(frame.intervalMs) : 0;
  s.positions[s.speedFrames % kSpeedFrames] = position;
  ++s.speedFrames;

  bool silent = false;
  float flux = s.Flux(*frame.sound, silent);
  // The window starts at the position; an onset it shows came, on average,
  // half a frame before its middle.
  int32_t rate = frame.sound->sampleRate > 0 ? frame.sound->sampleRate : 44100;
  double middle = 500.0 * kWaveformSamples / rate;
  s.Lay(position + middle - std::min(frame.intervalMs, 60) / 2.0, flux);
  s.silentMs = silent ? s.silentMs + std::max(frame.intervalMs, 0) : 0;
  if (s.locked && s.silentMs >= kSilenceToLoseMs) {
    s.ListenAgain(position);
    decision.listening = true;
  }
  if (position >= s.nextEstimateMs) {
    s.nextEstimateMs = position + kEstimateEveryMs;
    double period = 0, periodicity = 0, heardMs = 0;
    if (s.Estimate(period, periodicity, heardMs)) s.Follow(period, periodicity, heardMs, position, decision);
  }
  if (s.locked) s.Spawn(frame, advance, decision);
  return decision;
}
