// stem_mix.cpp -- stems decoded side by side and summed into one mono WAV file.
#include "stem_mix.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

struct CloseSound {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using Sound = std::unique_ptr<SNDFILE, CloseSound>;

constexpr sf_count_t kBlockFrames = 8192;

struct Stem {
  Sound file;
  SF_INFO info = {};
  bool done = false;
};

bool OpenStems(const std::vector<std::string>& paths, std::vector<Stem>& stems, std::string& error) {
  for (const std::string& path : paths) {
    Stem stem;
    stem.file.reset(sf_open(path.c_str(), SFM_READ, &stem.info));
    if (!stem.file) {
      error = path + " cannot be read: " + sf_strerror(nullptr);
      return false;
    }
    if (!stems.empty() && stem.info.samplerate != stems.front().info.samplerate) {
      error = path + " has another sample rate than " + paths.front();
      return false;
    }
    stems.push_back(std::move(stem));
  }
  if (stems.empty()) error = "no audio to mix";
  return !stems.empty();
}

// Adds one block of `stem`, folded to mono, to `mix`; the frames it gave, 0 at its end.
sf_count_t AddBlock(Stem& stem, std::vector<float>& frames, std::vector<float>& mix) {
  if (stem.done) return 0;
  sf_count_t got = sf_readf_float(stem.file.get(), frames.data(), kBlockFrames);
  if (got <= 0) stem.done = true;
  int channels = stem.info.channels;
  for (sf_count_t i = 0; i < got; ++i) {
    float sum = 0;
    for (int c = 0; c < channels; ++c) sum += frames[size_t(i * channels + c)];
    mix[size_t(i)] += sum / float(channels);
  }
  return std::max<sf_count_t>(got, 0);
}

bool WriteMix(std::vector<Stem>& stems, SNDFILE* out, std::string& error) {
  int widest = 1;
  for (const Stem& stem : stems) widest = std::max(widest, stem.info.channels);
  std::vector<float> frames(size_t(kBlockFrames * widest));
  std::vector<float> mix(static_cast<size_t>(kBlockFrames));
  for (;;) {
    std::fill(mix.begin(), mix.end(), 0.0f);
    sf_count_t longest = 0;
    for (Stem& stem : stems) longest = std::max(longest, AddBlock(stem, frames, mix));
    if (longest == 0) return true;
    if (sf_writef_float(out, mix.data(), longest) != longest) {
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
  info.samplerate = stems.front().info.samplerate;
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
