// generate_accuracy.cpp -- how close the chart generator comes on beat tracks of known tempo.
//
// For each tempo, a 60 s track (clicks, kick, hi-hats, bass, noise) with a
// known first beat goes through the generator; prints the tempo found, and
// how far the Standard arrows' times and their arrivals (by the game's
// timing model) lie from the clicks.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/synth/synth.h"
#include "tools/chart/generate/generate.h"

int main() {
  const double tempos[] = {97.5, 120.0, 143.0, 174.0};
  std::printf("%8s %10s %9s %14s %16s %8s\n", "BPM", "found", "error", "arrows S/A/E", "worst to click", "arrival");
  for (double bpm : tempos) {
    BeatTrack track;
    track.bpm = bpm;
    track.firstBeatMs = 1500 + bpm;
    track.seconds = 60;
    std::vector<double> clicks;
    std::string path = "/tmp/stompara_accuracy.wav";
    std::string error;
    GeneratedSong song;
    if (!WriteAudio(path, SynthesizeBeat(track, &clicks), track.sampleRate, error) ||
        !GenerateChart(path, PlacementOptions(), song, error)) {
      std::fprintf(stderr, "%g BPM: %s\n", bpm, error.c_str());
      return 1;
    }
    std::remove(path.c_str());
    double worst = 0;
    for (const TimedNote& note : song.notes[0]) {
      auto after = std::lower_bound(clicks.begin(), clicks.end(), note.ms);
      double distance = 1e9;
      if (after != clicks.end()) distance = *after - note.ms;
      if (after != clicks.begin()) distance = std::min(distance, note.ms - *(after - 1));
      worst = std::max(worst, distance);
    }
    char arrows[32];
    std::snprintf(arrows, sizeof arrows, "%d/%d/%d", song.placed.levels[0].arrows, song.placed.levels[1].arrows,
                  song.placed.levels[2].arrows);
    std::printf("%8.1f %10.3f %8.3f%% %14s %13.1f ms %5.1f ms\n", bpm, song.grid.bpm(),
                100.0 * std::fabs(song.grid.bpm() - bpm) / bpm, arrows, worst, song.placed.levels[0].worstErrorMs);
  }
  return 0;
}
