// mp3_header.cpp -- Layer III frame headers, ID3v2 skipping and the LAME tag's delays.
#include "audio/mp3_header.h"

#include <cstring>

namespace {

constexpr int kBitratesMpeg1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr int kBitratesMpeg2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr int kRatesMpeg1[3] = {44100, 48000, 32000};
constexpr size_t kSniffWindow = 4096;

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

bool SameStream(const Mp3FrameHeader& a, const Mp3FrameHeader& b) {
  return a.mpegVersion == b.mpegVersion && a.sampleRate == b.sampleRate && a.channels == b.channels;
}

// A frame at `at` whose successor at its end is a frame of the same stream.
bool ConfirmedFrameAt(const uint8_t* data, size_t size, size_t at, Mp3FrameHeader& header) {
  if (!Mp3_ParseFrameHeader(data + at, size - at, header)) return false;
  Mp3FrameHeader next;
  size_t nextAt = at + size_t(header.frameBytes);
  return Mp3_ParseFrameHeader(data + nextAt, nextAt < size ? size - nextAt : 0, next) && SameStream(header, next);
}

}  // namespace

size_t Mp3_Id3v2Size(const uint8_t* data, size_t size) {
  if (size < 10 || std::memcmp(data, "ID3", 3) != 0) return 0;
  if (data[3] == 0xFF || data[4] == 0xFF) return 0;
  // The size is four 7-bit bytes ("synchsafe"): a high bit set means no tag.
  uint32_t body = 0;
  for (int i = 6; i < 10; ++i) {
    if (data[i] & 0x80) return 0;
    body = body << 7 | data[i];
  }
  bool footer = (data[5] & 0x10) != 0;
  return 10 + size_t(body) + (footer ? 10 : 0);
}

bool Mp3_ParseFrameHeader(const uint8_t* data, size_t size, Mp3FrameHeader& header) {
  if (size < 4 || data[0] != 0xFF || (data[1] & 0xE0) != 0xE0) return false;
  int versionBits = (data[1] >> 3) & 3, layerBits = (data[1] >> 1) & 3;
  int bitrateIndex = data[2] >> 4, rateIndex = (data[2] >> 2) & 3;
  if (versionBits == 1 || layerBits != 1 || rateIndex == 3 || (data[3] & 3) == 2) return false;
  bool mpeg1 = versionBits == 3;
  int bitrate = mpeg1 ? kBitratesMpeg1[bitrateIndex] : kBitratesMpeg2[bitrateIndex];
  if (bitrate == 0) return false;
  header.mpegVersion = mpeg1 ? 10 : versionBits == 2 ? 20 : 25;
  header.bitrateKbps = bitrate;
  header.sampleRate = kRatesMpeg1[rateIndex] >> (mpeg1 ? 0 : versionBits == 2 ? 1 : 2);
  header.channels = (data[3] >> 6) == 3 ? 1 : 2;
  header.crc = (data[1] & 1) == 0;
  int padding = (data[2] >> 1) & 1;
  header.frameBytes = (mpeg1 ? 144000 : 72000) * bitrate / header.sampleRate + padding;
  header.samplesPerFrame = mpeg1 ? 1152 : 576;
  header.sideInfoBytes = mpeg1 ? (header.channels == 1 ? 17 : 32) : (header.channels == 1 ? 9 : 17);
  return true;
}

void Mp3_ParseEncoderTag(const uint8_t* frame, size_t size, const Mp3FrameHeader& header, Mp3EncoderTag& tag) {
  tag = Mp3EncoderTag();
  // A Fraunhofer encoder's VBRI frame sits 32 bytes after the header
  // whatever the side information; like a Xing frame it holds no audio.
  constexpr size_t kVbriAt = 4 + 32;
  if (size >= kVbriAt + 4 && std::memcmp(frame + kVbriAt, "VBRI", 4) == 0) {
    tag.present = true;
    return;
  }
  size_t at = 4 + (header.crc ? 2 : 0) + size_t(header.sideInfoBytes);
  if (size < at + 8) return;
  if (std::memcmp(frame + at, "Xing", 4) != 0 && std::memcmp(frame + at, "Info", 4) != 0) return;
  tag.present = true;
  uint32_t flags = BigEndian32(frame + at + 4);
  at += 8;
  if (flags & 1) {
    if (size < at + 4) return;
    tag.frames = BigEndian32(frame + at);
    at += 4;
  }
  if (flags & 2) at += 4;    // stream bytes
  if (flags & 4) at += 100;  // seek table
  if (flags & 8) at += 4;    // quality
  // The LAME extension: a 9-byte encoder name, then revision, lowpass, replay
  // gain (8), flags, bitrate, and at 21 the two 12-bit counts.
  if (size < at + 24) return;
  const uint8_t* lame = frame + at;
  if (std::memcmp(lame, "LAME", 4) != 0 && std::memcmp(lame, "Lavc", 4) != 0 && std::memcmp(lame, "Lavf", 4) != 0)
    return;
  tag.lame = true;
  tag.encoderDelay = lame[21] << 4 | lame[22] >> 4;
  tag.encoderPadding = (lame[22] & 0x0F) << 8 | lame[23];
}

bool Mp3_LooksLikeMp3(const uint8_t* data, size_t size) {
  if (Mp3_Id3v2Size(data, size) != 0) return true;
  Mp3FrameHeader header;
  for (size_t at = 0; at + 4 <= size && at < kSniffWindow; ++at)
    if (ConfirmedFrameAt(data, size, at, header)) return true;
  // A file of a single frame.
  return Mp3_ParseFrameHeader(data, size, header) && size_t(header.frameBytes) >= size;
}

void Mp3Framer::Push(const uint8_t* data, size_t size) {
  if (ended_) return;
  size_t dropped = skip_ < size ? size_t(skip_) : size;
  skip_ -= dropped;
  Compact();
  buffer_.insert(buffer_.end(), data + dropped, data + size);
}

void Mp3Framer::EndOfFile() { ended_ = true; }

void Mp3Framer::Compact() {
  buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(head_));
  head_ = 0;
}

bool Mp3Framer::FrameAt(size_t at, Mp3FrameHeader& header) const {
  if (!Mp3_ParseFrameHeader(buffer_.data() + at, buffer_.size() - at, header)) return false;
  return !locked_ || SameStream(header, first_);
}

// Whether the frame at `at` is believed: right after the last frame its header
// is enough; after junk the next frame must follow it (or the file end there).
bool Mp3Framer::Accept(size_t at, Mp3FrameHeader& header) {
  if (!FrameAt(at, header)) return false;
  if (locked_ && contiguous_) return true;
  size_t end = at + size_t(header.frameBytes);
  Mp3FrameHeader next;
  if (end + 4 <= buffer_.size()) return FrameAt(end, next) && SameStream(header, next);
  return ended_ && end == buffer_.size();
}

bool Mp3Framer::NextFrame(const uint8_t*& frame, Mp3FrameHeader& header) {
  for (;;) {
    size_t avail = buffer_.size() - head_;
    if (avail < 4 || (avail < 10 && !ended_)) return false;
    if (size_t tagSize = Mp3_Id3v2Size(buffer_.data() + head_, avail)) {
      size_t now = tagSize < avail ? tagSize : avail;
      head_ += now;
      skip_ = tagSize - now;
      contiguous_ = false;
      continue;
    }
    Mp3FrameHeader found;
    bool parsed = FrameAt(head_, found);
    if (parsed && avail < size_t(found.frameBytes) + (ended_ ? 0 : 4)) {
      if (!ended_) return false;  // wait for the rest of the frame and the next header
      head_ = buffer_.size();     // a frame cut short by the file's end
      return false;
    }
    if (!parsed || !Accept(head_, found)) {
      ++head_;
      contiguous_ = false;
      continue;
    }
    frame = buffer_.data() + head_;
    head_ += size_t(found.frameBytes);
    contiguous_ = true;
    if (!locked_) {
      locked_ = true;
      first_ = found;
      Mp3_ParseEncoderTag(frame, size_t(found.frameBytes), found, tag_);
      if (tag_.present) continue;  // the tag frame decodes to silence: not the song's
    }
    header = found;
    return true;
  }
}

Mp3Trim Mp3_TrimFor(const Mp3EncoderTag& tag, const Mp3FrameHeader& first) {
  Mp3Trim trim;
  // Without a LAME tag the encoder's delay is unknown (LAME's is 576 at most
  // rates, others differ): only the decoder's own delay is certain.
  trim.skip = kMp3DecoderDelay + (tag.lame ? uint64_t(tag.encoderDelay) : 0);
  if (tag.lame && tag.frames > 0) {
    uint64_t total = uint64_t(tag.frames) * uint64_t(first.samplesPerFrame);
    uint64_t extra = uint64_t(tag.encoderDelay) + uint64_t(tag.encoderPadding);
    if (total > extra) trim.keep = total - extra;
  }
  return trim;
}
