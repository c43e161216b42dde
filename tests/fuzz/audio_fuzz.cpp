// audio_fuzz.cpp -- libFuzzer target: any bytes as an audio file for the chart generator.
//
// Whatever a music folder holds, decoding and analysing it must end in an
// analysis or a reason, and a chart made from it must be one the game reads
// without a surprise.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/chart/chart_report.h"
#include "tools/chart/generate/audio_file.h"
#include "tools/chart/generate/generate.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  GeneratedSong song;
  std::string error;
  if (!AnalyseAudioBytes(bytes, song.analysis, error)) {
    Check(!error.empty());
    return 0;
  }
  Check(song.analysis.durationMs >= 0);
  for (const Onset& onset : song.analysis.onsets) Check(onset.ms == onset.ms);
  if (GenerateFromAnalysis("fuzz.wav", PlacementOptions(), song, error)) {
    ChartReport report = InspectChart("Song.msd", song.msd);
    Check(report.warnings.empty() && report.notPlayable.empty());
  } else {
    Check(!error.empty());
  }
  return 0;
}
