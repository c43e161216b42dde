// audio_file.cpp -- libsndfile's frames into the analysis.
#include "audio_file.h"

#include <sndfile.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr sf_count_t kBlockFrames = 4096;

bool Analyse(SNDFILE* file, const SF_INFO& info, AudioAnalysis& analysis, std::string& error) {
  AnalysisStream stream;
  if (!stream.Start(info.samplerate, info.channels, error)) return false;
  std::vector<float> frames(size_t(kBlockFrames) * size_t(info.channels));
  for (;;) {
    sf_count_t got = sf_readf_float(file, frames.data(), kBlockFrames);
    if (got <= 0) break;
    stream.Feed(frames.data(), size_t(got));
  }
  if (sf_error(file) != SF_ERR_NO_ERROR && stream.SecondsFed() == 0) {
    error = std::string("the audio cannot be decoded: ") + sf_strerror(file);
    return false;
  }
  stream.Finish(analysis);
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
