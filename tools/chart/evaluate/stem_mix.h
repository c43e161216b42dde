// stem_mix.h -- a song's separate recordings (backing, guitar, rhythm) summed to the song as heard.
//
// Frets on Fire plays a song as several Ogg Vorbis files at once; the
// generator hears one file. The stems are decoded by FFmpeg (ffmpeg_decoder.h)
// a block at a time, each folded to mono, summed unscaled (as the game plays them)
// and written with libsndfile as a mono 32-bit float WAV, which keeps
// peaks above full scale. Any thread.
#pragma once

#include <string>
#include <vector>

// Writes the sum of the audio files `stems` (one sample rate) to `wavPath`.
// False with `error` (one sentence) when one cannot be read or the rates differ;
// a failed mix leaves no file behind.
bool MixStems(const std::vector<std::string>& stems, const std::string& wavPath, std::string& error);
