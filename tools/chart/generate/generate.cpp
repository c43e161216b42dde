// generate.cpp -- analysis, beat grid, steps and the MSD text of one song.
#include "generate.h"

#include "audio_file.h"
#include "tools/chart/checked_msd.h"
#include "tools/chart/convert/tool_files.h"

bool GenerateFromAnalysis(const std::string& fileName, const PlacementOptions& options, GeneratedSong& song,
                          std::string& error) {
  return MakeChart(song.analysis, BaseName(fileName), "stompara_chart generate", options, song, error) &&
         WriteCheckedMsd(song.placed, song.text, song.msd, error);
}

bool GenerateChart(const std::string& path, const PlacementOptions& options, GeneratedSong& song,
                   std::string& error) {
  if (!AnalyseAudioFile(path, song.analysis, error)) return false;
  return GenerateFromAnalysis(path, options, song, error);
}

