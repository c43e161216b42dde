// audio_analysis.cpp -- libsndfile in, aubio's onset detector over the samples.
#include "audio_analysis.h"

#include <aubio/aubio.h>
#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr uint_t kOnsetWindow = 1024;
constexpr uint_t kHop = 256;

// aubio objects, freed however the analysis ends.
struct Detectors {
  aubio_onset_t* onset = nullptr;
  fvec_t* hop = nullptr;
  fvec_t* found = nullptr;
  ~Detectors() {
    if (onset) del_aubio_onset(onset);
    if (hop) del_fvec(hop);
    if (found) del_fvec(found);
  }
};

bool Analyse(SNDFILE* file, const SF_INFO& info, AudioAnalysis& analysis, std::string& error) {
  if (info.samplerate < 8000 || info.samplerate > 384000 || info.channels < 1 || info.channels > 64) {
    error = "the audio's sample rate or channel count is not one a song has";
    return false;
  }
  uint_t rate = uint_t(info.samplerate);
  Detectors d;
  d.onset = new_aubio_onset("energy", kOnsetWindow, kHop, rate);
  d.hop = new_fvec(kHop);
  d.found = new_fvec(1);
  if (!d.onset || !d.hop || !d.found) {
    error = "the audio analysis could not start";
    return false;
  }
  aubio_onset_set_minioi_ms(d.onset, 40);
  analysis = AudioAnalysis();
  analysis.sampleRate = info.samplerate;
  std::vector<float> frames(size_t(kHop) * size_t(info.channels));
  size_t blockSamples = size_t(std::lround(kLoudnessBlockMs / 1000.0 * rate));
  double blockSum = 0;
  size_t blockCount = 0;
  uint64_t total = 0;
  for (;;) {
    sf_count_t got = sf_readf_float(file, frames.data(), kHop);
    if (got <= 0) break;
    // Mixed down to mono; a short last hop is padded with silence.
    for (uint_t i = 0; i < kHop; ++i) {
      float sum = 0;
      if (sf_count_t(i) < got) {
        for (int c = 0; c < info.channels; ++c) sum += frames[size_t(i) * size_t(info.channels) + size_t(c)];
        sum /= float(info.channels);
      }
      if (!std::isfinite(sum)) sum = 0;
      d.hop->data[i] = sum;
      if (sf_count_t(i) < got) {
        blockSum += double(sum) * sum;
        if (++blockCount == blockSamples) {
          analysis.loudness.push_back(float(std::sqrt(blockSum / double(blockCount))));
          blockSum = 0;
          blockCount = 0;
        }
      }
    }
    total += uint64_t(got);
    aubio_onset_do(d.onset, d.hop, d.found);
    if (d.found->data[0] != 0) {
      analysis.onsets.push_back({aubio_onset_get_last_ms(d.onset), float(aubio_onset_get_descriptor(d.onset))});
    }
  }
  if (sf_error(file) != SF_ERR_NO_ERROR && total == 0) {
    error = std::string("the audio cannot be decoded: ") + sf_strerror(file);
    return false;
  }
  analysis.durationMs = double(total) * 1000.0 / rate;
  return true;
}

// Analyses and closes a file libsndfile opened (or failed to: null).
bool AnalyseOpened(SNDFILE* file, const SF_INFO& info, AudioAnalysis& analysis, std::string& error) {
  if (file == nullptr) {
    error = "not audio that can be read (WAV, FLAC, Ogg Vorbis or MP3)";
    return false;
  }
  bool ok = Analyse(file, info, analysis, error);
  sf_close(file);
  return ok;
}

// libsndfile's virtual I/O over bytes in memory.
struct Memory {
  const std::string* bytes;
  sf_count_t at;
};

sf_count_t MemoryLength(void* user) { return sf_count_t(static_cast<Memory*>(user)->bytes->size()); }
sf_count_t MemorySeek(sf_count_t offset, int whence, void* user) {
  Memory* m = static_cast<Memory*>(user);
  sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->at : MemoryLength(user);
  sf_count_t to = base + offset;
  if (to < 0 || to > MemoryLength(user)) return -1;
  m->at = to;
  return to;
}
sf_count_t MemoryRead(void* out, sf_count_t count, void* user) {
  Memory* m = static_cast<Memory*>(user);
  sf_count_t left = MemoryLength(user) - m->at;
  if (count > left) count = left;
  if (count <= 0) return 0;
  std::memcpy(out, m->bytes->data() + m->at, size_t(count));
  m->at += count;
  return count;
}
sf_count_t MemoryWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t MemoryTell(void* user) { return static_cast<Memory*>(user)->at; }

}  // namespace

bool AnalyseAudioFile(const std::string& path, AudioAnalysis& analysis, std::string& error) {
  std::FILE* readable = std::fopen(path.c_str(), "rb");
  if (readable == nullptr) {
    error = std::string("cannot open the file: ") + std::strerror(errno);
    return false;
  }
  std::fclose(readable);
  SF_INFO info = {};
  return AnalyseOpened(sf_open(path.c_str(), SFM_READ, &info), info, analysis, error);
}

bool AnalyseAudioBytes(const std::string& bytes, AudioAnalysis& analysis, std::string& error) {
  SF_VIRTUAL_IO io = {MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
  Memory memory = {&bytes, 0};
  SF_INFO info = {};
  return AnalyseOpened(sf_open_virtual(&io, SFM_READ, &info, &memory), info, analysis, error);
}
