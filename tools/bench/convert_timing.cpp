// convert_timing.cpp -- how close converted arrows come to their notes, replayed frame by frame.
//
// Simfiles written here (SM and DWI, tempos 95..200 BPM, eighths to 24ths,
// offsets, a tempo change and a stop) are converted as `stompara_chart
// convert` does; each level is then played by the game's rules with steady
// 25 ms frames at five phases and with frames of 23..27 ms at random, and
// each note's arrival is compared with its time in the simfile.
//   stompara_convert_timing [FILE.sm|.dwi|.ssc ...]   (none: the built-in samples)
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tools/chart/convert/convert.h"
#include "tools/chart/evaluate/frame_replay.h"

namespace {

struct Sample {
  std::string name;  // with its extension
  std::string text;
};

// An SM song: `measures` measures of rows of `rowsPerMeasure`, a note on
// every `every`-th row walking the lanes.
std::string SmSong(double bpm, double offset, int measures, int rowsPerMeasure, int every,
                   const std::string& extraTiming = "") {
  std::ostringstream sm;
  sm << "#TITLE:Sample;\n#OFFSET:" << offset << ";\n#BPMS:0=" << bpm << extraTiming << ";\n";
  const char* const kDifficulties[] = {"Easy", "Medium", "Hard"};
  for (int level = 0; level < 3; ++level) {
    int step = every * (3 - level);
    sm << "#NOTES:dance-single::" << kDifficulties[level] << ":" << 3 + 3 * level << ":0,0,0,0,0:\n";
    int row = 0;
    for (int m = 0; m < measures; ++m) {
      if (m) sm << ",\n";
      for (int r = 0; r < rowsPerMeasure; ++r, ++row) {
        std::string cells = "0000";
        if (m >= 2 && row % step == 0) cells[size_t(row / step) % 4] = '1';
        sm << cells << "\n";
      }
    }
    sm << ";\n";
  }
  return sm.str();
}

// A DWI song: eighths with sixteenth pairs, `gapMs` to the first beat.
std::string DwiSong(double bpm, int gapMs, int bars) {
  std::string steps(16, '0');  // two bars of rest: the first arrow needs 2.4 s to rise
  const char lanes[] = "4286";
  for (int i = 0; i < bars * 8; ++i) steps += i % 4 == 3 ? std::string("(") + lanes[i % 4] + lanes[(i + 1) % 4] + ")"
                                                         : std::string(1, lanes[i % 4]);
  std::ostringstream dwi;
  dwi << "#TITLE:Sample;\n#BPM:" << bpm << ";\n#GAP:" << gapMs << ";\n#SINGLE:BASIC:3:" << steps
      << ";\n#SINGLE:ANOTHER:6:" << steps << ";\n#SINGLE:MANIAC:9:" << steps << ";\n";
  return dwi.str();
}

std::vector<Sample> BuiltInSamples() {
  return {
      {"156 bpm sixteenths.sm", SmSong(156, -0.123, 60, 16, 1)},
      {"120 bpm eighths.sm", SmSong(120, 0.05, 50, 8, 1)},
      {"174 bpm sixteenths.sm", SmSong(174, 0.3, 70, 16, 1)},
      {"95 bpm triplets.sm", SmSong(95, 0.011, 40, 12, 1)},
      {"200 bpm eighths.sm", SmSong(200, -0.5, 80, 8, 1)},
      {"140 bpm change and stop.sm", SmSong(140, 0.2, 50, 16, 1, ",64=150;\n#STOPS:96=0.5")},
      {"128 bpm.dwi", DwiSong(128, 250, 60)},
      {"143 bpm.dwi", DwiSong(143, 1017, 60)},
  };
}

struct Totals {
  std::vector<double> errors;
  double lateness = 0;  // summed over the replays
  int replays = 0;
  int notes = 0;
  int lost = 0;
  int skipped = 0;
};

void Play(const ConvertedSong& song, int32_t firstFrameMs, const std::function<int32_t()>& interval,
          Totals& totals) {
  for (int level = 0; level < kLevels; ++level) {
    std::vector<TimedLanes> notes;
    for (const SimNote& note : song.song.charts[size_t(song.sources[level])].notes) {
      notes.push_back({SecondsOfNote(song.song, note) * 1000.0, note.lanes});
    }
    Replay replay = ReplayChart(song.placed.steps[level], song.placed.msPerStep, firstFrameMs, interval);
    // Frames other than 25 ms make every arrow rise slower or faster by
    // their whole pixels: that lateness is the field's, told apart.
    double lateness = RiseLatenessMs(replay, 25);
    totals.lateness += lateness;
    ++totals.replays;
    NoteTiming timing = TimeNotes(notes, Shifted(replay, lateness));
    totals.errors.insert(totals.errors.end(), timing.errorsMs.begin(), timing.errorsMs.end());
    totals.notes += int(notes.size());
    totals.lost += timing.lost;
    totals.skipped += replay.skippedArrows;
  }
}

double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, size_t(q * double(values.size())))];
}

void Print(const char* name, const Totals& t) {
  size_t within = size_t(std::count_if(t.errors.begin(), t.errors.end(), [](double e) { return e <= 25.0; }));
  std::printf("  %-6s ms median %5.1f ms  p99 %5.1f ms  within 25 ms %6.2f %%  lost %d  skipped arrows %d"
              "  (rises late by %.0f ms)\n", name, Quantile(t.errors, 0.5), Quantile(t.errors, 0.99),
              100.0 * double(within) / std::max(1, t.notes), t.lost, t.skipped, t.lateness / std::max(1, t.replays));
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<Sample> samples;
  for (int i = 1; i < argc; ++i) {
    std::ifstream file(argv[i], std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    samples.push_back({argv[i], bytes.str()});
  }
  if (samples.empty()) samples = BuiltInSamples();
  // Steady 25 ms frames; frames of 23..27 ms; frames of 25..27 ms (a host
  // that waits 25 ms and then some).
  const char* const kRunNames[] = {"25", "23..27", "25..27"};
  Totals all[3];
  std::mt19937 random(2026);
  for (const Sample& sample : samples) {
    ConvertedSong song;
    std::string error;
    if (!ConvertSimfile(sample.name, sample.text, PlacementOptions(), song, error)) {
      std::printf("%s: %s\n", sample.name.c_str(), error.c_str());
      continue;
    }
    std::printf("%s: %s\n", sample.name.c_str(), SummaryOf(song).c_str());
    Totals runs[3];
    for (int32_t phase = 0; phase < 25; phase += 5) Play(song, phase, [] { return 25; }, runs[0]);
    std::uniform_int_distribution<int32_t> frame(23, 27);
    std::uniform_int_distribution<int32_t> late(25, 27);
    for (int run = 0; run < 5; ++run) Play(song, run * 5, [&] { return frame(random); }, runs[1]);
    for (int run = 0; run < 5; ++run) Play(song, run * 5, [&] { return late(random); }, runs[2]);
    for (int r = 0; r < 3; ++r) {
      Print(kRunNames[r], runs[r]);
      all[r].errors.insert(all[r].errors.end(), runs[r].errors.begin(), runs[r].errors.end());
      all[r].notes += runs[r].notes;
      all[r].lost += runs[r].lost;
      all[r].skipped += runs[r].skipped;
      all[r].lateness += runs[r].lateness;
      all[r].replays += runs[r].replays;
    }
  }
  std::printf("all samples:\n");
  for (int r = 0; r < 3; ++r) Print(kRunNames[r], all[r]);
  return 0;
}
