// step_placement.cpp -- picks the grid and the step of every note.
#include "authoring/step_placement.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdio>

#include "chart/lane_capacity.h"
#include "chart/msd_format.h"
#include "chart/game_timing.h"

namespace {

// The finest grid tried has steps a tenth of the eighth note long.
constexpr int kMostStepsPerEighth = 10;
// A grid is tuned a little off the song's tempo, so that the step nearest
// each note lies near it all through the song, in steps that move the
// last note by at most this much.
constexpr double kTuningResolutionMs = 0.5;

int Count(uint8_t lanes) { return int(std::bitset<8>(lanes).count()); }

// `lanes` without its highest lanes beyond the first `keep`.
uint8_t FirstLanes(uint8_t lanes, int keep) {
  uint8_t kept = 0;
  for (int n = 0; n < kLaneCount && keep > 0; ++n) {
    if (lanes & (1u << n)) {
      kept |= uint8_t(1u << n);
      --keep;
    }
  }
  return kept;
}

struct Grid {
  std::string bpmText;
  float msPerStep = 0;
  double positionPerStep = 0;  // playback ms a step lasts, the clock's drift allowed for
};

// The grid of `stepMs` of song time: the clock counts 221 ms for every 220
// played, so its step is that much longer.
bool GridFor(double stepMs, Grid& grid) {
  char text[48];
  std::snprintf(text, sizeof text, "%.6f", 30000.0 / (stepMs * 221.0 / 220.0));
  std::string bpm = text;
  while (bpm.back() == '0') bpm.pop_back();
  if (bpm.back() == '.') bpm.pop_back();
  float read = 0;
  if (readTempo(("#BPM:" + bpm + ";").c_str(), read, grid.msPerStep) != kTempoRead) return false;
  grid.bpmText = bpm;
  grid.positionPerStep = double(grid.msPerStep) * 220.0 / 221.0;
  return true;
}

// StepDueAt, found from the due time's estimate rather than by a search
// over every position: the grid search asks it for every note of every
// grid it tries.
int64_t DueAt(int32_t index, float msPerStep) {
  auto reached = [&](int32_t pos) { return stepIndexAt(correctedPosition(pos, 0), msPerStep) >= index; };
  double guess = double(index) * double(msPerStep) * 220.0 / 221.0;
  if (!(guess >= 1 && guess < 1.0e9)) return StepDueAt(index, msPerStep);
  int32_t pos = int32_t(guess);
  for (int tries = 0; tries < 8 && pos > 0 && reached(pos - 1); ++tries) --pos;
  for (int tries = 0; tries < 8 && !reached(pos); ++tries) ++pos;
  if (reached(pos) && (pos == 0 || !reached(pos - 1))) return pos;
  return StepDueAt(index, msPerStep);
}

// The step whose arrows reach the target row closest to `ms`, with its
// error; 0 when even step 1 comes too late. Due times rise with the step,
// so only the step nearest the estimate and its neighbour on the note's
// side can be closest; a tie goes to the earlier step.
int32_t ClosestStep(const Grid& grid, double leadMs, double ms, double& error) {
  double wanted = (ms - leadMs) / grid.positionPerStep;
  if (!(wanted < double(INT32_MAX) - 2) || std::lround(wanted) < 1) return 0;
  int32_t guess = int32_t(std::lround(wanted));
  int64_t due = DueAt(guess, grid.msPerStep);
  if (due < 0) return 0;  // no position reaches the step
  error = double(due) + leadMs - ms;
  int32_t other = error > 0 ? guess - 1 : guess + 1;
  int64_t otherDue = other >= 1 ? DueAt(other, grid.msPerStep) : -1;
  if (otherDue < 0) return guess;
  double otherError = double(otherDue) + leadMs - ms;
  bool closer = std::fabs(otherError) < std::fabs(error) || (std::fabs(otherError) == std::fabs(error) && other < guess);
  if (!closer) return guess;
  error = otherError;
  return other;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// How well `grid` fits: notes that would share a step with the one before
// (fewer is better), then the median arrival error.
struct GridFit {
  int sharing = 0;
  double medianMs = 0;
  double tailMs = 0;
};

// The notes as the grid search sees them: each note time once (the levels
// of a made chart share most of theirs), and each level's notes as indices
// into those times, in time order.
struct SearchNotes {
  std::vector<double> times;
  std::vector<int32_t> levels[kLevels];
  // Scratch for each grid tried.
  std::vector<int32_t> stepOf;
  std::vector<double> errorOf, errors;
  std::vector<int32_t> steps;
};

SearchNotes SearchNotesOf(const std::vector<TimedNote> (&levels)[kLevels]) {
  SearchNotes search;
  for (const auto& notes : levels) {
    for (const TimedNote& note : notes) {
      if (note.ms <= kLatestNoteMs) search.times.push_back(note.ms);
    }
  }
  std::sort(search.times.begin(), search.times.end());
  search.times.erase(std::unique(search.times.begin(), search.times.end()), search.times.end());
  for (int level = 0; level < kLevels; ++level) {
    for (const TimedNote& note : levels[level]) {
      if (!(note.ms <= kLatestNoteMs)) continue;
      auto at = std::lower_bound(search.times.begin(), search.times.end(), note.ms);
      search.levels[level].push_back(int32_t(at - search.times.begin()));
    }
    std::sort(search.levels[level].begin(), search.levels[level].end());
  }
  return search;
}

GridFit FitOf(SearchNotes& search, const Grid& grid, double leadMs) {
  size_t count = search.times.size();
  search.stepOf.resize(count);
  search.errorOf.resize(count);
  for (size_t i = 0; i < count; ++i) {
    search.stepOf[i] = ClosestStep(grid, leadMs, search.times[i], search.errorOf[i]);
  }
  GridFit fit;
  std::vector<double>& errors = search.errors;
  errors.clear();
  for (const auto& level : search.levels) {
    std::vector<int32_t>& steps = search.steps;
    steps.clear();
    for (int32_t i : level) {
      if (search.stepOf[size_t(i)] == 0) continue;
      errors.push_back(std::fabs(search.errorOf[size_t(i)]));
      steps.push_back(search.stepOf[size_t(i)]);
    }
    // In time order the steps seldom need sorting.
    if (!std::is_sorted(steps.begin(), steps.end())) std::sort(steps.begin(), steps.end());
    fit.sharing += int(steps.end() - std::unique(steps.begin(), steps.end()));
  }
  if (errors.empty()) return fit;
  auto middle = errors.begin() + ptrdiff_t(errors.size() / 2);
  std::nth_element(errors.begin(), middle, errors.end());
  fit.medianMs = *middle;
  // The worst hundredth: a frame's half adds to each, so these are the notes
  // that would land beyond the hit's 25 ms.
  // Everything past the median is no smaller than it: the tail is found there.
  auto tail = errors.begin() + ptrdiff_t(errors.size() * 99 / 100);
  std::nth_element(middle, tail, errors.end());
  fit.tailMs = *tail;
  return fit;
}

// One level's notes onto `grid`: lanes per step (index k at k - 1).
std::vector<uint8_t> PlaceLevel(std::vector<TimedNote> notes, const Grid& grid, double leadMs,
                                LevelPlacement& report, std::vector<double>& errors) {
  std::stable_sort(notes.begin(), notes.end(), [](const TimedNote& a, const TimedNote& b) { return a.ms < b.ms; });
  std::vector<uint8_t> steps;
  report.notes = int(notes.size());
  double total = 0;
  for (const TimedNote& note : notes) {
    uint8_t lanes = note.lanes & 0xF;
    if (Count(lanes) > 2) {
      report.cutArrows += Count(lanes) - 2;
      lanes = FirstLanes(lanes, 2);
    }
    if (!(note.ms <= kLatestNoteMs)) {
      ++report.tooLate;
      continue;
    }
    double error = 0;
    int32_t k = ClosestStep(grid, leadMs, note.ms, error);
    if (k == 0) {
      ++report.tooEarly;
      continue;
    }
    if (size_t(k) > steps.size()) steps.resize(size_t(k), 0);
    uint8_t& step = steps[size_t(k) - 1];
    uint8_t added = lanes & uint8_t(~step);
    if (step != 0) {
      if (added == 0 || Count(step) == 2) {
        ++report.dropped;
        continue;
      }
      ++report.merged;
      int room = 2 - Count(step);
      report.cutArrows += std::max(0, Count(added) - room);
      added = FirstLanes(added, room);
    }
    step |= added;
    errors.push_back(std::fabs(error));
    total += std::fabs(error);
    report.worstErrorMs = std::max(report.worstErrorMs, std::fabs(error));
  }
  size_t kept = size_t(report.notes - report.tooEarly - report.tooLate - report.dropped);
  report.meanErrorMs = kept > 0 ? total / double(kept) : 0;
  return steps;
}

// Leaves out arrows that would find 19 arrows of their lane still in flight.
void KeepLanesUnderCapacity(std::vector<uint8_t>& steps, const Grid& grid, int32_t frameMs,
                            LevelPlacement& report) {
  LaneCapacity capacity(frameMs);
  for (size_t i = 0; i < steps.size(); ++i) {
    if (steps[i] == 0) continue;
    double spawn = double(DueAt(int32_t(i + 1), grid.msPerStep));
    for (int n = 0; n < kLaneCount; ++n) {
      if ((steps[i] & (1u << n)) && !capacity.Take(n, spawn)) {
        steps[i] &= uint8_t(~(1u << n));
        ++report.laneFull;
      }
    }
  }
  for (uint8_t step : steps) report.arrows += Count(step);
}

}  // namespace

double LeadFor(int32_t frameMs) {
  int32_t rise = std::max(1, RiseFor(frameMs));
  double travel = double(kOnTargetTravel - kSpawnTravel);
  return frameMs / 2.0 + travel / rise * frameMs;
}

char StepCharacterFor(uint8_t laneBits) {
  // The game's own table, read backwards.
  for (const char* step = kStepLaneCharacters; *step != '\0'; ++step) {
    int32_t named[2];
    int count = LanesOfStep(*step, named);
    uint8_t bits = 0;
    for (int i = 0; i < count; ++i) bits |= uint8_t(1u << named[i]);
    if (bits == laneBits) return *step;
  }
  return '0';
}

bool PlaceSteps(const std::vector<TimedNote> (&levels)[kLevels], double eighthMs,
                const PlacementOptions& options, PlacedSteps& placed, std::string& error) {
  double leadMs = options.leadMs >= 0 ? options.leadMs : LeadFor(options.frameMs);
  // A frame later than a step would skip it, arrows and all: every step
  // outlasts the longest frame, and a millisecond more, for the whole
  // milliseconds of the position.
  double shortest = double(options.frameMs) + options.jitterMs + 1.0;
  if (!(eighthMs <= 60000.0)) {
    error = "the song's tempo is below half a beat a minute";
    return false;
  }
  // The notes' middle and end in time: how far a detuned grid moves them.
  std::vector<double> times;
  for (const auto& notes : levels) {
    for (const TimedNote& note : notes) {
      if (note.ms <= kLatestNoteMs) times.push_back(note.ms);
    }
  }
  double middle = std::max(Median(times), 1000.0);
  double last = times.empty() ? middle : std::max(middle, *std::max_element(times.begin(), times.end()));
  SearchNotes search = SearchNotesOf(levels);
  Grid best;
  GridFit bestFit;
  for (int subdivision = 1; subdivision <= kMostStepsPerEighth; ++subdivision) {
    double stepMs = eighthMs / subdivision;
    if (!(stepMs >= shortest)) break;
    // Tunings that move the middle note by up to half a step either way.
    int tunings = int(std::ceil(stepMs / 2.0 / middle * last / kTuningResolutionMs));
    for (int t = -tunings; t <= tunings; ++t) {
      double tunedMs = stepMs * (1.0 + t * kTuningResolutionMs / last);
      Grid grid;
      if (!(tunedMs >= shortest) || !GridFor(tunedMs, grid)) continue;
      GridFit fit = FitOf(search, grid, leadMs);
      // A finer grid only where it keeps more notes apart, or lands them
      // closer.
      bool better = fit.sharing < bestFit.sharing ||
                    (fit.sharing == bestFit.sharing && fit.tailMs + fit.medianMs < bestFit.tailMs + bestFit.medianMs - 0.05);
      if (best.msPerStep == 0 || better) {
        best = grid;
        bestFit = fit;
        placed.subdivision = subdivision;
      }
    }
  }
  if (best.msPerStep == 0) {
    char text[160];
    std::snprintf(text, sizeof text, "an eighth note of %.1f ms is shorter than the longest frame and a "
                  "millisecond (%.1f ms): the game would skip steps", eighthMs, shortest);
    error = text;
    return false;
  }
  placed.bpmText = best.bpmText;
  placed.msPerStep = best.msPerStep;
  std::vector<uint8_t> steps[kLevels];
  std::vector<double> errors;
  size_t length = 0;
  for (int level = 0; level < kLevels; ++level) {
    placed.levels[level] = LevelPlacement();
    steps[level] = PlaceLevel(levels[level], best, leadMs, placed.levels[level], errors);
    KeepLanesUnderCapacity(steps[level], best, options.frameMs, placed.levels[level]);
    length = std::max(length, steps[level].size());
  }
  placed.medianErrorMs = Median(errors);
  double total = 0;
  for (double e : errors) total += e;
  placed.meanErrorMs = errors.empty() ? 0 : total / double(errors.size());
  for (int level = 0; level < kLevels; ++level) {
    placed.steps[level].assign(length, '0');
    for (size_t i = 0; i < steps[level].size(); ++i) placed.steps[level][i] = StepCharacterFor(steps[level][i]);
  }
  return true;
}
