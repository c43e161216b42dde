// song_format.h -- which decoder a song file needs, told from its first bytes.
//
// The extension of a file says little (players rename, downloads lie), so the
// plug-in looks at the content: a RIFF/WAVE header, an Ogg page, or an MP3's
// ID3v2 tag or Layer III frames. Plain computation, any thread.
#pragma once

#include <cstddef>
#include <cstdint>

enum class SongFormat { kUnknown, kWav, kOgg, kMp3 };

// The format of a file whose first bytes (as many as there are, up to a
// block) are `data`.
SongFormat Song_SniffFormat(const uint8_t* data, size_t size);
