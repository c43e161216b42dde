// chart_score_test.cpp -- the evaluation's scores on hand-made charts and references.
#include "tools/chart/evaluate/chart_score.h"

#include <gtest/gtest.h>

namespace {

// A step of 250 ms of song: the game's clock runs a 220th ahead, so the
// file's step is that much longer and step i falls due at about i * 250 ms.
const float kStepMs = float(250.0 * 221.0 / 220.0);

// Beats every 500 ms, where the arrows of steps 2, 4, ... reach the target row.
std::vector<double> BeatsOnEvenSteps(int count, double shiftMs) {
  std::vector<double> beats;
  for (int k = 1; k <= count; ++k) beats.push_back(LeadFor(kScoreFrameMs) + 500.0 * k + shiftMs);
  return beats;
}

// Arrows on every even step up to step 2 * `beats`, and on Expert also some
// steps before the reference starts (which the score must leave out).
ScoredChart ChartOnEvenSteps(int beats) {
  ScoredChart chart;
  chart.beatMs = 500;
  chart.msPerStep = kStepMs;
  for (int level = 0; level < kLevels; ++level) {
    chart.steps[level] = std::string(size_t(2 * beats + 40), '0');
    for (int k = 1; k <= beats; ++k) chart.steps[level][size_t(2 * k + 40 - 1)] = '8';
  }
  for (int i = 0; i < 30; i += 3) chart.steps[2][size_t(i)] = '4';
  return chart;
}

TEST(ChartScore, ChartOnTheGridScoresFullAndOneShiftedBy60MsScoresNothing) {
  ScoredChart chart = ChartOnEvenSteps(40);  // arrows on beats 21 to 60
  // The reference charts beats 21 to 50 (29 beats, 14.5 s); arrows more
  // than the match tolerance outside that stretch do not count.
  struct Case { double shiftMs; int arrows; double onGrid; double f1; };
  for (const Case& c : {Case{0, 30, 1.0, 1.0}, Case{60, 29, 0.0, 0.0}, Case{-60, 29, 0.0, 0.0}}) {
    std::vector<double> beats = BeatsOnEvenSteps(50, c.shiftMs);
    beats.erase(beats.begin(), beats.begin() + 20);
    ChartScore score = ScoreChart(chart, ReferenceFromBeats(beats));
    EXPECT_EQ(score.standardArrows, c.arrows) << c.shiftMs;
    EXPECT_DOUBLE_EQ(score.onGridShare, c.onGrid) << c.shiftMs;
    EXPECT_DOUBLE_EQ(score.expertF1, c.f1) << c.shiftMs;
    EXPECT_NEAR(score.arrowsPerSecond[2], c.arrows / 14.5, 1e-9) << c.shiftMs;
    EXPECT_NEAR(score.notesPerSecond, 30 / 14.5, 1e-9);
  }
}

TEST(ChartScore, TempoIsReportedWithItsOctave) {
  struct Case { double chartBeatMs; double octave; double errorPercent; };
  const Case cases[] = {{500, 1, 0}, {250, 2, 0}, {1000, 0.5, 0}, {490, 1, 500.0 / 490 * 100 - 100},
                        {240, 2, 250.0 / 240 * 100 - 100}, {1100, 0.5, 1000.0 / 1100 * 100 - 100}};
  ScoreReference reference = ReferenceFromBeats(BeatsOnEvenSteps(10, 0));
  for (const Case& c : cases) {
    ScoredChart chart = ChartOnEvenSteps(10);
    chart.beatMs = c.chartBeatMs;
    ChartScore score = ScoreChart(chart, reference);
    EXPECT_DOUBLE_EQ(score.referenceBpm, 120.0);
    EXPECT_EQ(score.octave, c.octave) << c.chartBeatMs;
    EXPECT_NEAR(score.tempoErrorPercent, c.errorPercent, 1e-9) << c.chartBeatMs;
  }
  EXPECT_EQ(OctaveName(2), "x2");
}

TEST(ChartScore, NotesAreMatchedOneToOneWithinTheTolerance) {
  struct Case { std::vector<double> arrivals; std::vector<double> notes; int matched; };
  const Case cases[] = {
      {{100, 110}, {100}, 1},         // one note takes one arrival
      {{0, 40}, {30, 60}, 2},         // the first arrival leaves the later note to the second
      {{151}, {100}, 0},              // past the tolerance
      {{150}, {100, 199}, 1},
      {{}, {100}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchedNotes(c.arrivals, c.notes, kMatchMs), c.matched);
}

TEST(ChartScore, MidiReferenceTakesTheLongestTempoAndTheHardestRow) {
  MidiFile midi;
  midi.ticksPerQuarter = 100;
  midi.tempos = {{0, 0, 500000}, {400, 2000, 250000}};      // 120 BPM for 2 s, then 240 BPM
  midi.notes = {{0, 0, 96}, {200, 1000, 60}, {1600, 5000, 97}, {1600, 5000, 100}};
  ScoreReference reference;
  std::string error;
  ASSERT_TRUE(ReferenceFromMidi(midi, reference, error)) << error;
  EXPECT_DOUBLE_EQ(reference.beatMs, 250.0);
  EXPECT_EQ(reference.notesMs, (std::vector<double>{0, 5000}));
  ASSERT_GE(reference.beatsMs.size(), 6u);
  EXPECT_DOUBLE_EQ(reference.beatsMs[4], 2000.0);
  EXPECT_DOUBLE_EQ(reference.beatsMs[5], 2250.0);
  midi.notes = {{0, 0, 50}};
  EXPECT_FALSE(ReferenceFromMidi(midi, reference, error));
}

}  // namespace
