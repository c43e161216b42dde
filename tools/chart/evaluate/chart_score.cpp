// chart_score.cpp -- arrivals against a reference grid and notes.
#include "chart_score.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "chart/msd_format.h"

namespace {

// A tempo map with more beats than this up to its last note is no song's.
constexpr int64_t kMostBeats = 1000000;

// Beats at every quarter note from tick 0 to one past `lastTick`, walking the tempo map once.
std::vector<double> QuarterBeats(const MidiFile& midi, int64_t lastTick) {
  std::vector<double> beats;
  size_t t = 0;
  for (int64_t tick = 0; tick <= lastTick + midi.ticksPerQuarter; tick += midi.ticksPerQuarter) {
    while (t + 1 < midi.tempos.size() && midi.tempos[t + 1].tick <= tick) ++t;
    const MidiTempo& tempo = midi.tempos[t];
    beats.push_back(tempo.ms + double(tick - tempo.tick) * tempo.usPerQuarter / (1000.0 * midi.ticksPerQuarter));
  }
  return beats;
}

// The beat of the tempo that holds longest up to `untilMs`.
double LongestHeldBeatMs(const MidiFile& midi, double untilMs) {
  std::map<uint32_t, double> held;
  for (size_t i = 0; i < midi.tempos.size(); ++i) {
    double end = i + 1 < midi.tempos.size() ? std::min(midi.tempos[i + 1].ms, untilMs) : untilMs;
    held[midi.tempos[i].usPerQuarter] += std::max(0.0, end - midi.tempos[i].ms);
  }
  uint32_t longest = midi.tempos.front().usPerQuarter;
  double longestMs = -1;
  for (const auto& [us, ms] : held) {
    if (ms > longestMs) longest = us, longestMs = ms;
  }
  return longest / 1000.0;
}

// Of the octaves 1/2, 1 and 2, the one `ratio` lies nearest to (on a log scale).
double NearestOctave(double ratio) {
  double best = 1;
  for (double octave : {0.5, 2.0}) {
    if (std::fabs(std::log(ratio / octave)) < std::fabs(std::log(ratio / best))) best = octave;
  }
  return best;
}

}  // namespace

bool ReferenceFromMidi(const MidiFile& midi, ScoreReference& reference, std::string& error) {
  int level = HardestFofLevel(midi);
  if (level < 0 || midi.ticksPerQuarter <= 0 || midi.tempos.empty()) {
    error = "the MIDI file has no chart notes (keys 60 to 100)";
    return false;
  }
  int64_t lastTick = 0;
  for (const MidiNote& note : midi.notes) lastTick = std::max(lastTick, note.tick);
  if (lastTick / midi.ticksPerQuarter > kMostBeats) {
    error = "the MIDI chart runs over a million beats";
    return false;
  }
  reference.notesMs = FofNoteTimes(midi, level);
  reference.beatsMs = QuarterBeats(midi, lastTick);
  reference.beatMs = LongestHeldBeatMs(midi, reference.notesMs.back());
  return true;
}

ScoreReference ReferenceFromBeats(const std::vector<double>& beatsMs) {
  ScoreReference reference;
  reference.beatsMs = beatsMs;
  reference.notesMs = beatsMs;
  std::vector<double> intervals;
  for (size_t i = 1; i < beatsMs.size(); ++i) intervals.push_back(beatsMs[i] - beatsMs[i - 1]);
  std::nth_element(intervals.begin(), intervals.begin() + intervals.size() / 2, intervals.end());
  reference.beatMs = intervals.empty() ? 0 : intervals[intervals.size() / 2];
  return reference;
}

double NearestDistance(const std::vector<double>& times, double ms) {
  auto after = std::lower_bound(times.begin(), times.end(), ms);
  double best = INFINITY;
  if (after != times.end()) best = *after - ms;
  if (after != times.begin()) best = std::min(best, ms - *(after - 1));
  return best;
}

ScoredChart ChartFromReport(const ChartReport& report) {
  ScoredChart chart;
  chart.msPerStep = report.msPerStep;
  chart.beatMs = 2.0 * report.msPerStep;
  for (int level = 0; level < kLevels; ++level) chart.steps[level] = report.levels[level].steps;
  return chart;
}

std::vector<double> ArrivalTimes(const std::string& steps, float msPerStep) {
  std::vector<double> arrivals;
  if (!isPlayableStepLength(msPerStep)) return arrivals;
  double lead = LeadFor(kScoreFrameMs);
  for (size_t i = 0; i < steps.size() && i < size_t(INT32_MAX); ++i) {
    if (!LanesOf(steps[i]).empty()) arrivals.push_back(double(StepDueAt(int32_t(i + 1), msPerStep)) + lead);
  }
  return arrivals;
}

int MatchedNotes(const std::vector<double>& arrivals, const std::vector<double>& notes, double toleranceMs) {
  std::vector<bool> taken(notes.size(), false);
  int matched = 0;
  for (double arrival : arrivals) {
    size_t best = notes.size();
    auto first = std::lower_bound(notes.begin(), notes.end(), arrival - toleranceMs);
    for (size_t j = size_t(first - notes.begin()); j < notes.size() && notes[j] <= arrival + toleranceMs; ++j) {
      if (!taken[j] && (best == notes.size() || std::fabs(notes[j] - arrival) < std::fabs(notes[best] - arrival))) {
        best = j;
      }
    }
    if (best == notes.size()) continue;
    taken[best] = true;
    ++matched;
  }
  return matched;
}

ChartScore ScoreChart(const ScoredChart& chart, const ScoreReference& reference) {
  ChartScore score;
  score.referenceBpm = 60000.0 / reference.beatMs;
  score.foundBpm = 60000.0 / chart.beatMs;
  score.octave = NearestOctave(score.foundBpm / score.referenceBpm);
  score.tempoErrorPercent = (score.foundBpm / (score.octave * score.referenceBpm) - 1.0) * 100.0;
  if (reference.notesMs.empty()) return score;
  double first = reference.notesMs.front();
  double last = reference.notesMs.back();
  double seconds = (last - first) / 1000.0;
  std::vector<double> inside[kLevels];
  for (int level = 0; level < kLevels; ++level) {
    for (double arrival : ArrivalTimes(chart.steps[level], chart.msPerStep)) {
      if (arrival >= first - kMatchMs && arrival <= last + kMatchMs) inside[level].push_back(arrival);
    }
    score.arrowsPerSecond[level] = seconds > 0 ? double(inside[level].size()) / seconds : 0;
  }
  score.notesPerSecond = seconds > 0 ? double(reference.notesMs.size()) / seconds : 0;
  std::vector<double> eighths = EighthsOf(reference.beatsMs);
  score.standardArrows = int(inside[0].size());
  int onGrid = int(std::count_if(inside[0].begin(), inside[0].end(), [&](double ms) {
    return NearestDistance(eighths, ms) <= kOnGridMs;
  }));
  score.onGridShare = score.standardArrows > 0 ? double(onGrid) / score.standardArrows : 0;
  const std::vector<double>& expert = inside[kLevels - 1];
  int matched = MatchedNotes(expert, reference.notesMs, kMatchMs);
  score.expertPrecision = expert.empty() ? 0 : double(matched) / double(expert.size());
  score.expertRecall = double(matched) / double(reference.notesMs.size());
  score.expertF1 = 2.0 * matched / double(expert.size() + reference.notesMs.size());
  return score;
}

std::string OctaveName(double octave) {
  return octave == 2 ? "x2" : octave == 0.5 ? "x1/2" : "x1";
}

std::vector<double> EighthsOf(const std::vector<double>& beats) {
  std::vector<double> eighths;
  for (size_t i = 0; i < beats.size(); ++i) {
    if (i > 0) eighths.push_back((beats[i - 1] + beats[i]) / 2);
    eighths.push_back(beats[i]);
  }
  return eighths;
}
