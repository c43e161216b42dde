// audio_file_win32.cpp -- a song file decoded by the plug-in's own decoders, for the Windows chart tool.
#include "audio_file.h"

#include <windows.h>

#include <atomic>

#include "audio/song_decoder_win32.h"
#include "autochart/analysis_sink.h"

bool AnalyseAudioFile(const std::string& path, AudioAnalysis& analysis, std::string& error) {
  // The tool's paths are in the system's ANSI code page, as its arguments are.
  int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring wide(size_t(length > 0 ? length : 1), L'\0');
  if (length <= 0 || MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length) <= 0) {
    error = "the file's name cannot be read";
    return false;
  }
  AnalysisStream stream;
  AnalysisSink sink(stream);
  std::atomic<bool> never{false};
  std::atomic<int32_t> percent{0};
  if (DecodeSongFile(wide.c_str(), sink, never, percent, error) != DecodeResult::kDecoded) return false;
  stream.Finish(analysis);
  return true;
}
