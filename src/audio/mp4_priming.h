// mp4_priming.h -- how many frames of an MPEG-4 (M4A) song's audio are its encoder's priming.
//
// An AAC encoder starts every stream with a frame or two of priming that is
// not the song (1024 samples from FFmpeg, 2112 from iTunes). The file says
// how much, in the audio track's edit list (its first edit starts that far
// into the media) or in iTunes' "iTunSMPB" tag; the player leaves it out, so
// the chart's audio must too. Decoders differ in whether they already did.
// Plain computation, any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

// Reads `size` bytes at `offset` of the file into `out`; false past its end
// or on a read error.
using ReadAt = std::function<bool(uint64_t offset, uint8_t* out, size_t size)>;

// The priming of the first audio track of the MPEG-4 file of `fileSize`
// bytes, in frames at `sampleRate`: the edit list's, else iTunSMPB's, else
// 0 (also for a file that is no MPEG-4 or whose boxes are broken).
int64_t Mp4_PrimingFrames(const ReadAt& read, uint64_t fileSize, int sampleRate);

// The frames to leave out at the start of a decoded stream whose first
// sample the decoder timed `firstTime` (100 ns units, the container's media
// time) at `sampleRate`, when `priming` frames of the media are not the
// song: what of the priming the decoder did not already drop, and audio
// timed before zero. Never negative: a stream timed late is not padded.
int64_t Song_FramesToSkip(int64_t priming, int64_t firstTime, int sampleRate);
