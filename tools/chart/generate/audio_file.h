// audio_file.h -- a song file decoded and handed to the analysis.
//
// On Linux FFmpeg's libraries read whatever FFmpeg reads: WAV, FLAC, MP3,
// Ogg Vorbis, Opus, M4A/AAC, WMA ... (audio_file.cpp, ffmpeg_decoder.h); on
// Windows the plug-in's own decoders read WAV, MP3 and Ogg Vorbis with
// Windows' parts (audio_file_win32.cpp). The frames go to an AnalysisStream
// a block at a time, so an hour-long file needs no more memory than a short
// one. Any thread.
#pragma once

#include <string>

#include "analysis/audio_analysis.h"

// Decodes and analyses the audio file at `path`. False with `error` (one
// sentence) when it cannot be read as audio.
bool AnalyseAudioFile(const std::string& path, AudioAnalysis& analysis, std::string& error);

// The same for a file's bytes in memory (for the fuzzer; Linux only).
bool AnalyseAudioBytes(const std::string& bytes, AudioAnalysis& analysis, std::string& error);
