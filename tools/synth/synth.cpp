// synth.cpp -- sums drum and bass voices at the beat times, writes them with libsndfile.
#include "synth.h"

#include <sndfile.h>

#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A decaying voice added into `out` from sample `at`.
template <typename Voice>
void Add(std::vector<float>& out, size_t at, size_t length, Voice voice) {
  for (size_t i = 0; i < length && at + i < out.size(); ++i) out[at + i] += float(voice(i));
}

uint32_t Next(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state;
}

double Noise(uint32_t& state) { return double(Next(state) >> 8) / double(1u << 23) - 1.0; }

}  // namespace

std::vector<float> SynthesizeBeat(const BeatTrack& track, std::vector<double>* beatsMs) {
  const double rate = track.sampleRate;
  std::vector<float> out(size_t(track.seconds * rate), 0.0f);
  uint32_t state = track.seed;
  for (float& sample : out) sample = float(track.noise * Noise(state));
  // Beat times: a steady tempo, or one that glides from bpm to endBpm.
  std::vector<double> beats;
  double end = track.seconds * 1000.0;
  for (double t = track.firstBeatMs; t < end - 200.0;) {
    beats.push_back(t);
    double progress = t / end;
    double bpm = track.endBpm > 0 ? track.bpm + (track.endBpm - track.bpm) * progress : track.bpm;
    t += 60000.0 / bpm;
  }
  static const double kBassNotes[] = {55.0, 55.0, 65.41, 73.42, 82.41, 73.42, 65.41, 49.0};
  for (size_t b = 0; b < beats.size(); ++b) {
    double t = beats[b];
    double seconds = t / 1000.0;
    if (seconds >= track.quietFromS && seconds < track.quietToS) continue;
    size_t at = size_t(std::lround(t / 1000.0 * rate));
    double accent = b % 4 == 0 ? 0.8 : 0.5;
    Add(out, at, size_t(0.02 * rate), [&](size_t i) {  // click
      double s = i / rate;
      return accent * std::sin(2 * kPi * 2000.0 * s) * std::exp(-s / 0.004);
    });
    if (b % 2 == 0) {
      Add(out, at, size_t(0.15 * rate), [&](size_t i) {  // kick: a falling sine
        double s = i / rate;
        return 0.6 * std::sin(2 * kPi * (45.0 * s + 60.0 * 0.03 * (1 - std::exp(-s / 0.03)))) * std::exp(-s / 0.06);
      });
    }
    double interval = b + 1 < beats.size() ? beats[b + 1] - t : 60000.0 / track.bpm;
    for (int half = 0; half < 2; ++half) {
      size_t from = size_t(std::lround((t + half * interval / 2) / 1000.0 * rate));
      if (track.bass) {
        double pitch = kBassNotes[(2 * b + size_t(half)) % 8];
        Add(out, from, size_t(0.12 * rate), [&](size_t i) {
          double s = i / rate;
          return 0.2 * std::sin(2 * kPi * pitch * s) * std::exp(-s / 0.08);
        });
      }
      if (track.hats && half == 1) {
        double last = 0.0;
        Add(out, from, size_t(0.03 * rate), [&](size_t i) {  // hi-hat: differenced noise
          double n = Noise(state);
          double hat = (n - last) * 0.15 * std::exp(-double(i) / rate / 0.008);
          last = n;
          return hat;
        });
      }
    }
  }
  for (float& sample : out) sample = std::fmax(-1.0f, std::fmin(1.0f, sample));
  if (beatsMs != nullptr) *beatsMs = beats;
  return out;
}

bool WriteAudio(const std::string& path, const std::vector<float>& samples, int sampleRate, std::string& error) {
  size_t dot = path.find_last_of('.');
  std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
  SF_INFO info = {};
  info.samplerate = sampleRate;
  info.channels = 1;
  if (extension == "wav") {
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  } else if (extension == "flac") {
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
  } else if (extension == "ogg") {
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
  } else if (extension == "mp3") {
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
  } else {
    error = "the name must end in .wav, .flac, .ogg or .mp3";
    return false;
  }
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    error = sf_strerror(nullptr);
    return false;
  }
  sf_count_t written = sf_writef_float(file, samples.data(), sf_count_t(samples.size()));
  bool ok = written == sf_count_t(samples.size());
  if (!ok) error = sf_strerror(file);
  sf_close(file);
  return ok;
}
