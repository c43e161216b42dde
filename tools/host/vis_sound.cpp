// vis_sound.cpp -- reading the harness's WAV sounds and filling a visualisation's waveform and spectrum.
#include "vis_sound.h"

#include <kissfft.hh>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>

namespace {

uint32_t Little(const std::string& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | uint8_t(bytes[at + size_t(i)]);
  return value;
}

// The fmt chunk's body: 16-bit integer PCM of one or two channels. A
// WAVE_FORMAT_EXTENSIBLE one says PCM in its sub-format's first two bytes.
bool ReadFormat(const std::string& bytes, size_t at, size_t size, VisSound& sound, std::string& error) {
  if (size < 16) return error = "its format chunk is too short", false;
  uint32_t tag = Little(bytes, at, 2);
  if (tag == 0xFFFE && size >= 26) tag = Little(bytes, at + 24, 2);
  sound.channels = int32_t(Little(bytes, at + 2, 2));
  sound.rate = int32_t(Little(bytes, at + 4, 4));
  uint32_t bits = Little(bytes, at + 14, 2);
  if (tag != 1 || bits != 16) return error = "it is not 16-bit PCM", false;
  if (sound.channels < 1 || sound.channels > 2) return error = "it has neither one channel nor two", false;
  if (sound.rate <= 0) return error = "it has no sample rate", false;
  return true;
}

void ReadData(const std::string& bytes, size_t at, size_t size, VisSound& sound) {
  size_t frameBytes = size_t(sound.channels) * 2;
  sound.samples.resize(size / frameBytes * size_t(sound.channels));
  for (size_t i = 0; i < sound.samples.size(); ++i) sound.samples[i] = int16_t(Little(bytes, at + 2 * i, 2));
}

constexpr int kPadded = 2 * kVisSamples;  // the FFT's length: one row, then as many zeros

// The Hann window over a row, and its sum (what a sine's bin is scaled by).
struct SpectrumWindow {
  float hann[kVisSamples];
  float sum = 0;
  SpectrumWindow() {
    for (int i = 0; i < kVisSamples; ++i) {
      hann[i] = 0.5f - 0.5f * std::cos(2.0f * 3.14159265f * float(i) / float(kVisSamples - 1));
      sum += hann[i];
    }
  }
};

}  // namespace

bool ReadVisSound(const std::string& bytes, VisSound& sound, std::string& error) {
  sound = VisSound{};
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
    return error = "it is not a RIFF/WAVE file", false;
  bool haveFormat = false;
  for (size_t at = 12; at + 8 <= bytes.size();) {
    std::string id = bytes.substr(at, 4);
    size_t size = std::min<size_t>(Little(bytes, at + 4, 4), bytes.size() - at - 8);
    at += 8;
    if (id == "fmt ") {
      if (!ReadFormat(bytes, at, size, sound, error)) return false;
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat) return error = "its data comes before its format", false;
      ReadData(bytes, at, size, sound);
      return true;
    }
    at += size + (size & 1);  // chunks are padded to even lengths
  }
  return error = haveFormat ? "it has no data chunk" : "it has no format chunk", false;
}

int64_t FrameAt(int32_t positionMs, int32_t rate) {
  int64_t scaled = int64_t(positionMs) * rate;
  return scaled >= 0 ? scaled / 1000 : -((-scaled + 999) / 1000);
}

void FillWaveform(const VisSound* sound, int64_t firstFrame, uint8_t (&rows)[kVisRows][kVisSamples]) {
  std::memset(rows, 0, sizeof rows);
  if (sound == nullptr || sound->channels == 0) return;
  int64_t frames = sound->frames();
  for (int i = 0; i < kVisSamples; ++i) {
    int64_t frame = firstFrame + i;
    if (frame < 0 || frame >= frames) continue;
    for (int c = 0; c < kVisRows; ++c) {
      int channel = c < sound->channels ? c : 0;
      int16_t sample = sound->samples[size_t(frame * sound->channels + channel)];
      rows[c][i] = uint8_t(uint16_t(sample) >> 8);  // the top byte, as the player gives it
    }
  }
}

void FillSpectrum(const uint8_t (&waveform)[kVisRows][kVisSamples], uint8_t (&spectrum)[kVisRows][kVisSamples]) {
  // transform_real takes a half-length complex FFT: 576 bins of 1152 samples.
  static const kissfft<float> fft(kVisSamples, false);
  static const SpectrumWindow window;
  float windowed[kPadded] = {};
  std::complex<float> bins[kVisSamples];
  for (int c = 0; c < kVisRows; ++c) {
    for (int i = 0; i < kVisSamples; ++i) windowed[i] = float(int8_t(waveform[c][i])) * window.hann[i];
    fft.transform_real(windowed, bins);
    bins[0] = bins[0].real();  // the packed Nyquist bin is not one of the 576
    // A sine of amplitude A gives |X| = A * window.sum / 2 at its bin.
    for (int i = 0; i < kVisSamples; ++i)
      spectrum[c][i] = uint8_t(std::min(255.0f, std::round(std::abs(bins[i]) * 4.0f / window.sum)));
  }
}
