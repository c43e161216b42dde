// song_format.cpp -- WAV, Ogg or MP3 by the file's magic numbers.
#include "audio/song_format.h"

#include <cstring>

#include "audio/mp3_header.h"

SongFormat Song_SniffFormat(const uint8_t* data, size_t size) {
  if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0) return SongFormat::kWav;
  if (size >= 4 && std::memcmp(data, "OggS", 4) == 0) return SongFormat::kOgg;
  if (Mp3_LooksLikeMp3(data, size)) return SongFormat::kMp3;
  return SongFormat::kUnknown;
}
