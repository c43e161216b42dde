// generate_patterns.cpp -- the chart generator on beat patterns that mislead beat trackers.
//
// For each pattern (off-beat kick and bass, backbeat snare, swing, 3/4, an
// intro and breaks, human timing) at tempos from 70 to 250 BPM and on a slow
// glide, a 60 s track goes through the generator and is scored against its
// known beats: the tempo found, the share of Standard arrows whose song
// times lie within 15 ms of a beat (the analysis's error, without the up to
// ~17 ms the game's step timing adds to arrivals), Expert's F1 against the notes as played, and the arrows per second.
// Run by hand; prints one row per track.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/chart/chart_report.h"
#include "tools/chart/evaluate/chart_score.h"
#include "tools/chart/generate/generate.h"
#include "tools/synth/synth.h"

namespace {

// The played onsets, those closer than 10 ms merged: what Expert should hit.
std::vector<double> PlayedOnsets(const std::vector<PlayedNote>& played) {
  std::vector<double> onsets;
  for (const PlayedNote& note : played)
    if (onsets.empty() || note.ms - onsets.back() >= 10) onsets.push_back(note.ms);
  return onsets;
}

// Of the arrows `notes`, the share within `toleranceMs` of a beat, by their song times.
double ShareNear(const std::vector<TimedNote>& notes, const std::vector<double>& beats, double toleranceMs) {
  if (notes.empty()) return 0;
  auto near = std::count_if(notes.begin(), notes.end(),
                            [&](const TimedNote& note) { return NearestDistance(beats, note.ms) <= toleranceMs; });
  return double(near) / double(notes.size());
}

bool Row(const BeatPattern& pattern, double bpm, double endBpm) {
  BeatTrack track;
  track.bpm = bpm;
  track.endBpm = endBpm;
  track.firstBeatMs = 1500 + bpm;
  track.seconds = 60;
  pattern.apply(track);
  std::vector<double> beats;
  std::vector<PlayedNote> played;
  std::vector<float> samples = SynthesizeBeat(track, &beats, &played);
  std::string path = "/tmp/stompara_patterns.wav";
  std::string error;
  GeneratedSong song;
  char tempo[24];
  std::snprintf(tempo, sizeof tempo, endBpm > 0 ? "%g-%g" : "%g", bpm, endBpm);
  if (!WriteAudio(path, samples, track.sampleRate, error) || !GenerateChart(path, PlacementOptions(), song, error)) {
    std::printf("%-22s %8s  failed: %s\n", pattern.name, tempo, error.c_str());
    return false;
  }
  std::remove(path.c_str());
  ScoreReference reference = ReferenceFromBeats(beats);
  reference.notesMs = PlayedOnsets(played);
  ScoredChart chart = ChartFromReport(InspectChart("Song.msd", song.msd));
  chart.beatMs = song.grid.beatMs;
  ChartScore score = ScoreChart(chart, reference);
  double onBeat = ShareNear(song.notes[0], beats, 15);
  std::printf("%-22s %8s %9.2f %6s %+8.2f%% %8.0f%% %7.2f  %4.2f/%4.2f/%4.2f\n", pattern.name, tempo, score.foundBpm,
              OctaveName(score.octave).c_str(), score.tempoErrorPercent, onBeat * 100, score.expertF1,
              score.arrowsPerSecond[0], score.arrowsPerSecond[1], score.arrowsPerSecond[2]);
  std::fflush(stdout);
  return true;
}

}  // namespace

int main() {
  const double tempos[] = {70, 97.5, 120, 143, 174, 250};
  std::printf("%-22s %8s %9s %6s %9s %9s %7s  %s\n", "pattern", "BPM", "found", "octave", "tempo err", "S on beat",
              "E F1", "arrows/s S/A/E");
  int failed = 0;
  for (const BeatPattern& pattern : kBeatPatterns) {
    for (double bpm : tempos) failed += !Row(pattern, bpm, 0);
    failed += !Row(pattern, 118, 126);
  }
  return failed == 0 ? 0 : 1;
}
