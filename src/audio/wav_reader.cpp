// wav_reader.cpp -- the RIFF chunk walk and PCM samples to floats.
#include "audio/wav_reader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kTagPcm = 1;
constexpr uint16_t kTagFloat = 3;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr uint32_t kMaxFormatBytes = 65536;
constexpr int kMaxChannels = 64;
// The GUID of every KSDATAFORMAT_SUBTYPE after its first four bytes (the format tag).
constexpr uint8_t kSubtypeTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

float Sample(const uint8_t* p, int bytes, bool isFloat) {
  if (isFloat) {
    if (bytes == 4) {
      float value;
      std::memcpy(&value, p, 4);
      return value;
    }
    double value;
    std::memcpy(&value, p, 8);
    return float(value);
  }
  switch (bytes) {
    case 1: return float(int(p[0]) - 128) * (1.0f / 128);
    case 2: return float(int16_t(Le16(p))) * (1.0f / 32768);
    case 3: return float(int32_t(uint32_t(p[0]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 24) >> 8) * (1.0f / 8388608);
    default: return float(double(int32_t(Le32(p))) * (1.0 / 2147483648.0));
  }
}

}  // namespace

void Wav_ConvertFrames(const WavFormat& format, const uint8_t* data, size_t frames, float* out) {
  int bytes = format.bitsPerSample / 8;
  bool isFloat = format.encoding == WavEncoding::kFloat;
  size_t samples = frames * size_t(format.channels);
  for (size_t i = 0; i < samples; ++i) out[i] = Sample(data + i * size_t(bytes), bytes, isFloat);
}

void WavReader::Push(const uint8_t* data, size_t size) {
  if (Failed()) return;
  pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(head_));
  head_ = 0;
  if (inData_) {
    size_t take = size_t(std::min<uint64_t>(size, dataLeft_));  // what follows the data chunk is not audio
    pending_.insert(pending_.end(), data, data + take);
    dataLeft_ -= take;
    return;
  }
  size_t skipped = size_t(std::min<uint64_t>(size, skip_));
  skip_ -= skipped;
  pending_.insert(pending_.end(), data + skipped, data + size);
  ReadChunks();
}

bool WavReader::ReadFormat(const uint8_t* chunk, size_t size) {
  WavFormat& f = format_;
  f.formatTag = Le16(chunk);
  f.channels = Le16(chunk + 2);
  f.sampleRate = int(std::min<uint32_t>(Le32(chunk + 4), 0x7FFFFFFF));
  f.blockAlign = Le16(chunk + 12);
  f.bitsPerSample = Le16(chunk + 14);
  f.fmt.assign(chunk, chunk + size);
  if (f.channels == 0 || f.channels > kMaxChannels) return Fail("the WAV file's channel count is not one it can play"), false;
  if (f.blockAlign == 0 || f.sampleRate == 0) return Fail("the WAV file's format is damaged"), false;
  uint16_t tag = f.formatTag;
  if (tag == kTagExtensible) {
    if (size < 40) return Fail("the WAV file's format is damaged"), false;
    if (std::memcmp(chunk + 28, kSubtypeTail, sizeof kSubtypeTail) == 0 && Le16(chunk + 26) == 0) tag = Le16(chunk + 24);
  }
  f.encoding = tag == kTagPcm ? WavEncoding::kInteger : tag == kTagFloat ? WavEncoding::kFloat : WavEncoding::kCodec;
  if (f.encoding == WavEncoding::kCodec) return true;
  int bytes = (f.bitsPerSample + 7) / 8;
  bool sizeKnown = f.encoding == WavEncoding::kFloat ? (bytes == 4 || bytes == 8) : (bytes >= 1 && bytes <= 4);
  if (!sizeKnown || f.blockAlign != f.channels * bytes)
    return Fail("the WAV file's sample size is not one it can read"), false;
  f.bitsPerSample = bytes * 8;
  return true;
}

void WavReader::ReadChunks() {
  for (;;) {
    size_t avail = pending_.size() - head_;
    const uint8_t* at = pending_.data() + head_;
    if (!sawRiff_) {
      if (avail < 12) return;
      if (std::memcmp(at, "RIFF", 4) != 0 || std::memcmp(at + 8, "WAVE", 4) != 0) return Fail("not a WAV file");
      head_ += 12;
      sawRiff_ = true;
      continue;
    }
    if (avail < 8) return;
    uint32_t size = Le32(at + 4);
    uint64_t body = uint64_t(size) + (size & 1);  // chunks are padded to even lengths
    if (std::memcmp(at, "fmt ", 4) == 0 && !haveFormat_) {
      if (size < 16 || size > kMaxFormatBytes) return Fail("the WAV file's format is damaged");
      if (avail < 8 + size_t(size)) return;
      if (!ReadFormat(at + 8, size)) return;
      haveFormat_ = true;
    } else if (std::memcmp(at, "data", 4) == 0) {
      if (!haveFormat_) return Fail("the WAV file has no format before its audio");
      head_ += 8;
      inData_ = true;
      // Streaming writers that cannot seek back leave the size at its maximum.
      dataLeft_ = size == 0xFFFFFFFF ? UINT64_MAX : size;
      size_t have = size_t(std::min<uint64_t>(pending_.size() - head_, dataLeft_));
      pending_.resize(head_ + have);
      dataLeft_ -= have;
      return;
    }
    head_ += 8;
    size_t now = size_t(std::min<uint64_t>(body, avail - 8));
    head_ += now;
    skip_ = body - now;
    if (skip_ > 0) return;
  }
}

size_t WavReader::TakeData(std::vector<uint8_t>& out, size_t maxBlocks) {
  out.clear();
  if (!inData_) return 0;
  size_t block = size_t(format_.blockAlign);
  size_t blocks = std::min((pending_.size() - head_) / block, maxBlocks);
  out.assign(pending_.begin() + std::ptrdiff_t(head_), pending_.begin() + std::ptrdiff_t(head_ + blocks * block));
  head_ += blocks * block;
  return blocks;
}

size_t WavReader::TakeFrames(std::vector<float>& out, size_t maxFrames) {
  out.clear();
  if (!inData_ || format_.encoding == WavEncoding::kCodec) return 0;
  size_t block = size_t(format_.blockAlign);
  size_t frames = std::min((pending_.size() - head_) / block, maxFrames);
  out.resize(frames * size_t(format_.channels));
  Wav_ConvertFrames(format_, pending_.data() + head_, frames, out.data());
  head_ += frames * block;
  return frames;
}
