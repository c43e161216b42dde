// generate.cpp -- analysis, beat grid, steps and the MSD text of one song.
#include "generate.h"

#include <algorithm>
#include <cstdio>

#include "analysis/step_choice.h"
#include "audio_file.h"
#include "tools/chart/checked_msd.h"
#include "tools/chart/convert/tool_files.h"

bool GenerateFromAnalysis(const std::string& fileName, const PlacementOptions& options, GeneratedSong& song,
                          std::string& error) {
  if (song.analysis.durationMs < kShortestSongMs) {
    char text[96];
    std::snprintf(text, sizeof text, "too short for a chart (%.1f s; a song needs at least %.0f s)",
                  song.analysis.durationMs / 1000.0, kShortestSongMs / 1000.0);
    error = text;
    return false;
  }
  if (!FitBeatGrid(song.analysis, song.grid, error)) return false;
  ChooseSteps(song.analysis, song.grid, song.notes);
  if (!PlaceSteps(song.notes, song.grid.beatMs / 2, options, song.placed, error)) return false;
  if (song.placed.levels[0].arrows == 0) {
    error = "no beat strong enough for an arrow";
    return false;
  }
  MsdText text;
  text.title = BaseName(fileName);
  char remark[160];
  std::snprintf(remark, sizeof remark, "Generated from the audio by stompara_chart generate, %.2f BPM, %d steps to "
                "the eighth note", song.grid.bpm(), song.placed.subdivision);
  text.remark = remark;
  const int meters[kLevels] = {2, 5, 8};
  for (int level = 0; level < kLevels; ++level) text.meters[level] = meters[level];
  return WriteCheckedMsd(song.placed, text, song.msd, error);
}

bool GenerateChart(const std::string& path, const PlacementOptions& options, GeneratedSong& song,
                   std::string& error) {
  if (!AnalyseAudioFile(path, song.analysis, error)) return false;
  return GenerateFromAnalysis(path, options, song, error);
}

std::string SummaryOf(const GeneratedSong& song) {
  const PlacedSteps& p = song.placed;
  double worst = std::max({p.levels[0].worstErrorMs, p.levels[1].worstErrorMs, p.levels[2].worstErrorMs});
  char text[256];
  std::snprintf(text, sizeof text, "%.2f BPM%s, %d step%s to the eighth; arrows %d / %d / %d; timing error "
                "median %.1f ms, worst %.1f ms", song.grid.bpm(),
                song.grid.steady ? "" : " (tempo drifts: beats as heard)", p.subdivision,
                p.subdivision == 1 ? "" : "s", p.levels[0].arrows, p.levels[1].arrows, p.levels[2].arrows,
                p.medianErrorMs, worst);
  return text;
}
