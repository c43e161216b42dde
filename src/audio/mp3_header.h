// mp3_header.h -- MPEG audio Layer III framing: ID3v2 tags, frame headers, the Xing/Info/LAME tag.
//
// The plug-in decodes MP3 with the system's codec, which takes whole frames
// and knows nothing of the file around them. This is the part that reads the
// file: it skips a leading ID3v2 tag, finds the frames (resyncing over junk),
// recognises the encoder's Xing/Info frame and reads from its LAME extension
// how many samples the encoder put before and after the song. Bytes are pushed
// in as the file is read, so a long file needs no more memory than a frame.
// Plain computation on the caller's data, any thread; nothing here trusts a
// length it reads from the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The decoder's own delay: a Layer III synthesis filterbank puts this many
// samples of its start-up before the first sample the encoder was given.
constexpr int kMp3DecoderDelay = 529;
constexpr size_t kMp3MaxFrameBytes = 1441;  // 320 kbit/s at 32 kHz, padded

struct Mp3FrameHeader {
  int mpegVersion = 0;     // 10 for MPEG-1, 20 for MPEG-2, 25 for MPEG-2.5
  int bitrateKbps = 0;
  int sampleRate = 0;
  int channels = 0;        // 1 or 2
  bool crc = false;        // a 16-bit CRC follows the header
  int frameBytes = 0;      // header included
  int samplesPerFrame = 0; // 1152 (MPEG-1) or 576
  int sideInfoBytes = 0;
};

// What the encoder's Xing/Info (or VBRI) frame, the first frame, which holds
// no audio, says.
struct Mp3EncoderTag {
  bool present = false;      // a Xing, Info or VBRI frame
  bool lame = false;         // with a LAME extension (LAME, or ffmpeg's "Lavc"/"Lavf")
  uint32_t frames = 0;       // audio frames after the tag frame; 0 when not given
  int encoderDelay = 0;      // samples the encoder put before the song (LAME only)
  int encoderPadding = 0;    // samples it put after (LAME only)
};

// The size of an ID3v2 tag starting at `data` (its header and footer
// included), or 0 when there is none. Needs the tag's first 10 bytes.
size_t Mp3_Id3v2Size(const uint8_t* data, size_t size);

// Parses the 4-byte header at `data`. False for anything that is not a
// Layer III frame header with a known bitrate (free format is refused) and rate.
bool Mp3_ParseFrameHeader(const uint8_t* data, size_t size, Mp3FrameHeader& header);

// Reads the Xing/Info tag and its LAME extension from a whole first frame.
// `tag.present` stays false for an ordinary audio frame.
void Mp3_ParseEncoderTag(const uint8_t* frame, size_t size, const Mp3FrameHeader& header, Mp3EncoderTag& tag);

// True when `data` (a file's first bytes) starts an MP3: an ID3v2 tag, or
// within its first 4 KB a Layer III frame followed by a second like it.
bool Mp3_LooksLikeMp3(const uint8_t* data, size_t size);

// A file's frames from its bytes in order. Push the file's bytes, then take
// frames until there are none; EndOfFile lets the last frames go out.
class Mp3Framer {
 public:
  void Push(const uint8_t* data, size_t size);
  void EndOfFile();

  // The next audio frame (the Xing/Info frame is kept back and read into
  // Tag()); `frame` points into the framer's buffer until the next Push. False
  // when more bytes are needed (or, after EndOfFile, there are no more).
  bool NextFrame(const uint8_t*& frame, Mp3FrameHeader& header);

  // The first frame's header (all frames found share its version, rate and
  // channel count), valid once NextFrame has returned a frame.
  const Mp3FrameHeader& First() const { return first_; }
  const Mp3EncoderTag& Tag() const { return tag_; }

 private:
  bool Accept(size_t at, Mp3FrameHeader& header);
  bool FrameAt(size_t at, Mp3FrameHeader& header) const;
  void Compact();

  std::vector<uint8_t> buffer_;
  size_t head_ = 0;            // first byte not yet consumed
  uint64_t skip_ = 0;          // bytes of an ID3v2 tag still to be dropped as they come
  bool locked_ = false;        // a first frame was found
  bool contiguous_ = false;    // the last frame ended where `head_` is
  bool ended_ = false;
  Mp3FrameHeader first_;
  Mp3EncoderTag tag_;
};

// Which decoded samples of a stream (counted per channel from the codec's
// first output) belong to the song: the codec's and the encoder's delay at the
// start, the encoder's padding at the end when the tag tells the length.
struct Mp3Trim {
  uint64_t skip = 0;          // samples to drop from the start
  uint64_t keep = UINT64_MAX; // samples to keep after those
};
Mp3Trim Mp3_TrimFor(const Mp3EncoderTag& tag, const Mp3FrameHeader& first);
