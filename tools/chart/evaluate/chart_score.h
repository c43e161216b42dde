// chart_score.h -- how well a step chart follows a song: tempo, grid, notes hit, density.
//
// The yardstick for the chart generator: a chart is measured against a
// reference (a human chart's tempo map and notes, or a synthetic track's
// known beats) by when its arrows reach the target row as the game plays
// it: step i (from 1) arrives at StepDueAt(i, msPerStep) + LeadFor(25).
// Plain computation, any thread.
#pragma once

#include <string>
#include <vector>

#include "midi_chart.h"
#include "authoring/step_placement.h"
#include "tools/chart/chart_report.h"

constexpr int32_t kScoreFrameMs = kPlayerFrameMs;
constexpr double kOnGridMs = 35.0;      // an arrow this close to an eighth is on the grid
constexpr double kMatchMs = 50.0;       // an arrow this close to a note hits it

struct ScoreReference {
  double beatMs = 0;              // the main tempo's beat (the tempo that holds longest)
  std::vector<double> beatsMs;    // every beat of the grid, in order
  std::vector<double> notesMs;    // the notes a chart should hit, in order, at least one
};

// From a Frets on Fire chart: the tempo map's beats over the file and the
// hardest difficulty's notes. False with `error` when it has no notes.
bool ReferenceFromMidi(const MidiFile& midi, ScoreReference& reference, std::string& error);

// From a track's known beats (at least two, in order): they are the grid and the notes.
ScoreReference ReferenceFromBeats(const std::vector<double>& beatsMs);

// A chart as the game plays it.
struct ScoredChart {
  double beatMs = 0;           // the chart's own beat (its eighth-note grid's)
  float msPerStep = 0;
  std::string steps[kLevels];  // step characters for indices 1..
};

// An MSD chart read by the inspector; its beat is two steps (an MSD file
// says nothing of subdivision).
ScoredChart ChartFromReport(const ChartReport& report);

struct ChartScore {
  double referenceBpm = 0;
  double foundBpm = 0;
  double octave = 1;             // 0.5, 1 or 2: the found tempo's octave of the reference's
  double tempoErrorPercent = 0;  // found / (octave * reference) - 1, in %
  int standardArrows = 0;        // Standard steps with arrows inside the charted stretch
  double onGridShare = 0;        // of those, within kOnGridMs of an eighth of the grid (0 when none)
  double expertPrecision = 0;    // Expert arrivals that hit a note
  double expertRecall = 0;       // notes hit by an Expert arrival
  double expertF1 = 0;
  double arrowsPerSecond[kLevels] = {};  // steps with arrows (a jump once) over the stretch
  double notesPerSecond = 0;     // the reference's notes over the same stretch
};

// The beats (in order) and the eighths halfway between them.
std::vector<double> EighthsOf(const std::vector<double>& beats);

// Distance in ms from `ms` to the nearest of `times` (in order); infinity
// when `times` is empty.
double NearestDistance(const std::vector<double>& times, double ms);

// Arrival times in ms of the steps of `steps` that spawn arrows, in order.
std::vector<double> ArrivalTimes(const std::string& steps, float msPerStep);

// Notes of `notes` hit by `arrivals` (both in order), each at most once,
// within `toleranceMs`: every arrival in turn takes the nearest free note.
int MatchedNotes(const std::vector<double>& arrivals, const std::vector<double>& notes, double toleranceMs);

// Measures `chart` against `reference` over the stretch from the
// reference's first note to its last.
ChartScore ScoreChart(const ScoredChart& chart, const ScoreReference& reference);

// "x1", "x2" or "x1/2".
std::string OctaveName(double octave);
