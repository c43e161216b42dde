// ogg_reader.h -- Ogg Vorbis decoded as its bytes come, by the compiled-in stb_vorbis.
//
// stb_vorbis's push API works on bytes the caller holds: the reader keeps
// the file's bytes it was handed until the decoder has used them (the
// headers, then a page or so at a time), so memory stays bounded whatever
// the song's length: the headers may take up to kOggMaxHeaderBytes (cover
// pictures live there), the audio never more than kOggMaxPendingBytes, and
// the decoder's own memory, which comes from the reader's heap, never more
// than kOggMaxDecoderBytes; the reader frees it all, so a file the decoder
// gave up on halfway leaves nothing behind.
// Plain computation, any thread; one reader per file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kOggMaxHeaderBytes = 4u << 20;
constexpr size_t kOggMaxPendingBytes = 1u << 20;
constexpr size_t kOggMaxDecoderBytes = 4u << 20;

struct stb_vorbis;

// The decoder's memory: every block it allocates, freed with the reader.
struct OggHeap {
  struct OggBlock* blocks = nullptr;
  size_t bytes = 0;
};

class OggReader {
 public:
  OggReader() = default;
  ~OggReader();
  OggReader(const OggReader&) = delete;
  OggReader& operator=(const OggReader&) = delete;

  // The file's next bytes, in order; EndOfFile once there are no more.
  void Push(const uint8_t* data, size_t size);
  void EndOfFile();

  // True once the file cannot be decoded further (Error says why). A stream
  // that breaks off after some audio is not a failure: it just ends.
  bool Failed() const { return !error_.empty(); }
  const std::string& Error() const { return error_; }
  // True once the headers are read: the rate and channel count are known.
  bool HasFormat() const { return sampleRate_ > 0; }
  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  // True once every byte pushed before EndOfFile has been decoded.
  bool Ended() const { return finished_; }

  // Decodes interleaved float frames into `out` (in place of its contents)
  // until it holds at least `minFrames` or the bytes pushed so far are used
  // up. Returns the frames.
  size_t TakeFrames(std::vector<float>& out, size_t minFrames);

 private:
  void Open();
  void Compact();

  OggHeap heap_;
  stb_vorbis* decoder_ = nullptr;
  std::vector<uint8_t> pending_;
  size_t head_ = 0;
  int sampleRate_ = 0;
  int channels_ = 0;
  bool ended_ = false;
  bool finished_ = false;
  std::string error_;
};
