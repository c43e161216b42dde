// song_format.cpp -- WAV, Ogg, MP3 and the containers others decode, by the file's magic numbers.
#include "audio/song_format.h"

#include <cstring>

#include "audio/mp3_header.h"

SongFormat Song_SniffFormat(const uint8_t* data, size_t size) {
  if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0) return SongFormat::kWav;
  if (size >= 4 && std::memcmp(data, "OggS", 4) == 0) return SongFormat::kOgg;
  if (Mp3_LooksLikeMp3(data, size)) return SongFormat::kMp3;
  return SongFormat::kUnknown;
}

bool Song_IsMp4(const uint8_t* data, size_t size) { return size >= 8 && std::memcmp(data + 4, "ftyp", 4) == 0; }

const char* Song_DescribeOther(const uint8_t* data, size_t size) {
  static const uint8_t kAsf[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                   0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
  if (size >= 4 && std::memcmp(data, "fLaC", 4) == 0) return "a FLAC file";
  if (Song_IsMp4(data, size)) return "an MPEG-4 (M4A) file";
  if (size >= 16 && std::memcmp(data, kAsf, 16) == 0) return "a WMA file";
  if (size >= 12 && std::memcmp(data, "FORM", 4) == 0 &&
      (std::memcmp(data + 8, "AIFF", 4) == 0 || std::memcmp(data + 8, "AIFC", 4) == 0))
    return "an AIFF file";
  return "not an MP3, WAV or Ogg Vorbis file";
}

bool Song_IsOtherOgg(const uint8_t* data, size_t size) {
  // The first page: "OggS", its header to the segment count at byte 26,
  // the segment table, then the first packet.
  if (size < 27 || std::memcmp(data, "OggS", 4) != 0) return false;
  size_t packet = 27 + size_t(data[26]);
  auto starts = [&](const char* magic, size_t length) {
    return packet + length <= size && std::memcmp(data + packet, magic, length) == 0;
  };
  return starts("OpusHead", 8) || starts("\x7F" "FLAC", 5);
}
