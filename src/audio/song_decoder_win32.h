// song_decoder_win32.h -- a song file decoded with Windows' own parts, for the chart maker.
//
// The plug-in makes a chart from the playing song's audio on a worker
// thread and may depend on nothing but Windows' DLLs: WAV (integer and float
// PCM here, every other format through the Audio Compression Manager), MP3
// (through the ACM's Layer III codec) and Ogg Vorbis (the compiled-in
// stb_vorbis) are decoded here, sample-exact; everything else (FLAC, M4A,
// WMA, ...), and an Ogg these cannot begin (Opus), goes to Media
// Foundation where Windows has it. The file is told by its content, read a
// block at a time, and its frames go to a FrameSink as they are decoded, so
// memory stays at a few MB whatever the song's length.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "audio/frame_sink.h"

enum class DecodeResult { kDecoded, kCancelled, kFailed };

// Decodes the song file at `path` into `sink` a block at a time: the
// decoder calls sink.Start with the file's rate and channel count, then
// Take; what the sink makes of them is the caller's. MP3 output leaves out
// the encoder's and the codec's delay, as the player's position does.
// `percent` is set 0..100 as the file is read. `cancel` is checked between
// blocks: once it is true the call returns kCancelled within about 20 ms.
// kFailed with `error`, one short lower-case sentence, when the file cannot
// be opened or read, no decoder on the system reads it (saying what the
// file is: "a FLAC file, and ..."), it holds nothing that decodes, or the
// sink refuses its format; a file cut short decodes what is
// there and succeeds (the sink tells from what it took whether that is
// enough). Any thread; no window, no GDI.
DecodeResult DecodeSongFile(const wchar_t* path, FrameSink& sink, const std::atomic<bool>& cancel,
                            std::atomic<int32_t>& percent, std::string& error);
