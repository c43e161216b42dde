// wav_reader.h -- RIFF/WAVE files read as their bytes come: the format, then the data chunk.
//
// The reader walks the RIFF chunks up to the data chunk, keeping the format
// chunk and skipping the rest without holding them, then hands out the data
// chunk's bytes a whole block (one frame of every channel) at a time. Integer
// PCM of 8, 16, 24 and 32 bits and IEEE float of 32 and 64 bits (also inside
// WAVE_FORMAT_EXTENSIBLE) it converts to float frames itself; any other
// format it only describes, and the caller hands the format chunk and the
// data to a codec. A data chunk longer than the file gives what is there.
// Plain computation, any thread; no length read from the file is trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class WavEncoding { kInteger, kFloat, kCodec };

struct WavFormat {
  uint16_t formatTag = 0;      // the fmt chunk's tag (0xFFFE for extensible)
  WavEncoding encoding = WavEncoding::kCodec;
  int channels = 0;
  int sampleRate = 0;
  int bitsPerSample = 0;       // of the container for kInteger and kFloat
  int blockAlign = 0;          // bytes of one block, > 0
  std::vector<uint8_t> fmt;    // the fmt chunk as written (a WAVEFORMATEX and its extra bytes)
};

class WavReader {
 public:
  // The file's next bytes, in order. Drain TakeFrames or TakeData after each.
  void Push(const uint8_t* data, size_t size);

  // True once the reader knows the file is not a WAV it can read (Error says why).
  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  // True once the format is known and the data chunk has begun.
  bool HasFormat() const { return inData_; }
  const WavFormat& Format() const { return format_; }
  // True once the whole data chunk has been handed out.
  bool DataEnded() const { return inData_ && dataLeft_ == 0 && pending_.size() < size_t(format_.blockAlign); }

  // The data bytes received and not yet taken, whole blocks only, at most
  // `maxBlocks` of them, in place of `out`'s contents (kCodec). Returns the blocks.
  size_t TakeData(std::vector<uint8_t>& out, size_t maxBlocks);
  // The same converted to interleaved float frames (kInteger, kFloat).
  // Returns the frames.
  size_t TakeFrames(std::vector<float>& out, size_t maxFrames);

 private:
  void ReadChunks();
  bool ReadFormat(const uint8_t* chunk, size_t size);
  void Fail(const char* why) { if (error_.empty()) error_ = why; }

  std::vector<uint8_t> pending_;  // bytes received, not yet parsed or taken
  size_t head_ = 0;
  bool sawRiff_ = false;
  bool inData_ = false;
  bool haveFormat_ = false;
  uint64_t skip_ = 0;             // bytes of a skipped chunk still to come
  uint64_t dataLeft_ = 0;         // bytes of the data chunk still to come
  WavFormat format_;
  std::string error_;
};

// Converts `frames` blocks of `format` (kInteger or kFloat) to floats in [-1, 1).
void Wav_ConvertFrames(const WavFormat& format, const uint8_t* data, size_t frames, float* out);
