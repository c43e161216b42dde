// step_source.h -- where the frame pass gets the step due at the song's position.
//
// The frame pass asks its game's step source once a frame and plays what it
// answers; it never knows whether a chart file or something listening to the
// song decides the steps. A source decides its steps while the song plays:
// each answer is for the position the host reports now.
#pragma once

#include "chart/step_clock.h"

struct Game;

class StepSource {
 public:
  virtual ~StepSource() = default;
  // Whether the source has anything to play from for the song that plays
  // (a chart file: its text is loaded). False ends the frame's play.
  virtual bool Ready(const Game& game) const = 0;
  // The step due at the song's position now, with PollStepClock's results
  // and report: 0 a new step (its character in `step`, report.newStep), 1 the
  // step delivered last, -1 finished. Visualisation thread.
  virtual int StepDue(Game& game, char& step, StepClockReport& report) = 0;
};

// Steps from the song's chart file: the loaded chart read by the step clock
// at the level the settings choose.
class ChartFileSteps final : public StepSource {
 public:
  bool Ready(const Game& game) const override;
  int StepDue(Game& game, char& step, StepClockReport& report) override;
};
