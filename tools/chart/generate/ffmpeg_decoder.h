// ffmpeg_decoder.h -- song files decoded by FFmpeg's libraries, for the Linux chart tool.
//
// Whatever FFmpeg reads (WAV, FLAC, MP3, Ogg Vorbis, Opus, M4A/AAC, WMA ...)
// comes out as interleaved 32-bit float frames at the file's own rate and
// channel count, a block at a time: memory stays the same for an hour as for
// a minute. The first frame handed over is the first the player plays: the
// encoder's priming and padding (an MP3's LAME tag, an M4A's edit list, an
// Opus pre-skip) are cut as FFmpeg reports them. FFmpeg's own log is
// silenced; every failure is told through `error` (one short lower-case
// sentence). A decoder belongs to one thread at a time; different decoders
// may run on different threads.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "audio/frame_sink.h"

struct AudioDecoder;
struct CloseAudioDecoder {
  void operator()(AudioDecoder* decoder) const;
};
using AudioDecoderPtr = std::unique_ptr<AudioDecoder, CloseAudioDecoder>;

// Opens the file at `path` and its best audio stream. Null with `error` when
// it cannot be opened or holds no audio FFmpeg decodes.
AudioDecoderPtr OpenAudioFile(const std::string& path, std::string& error);

// The same over a file's bytes in memory; `bytes` must outlive the decoder.
AudioDecoderPtr OpenAudioBytes(const std::string& bytes, std::string& error);

// The format every frame of ReadAudioFrames comes in (fixed at the open,
// even if the stream changes later: later parts are converted to it).
int AudioSampleRate(const AudioDecoder& decoder);
int AudioChannels(const AudioDecoder& decoder);

// Fills `frames` (room for `maxFrames` frames of AudioChannels each) with the
// next frames; the count written, less than `maxFrames` only at the end, 0
// after it. Packets FFmpeg cannot decode are passed over; `error` tells the
// last such failure (empty when none).
size_t ReadAudioFrames(AudioDecoder& decoder, float* frames, size_t maxFrames, std::string& error);

// Decodes all of `decoder` into `sink`, a block at a time. False with `error`
// when the sink refuses the format or not one frame could be decoded.
bool DecodeAudio(AudioDecoder& decoder, FrameSink& sink, std::string& error);
