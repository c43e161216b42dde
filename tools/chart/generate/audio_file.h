// audio_file.h -- a song file decoded with libsndfile and handed to the analysis.
//
// libsndfile reads WAV, FLAC, Ogg Vorbis and MP3; the frames go to an
// AnalysisStream a block at a time, so an hour-long file needs no more
// memory than a short one. Any thread.
#pragma once

#include <string>

#include "analysis/audio_analysis.h"

// Decodes and analyses the audio file at `path`. False with `error` (one
// sentence) when it cannot be read as audio.
bool AnalyseAudioFile(const std::string& path, AudioAnalysis& analysis, std::string& error);

// The same for a file's bytes in memory (for the fuzzer).
bool AnalyseAudioBytes(const std::string& bytes, AudioAnalysis& analysis, std::string& error);
