// vis_sound.h -- the sound the player hands a visualisation: WAV files read whole, waveform and spectrum rows.
//
// Before each Render the player fills the module's waveformData[2][576]
// (576 consecutive samples of what plays now, per channel, each the top
// byte of the 16-bit sample as a signed byte) and spectrumData[2][576]
// (576 magnitudes 0..255). The harness does the same from a playlist
// entry's `sound`. Portable, plain computation, any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Samples a row holds, and the rows (channels) the record has.
constexpr int kVisSamples = 576;
constexpr int kVisRows = 2;

// A 16-bit PCM sound held whole: `samples` interleaved, `channels` 1 or 2.
struct VisSound {
  int32_t rate = 0;
  int32_t channels = 0;
  std::vector<int16_t> samples;
  int64_t frames() const { return channels > 0 ? int64_t(samples.size()) / channels : 0; }
};

// Reads a RIFF/WAVE file's bytes: 16-bit integer PCM (format tag 1, or the
// extensible tag 0xFFFE), one or two channels, any rate above 0. False with
// `error` saying what is wrong when it is not such a file. A data chunk
// longer than the file gives what is there.
bool ReadVisSound(const std::string& bytes, VisSound& sound, std::string& error);

// The frame of `sound` playing at `positionMs`: position * rate / 1000,
// rounded down (before 0 for a negative position).
int64_t FrameAt(int32_t positionMs, int32_t rate);

// Fills both rows with the top bytes of frames firstFrame .. firstFrame +
// 575 of `sound` (row c channel c; a mono sound's in both rows); frames
// outside the sound, or every frame when `sound` is null, are 0 (silence).
void FillWaveform(const VisSound* sound, int64_t firstFrame, uint8_t (&rows)[kVisRows][kVisSamples]);

// Fills each spectrum row from the waveform row of its channel: the
// magnitudes of a Hann-windowed real FFT of the row's 576 signed bytes,
// zero-padded to 1152, so bin i is the frequency i * rate / 1152. The
// scale makes a bin twice the amplitude (in waveform units) of a sine at
// its frequency: a full-scale sine (amplitude 127) reads 254; capped at 255.
void FillSpectrum(const uint8_t (&waveform)[kVisRows][kVisSamples], uint8_t (&spectrum)[kVisRows][kVisSamples]);
