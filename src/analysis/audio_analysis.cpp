// audio_analysis.cpp -- frames in, mono at the analysis rate, spectra, flux and onsets out.
#include "analysis/audio_analysis.h"

#include <kissfft.hh>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>

#include "analysis/onset_picking.h"

namespace {

constexpr int kWindow = 1024;             // 46 ms: one spectrum
constexpr int kBins = kWindow / 2;
constexpr int kFluxLag = 2;               // frames back the rise is measured from
constexpr double kPi = 3.14159265358979323846;
constexpr double kLowBandTopHz = 250.0;
constexpr double kMidBandTopHz = 5000.0;

// Area-weighted resampling to kAnalysisRate: each output sample is the mean
// of the input over its span, a box filter against aliasing when going down.
class Resampler {
 public:
  void Reset(int sampleRate) {
    step_ = double(kAnalysisRate) / sampleRate;
    filled_ = 0;
    sum_ = 0;
  }
  template <typename Emit>
  void Push(float x, Emit&& emit) {
    double left = step_;
    while (filled_ + left >= 1.0) {
      double take = 1.0 - filled_;
      emit(float(sum_ + x * take));
      sum_ = 0;
      filled_ = 0;
      left -= take;
    }
    sum_ += x * left;
    filled_ += left;
  }

 private:
  double step_ = 1;
  double filled_ = 0;
  double sum_ = 0;
};

}  // namespace

struct AnalysisStream::State {
  int channels = 0;
  Resampler resampler;
  kissfft<float> fft{kBins, false};
  float hann[kWindow];
  std::vector<float> window = std::vector<float>(kWindow);  // the samples of the next spectrum
  int windowFill = 0;
  std::vector<int> bandOfBin = std::vector<int>(kBins);     // -1: left out (DC)
  std::vector<FluxBand> groupOfBand;
  std::vector<float> bands[kFluxLag + 1];                   // compressed band levels, newest last
  int framesDone = 0;
  std::vector<float> windowed = std::vector<float>(kWindow);
  std::vector<std::complex<float>> spectrum = std::vector<std::complex<float>>(kBins);
  uint64_t samples = 0;                                     // at the analysis rate, song only
  double blockSum = 0;
  int blockCount = 0;
  double attackSum = 0;
  int attackCount = 0;
  AudioAnalysis out;
  std::vector<float> attackEnergy;                          // kAttackBlock samples each

  State() {
    for (int i = 0; i < kWindow; ++i) hann[i] = float(0.5 - 0.5 * std::cos(2 * kPi * (i + 0.5) / kWindow));
    // Bins grouped a semitone wide: at the low end every bin is a band of its own.
    int band = -1;
    int lastNote = -1000;
    for (int bin = 1; bin < kBins; ++bin) {
      double hz = double(bin) * kAnalysisRate / kWindow;
      int note = int(std::lround(12.0 * std::log2(hz / 440.0)));
      if (note != lastNote) {
        ++band;
        lastNote = note;
        groupOfBand.push_back(hz < kLowBandTopHz ? kLowBand : hz < kMidBandTopHz ? kMidBand : kHighBand);
      }
      bandOfBin[size_t(bin)] = band;
    }
    bandOfBin[0] = -1;
    for (auto& levels : bands) levels.assign(groupOfBand.size(), 0.0f);
    Restart();
  }

  void Restart() {
    out = AudioAnalysis();
    attackEnergy.clear();
    std::fill(window.begin(), window.end(), 0.0f);
    windowFill = kWindow / 2;  // frame n is centred on sample n * kEnvelopeHop
    framesDone = 0;
    samples = 0;
    blockSum = attackSum = 0;
    blockCount = attackCount = 0;
    for (auto& levels : bands) std::fill(levels.begin(), levels.end(), 0.0f);
  }

  void Spectrum() {
    for (int i = 0; i < kWindow; ++i) windowed[size_t(i)] = window[size_t(i)] * hann[i];
    fft.transform_real(windowed.data(), spectrum.data());
    std::rotate(bands, bands + 1, bands + kFluxLag + 1);
    std::vector<float>& now = bands[kFluxLag];
    std::fill(now.begin(), now.end(), 0.0f);
    for (int bin = 1; bin < kBins; ++bin) now[size_t(bandOfBin[size_t(bin)])] += std::abs(spectrum[size_t(bin)]);
    for (float& level : now) level = std::log10(1.0f + level);
    // The rise over the loudest of each band and its neighbours kFluxLag frames back.
    const std::vector<float>& before = bands[0];
    float flux[kFluxBands] = {};
    size_t count = now.size();
    for (size_t b = 0; b < count; ++b) {
      float ceiling = before[b];
      if (b > 0) ceiling = std::max(ceiling, before[b - 1]);
      if (b + 1 < count) ceiling = std::max(ceiling, before[b + 1]);
      if (now[b] > ceiling) flux[groupOfBand[b]] += now[b] - ceiling;
    }
    // The first frames rise from the silence before the song: not an onset.
    if (framesDone < kFluxLag) std::fill(flux, flux + kFluxBands, 0.0f);
    float sum = 0;
    for (int g = 0; g < kFluxBands; ++g) {
      out.flux[g].push_back(flux[g]);
      sum += flux[g];
    }
    out.envelope.push_back(sum);
    ++framesDone;
  }

  void Sample(float x, bool song) {
    window[size_t(windowFill++)] = x;
    if (windowFill == kWindow) {
      Spectrum();
      std::memmove(window.data(), window.data() + kEnvelopeHop, sizeof(float) * (kWindow - kEnvelopeHop));
      windowFill -= kEnvelopeHop;
    }
    if (!song) return;
    ++samples;
    blockSum += double(x) * x;
    if (++blockCount == int(kLoudnessBlockMs * kAnalysisRate / 1000)) {
      out.loudness.push_back(float(std::sqrt(blockSum / blockCount)));
      blockSum = 0;
      blockCount = 0;
    }
    attackSum += double(x) * x;
    if (++attackCount == kAttackBlock) {
      attackEnergy.push_back(float(attackSum));
      attackSum = 0;
      attackCount = 0;
    }
  }
};

AnalysisStream::AnalysisStream() : state_(new State) {}
AnalysisStream::~AnalysisStream() { delete state_; }

bool AnalysisStream::Start(int sampleRate, int channels, std::string& error) {
  if (sampleRate < 8000 || sampleRate > 384000 || channels < 1 || channels > 64) {
    error = "the audio's sample rate or channel count is not one a song has";
    return false;
  }
  state_->Restart();
  state_->channels = channels;
  state_->resampler.Reset(sampleRate);
  return true;
}

void AnalysisStream::Feed(const float* frames, size_t count) {
  State& s = *state_;
  if (s.channels == 0) return;
  auto emit = [&s](float x) { s.Sample(x, true); };
  // Decoded audio lies within +-1; a broken float file may hold anything. Values
  // past a loud clip are held there, and NaN is silence, so the spectra stay finite.
  constexpr float kLoudest = 16.0f;
  for (size_t i = 0; i < count; ++i) {
    float sum = 0;
    for (int c = 0; c < s.channels; ++c) {
      float x = frames[i * size_t(s.channels) + size_t(c)];
      sum += std::isnan(x) ? 0.0f : std::clamp(x, -kLoudest, kLoudest);
    }
    s.resampler.Push(sum / float(s.channels), emit);
  }
}

double AnalysisStream::SecondsFed() const { return double(state_->samples) / kAnalysisRate; }

void AnalysisStream::Finish(AudioAnalysis& analysis) {
  State& s = *state_;
  // Silence after the end, so the song's last half window is heard too.
  for (int i = 0; i < kWindow / 2; ++i) s.Sample(0.0f, false);
  s.out.durationMs = double(s.samples) * 1000.0 / kAnalysisRate;
  s.out.onsets = PickOnsets(s.out.envelope, s.attackEnergy);
  analysis = std::move(s.out);
  s.Restart();
  s.channels = 0;
}

AudioAnalysis AnalyseSamples(const std::vector<float>& samples, int sampleRate) {
  AnalysisStream stream;
  std::string error;
  AudioAnalysis analysis;
  if (!stream.Start(sampleRate, 1, error)) return analysis;
  stream.Feed(samples.data(), samples.size());
  stream.Finish(analysis);
  return analysis;
}
