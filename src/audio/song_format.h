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

// Whether the first bytes are an MPEG-4 file's (M4A, its ftyp box).
bool Song_IsMp4(const uint8_t* data, size_t size);

// Whether an Ogg file's first bytes begin a stream of another codec than
// Vorbis that other decoders may read: Opus ("OpusHead") or FLAC ("\x7FFLAC").
bool Song_IsOtherOgg(const uint8_t* data, size_t size);

// What a file that is none of those formats is, for the sentence that says
// why it has no chart: "a FLAC file", "an MPEG-4 (M4A) file", "a WMA file",
// "an AIFF file", or "not an MP3, WAV or Ogg Vorbis file" when its first
// bytes say nothing known.
const char* Song_DescribeOther(const uint8_t* data, size_t size);
