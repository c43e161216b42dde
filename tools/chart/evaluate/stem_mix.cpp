// stem_mix.cpp -- stems decoded side by side and summed into one mono WAV file.
#include "stem_mix.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "tools/chart/generate/ffmpeg_decoder.h"

namespace {

constexpr size_t kBlockFrames = 8192;

struct Stem {
  AudioDecoderPtr decoder;
  bool done = false;
};

struct CloseSound {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using Sound = std::unique_ptr<SNDFILE, CloseSound>;

bool OpenStems(const std::vector<std::string>& paths, std::vector<Stem>& stems, std::string& error) {
  for (const std::string& path : paths) {
    Stem stem;
    stem.decoder = OpenAudioFile(path, error);
    if (!stem.decoder) {
      error = path + " cannot be read: " + error;
      return false;
    }
    if (!stems.empty() && AudioSampleRate(*stem.decoder) != AudioSampleRate(*stems.front().decoder)) {
      error = path + " has another sample rate than " + paths.front();
      return false;
    }
    stems.push_back(std::move(stem));
  }
  if (stems.empty()) error = "no audio to mix";
  return !stems.empty();
}

// Adds one block of `stem`, folded to mono, to `mix`; the frames it gave, 0 at its end.
size_t AddBlock(Stem& stem, std::vector<float>& frames, std::vector<float>& mix) {
  if (stem.done) return 0;
  std::string ignored;
  size_t got = ReadAudioFrames(*stem.decoder, frames.data(), kBlockFrames, ignored);
  if (got < kBlockFrames) stem.done = true;
  size_t channels = size_t(AudioChannels(*stem.decoder));
  for (size_t i = 0; i < got; ++i) {
    float sum = 0;
    for (size_t c = 0; c < channels; ++c) sum += frames[i * channels + c];
    mix[i] += sum / float(channels);
  }
  return got;
}

bool WriteMix(std::vector<Stem>& stems, SNDFILE* out, std::string& error) {
  int widest = 1;
  for (const Stem& stem : stems) widest = std::max(widest, AudioChannels(*stem.decoder));
  std::vector<float> frames(kBlockFrames * size_t(widest));
  std::vector<float> mix(kBlockFrames);
  for (;;) {
    std::fill(mix.begin(), mix.end(), 0.0f);
    size_t longest = 0;
    for (Stem& stem : stems) longest = std::max(longest, AddBlock(stem, frames, mix));
    if (longest == 0) return true;
    if (sf_writef_float(out, mix.data(), sf_count_t(longest)) != sf_count_t(longest)) {
      error = std::string("the mix cannot be written: ") + sf_strerror(out);
      return false;
    }
  }
}

}  // namespace

bool MixStems(const std::vector<std::string>& paths, const std::string& wavPath, std::string& error) {
  std::vector<Stem> stems;
  if (!OpenStems(paths, stems, error)) return false;
  SF_INFO info = {};
  info.samplerate = AudioSampleRate(*stems.front().decoder);
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  Sound out(sf_open(wavPath.c_str(), SFM_WRITE, &info));
  if (!out) {
    error = wavPath + " cannot be written: " + sf_strerror(nullptr);
    return false;
  }
  bool written = WriteMix(stems, out.get(), error);
  out.reset();
  if (!written) std::remove(wavPath.c_str());
  return written;
}
