// media_foundation_win32.h -- song files decoded by Windows' Media Foundation, where Windows has it.
//
// Media Foundation's source reader decodes whatever the system has codecs
// for: AAC (M4A) and MP3 from Windows 7, WMA, FLAC and ALAC from Windows 10,
// and any codec the user installed. It is loaded when first needed, never
// linked: on systems without it (older Windows, the "N" editions without the
// media pack) the plug-in still loads, and the song decoder keeps to its own
// formats.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "audio/frame_sink.h"
#include "audio/song_decoder_win32.h"

// What the decode of one file needs to know of it beyond its path.
struct MediaFoundationSong {
  const wchar_t* path = nullptr;
  std::string what;  // what the file is, for the failures ("a FLAC file")
  // The encoder's priming in frames at a sample rate (mp4_priming.h), or empty.
  std::function<int64_t(int sampleRate)> priming;
};

// Decodes `song` with Media Foundation into `sink`, under DecodeSongFile's
// contract (percent, cancel); adds the frames handed over to
// `framesHanded`. The first frame handed over is the song's first: the
// priming the decoder did not drop already, told by the first sample's time,
// is left out (Song_FramesToSkip). Its own failures are told as "WHAT, and
// WHY": "..., and this system has no Media Foundation to decode it" where
// it cannot be loaded, "..., and Media Foundation stopped answering while
// it read it" where the system's decoder hung (20 s without a word): the
// decode then ends, and the decoder's own thread is left to end when it can.
DecodeResult MediaFoundation_Decode(const MediaFoundationSong& song, FrameSink& sink, const std::atomic<bool>& cancel,
                                    std::atomic<int32_t>& percent, std::string& error, uint64_t& framesHanded);
