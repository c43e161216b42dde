// live_steps.h -- the step source of a song played live: its steps decided from the sound as it plays.
//
// A song with no chart that none can be made for (a stream, a file no
// decoder reads) is listened to (live/live_chart.h): the frame pass asks
// this source for its steps as it asks a chart file's, and the arrows come
// once the beat is locked. It logs what it does: "Live chart for <TITLE>:
// listening.", "Live chart for <TITLE>: 126.0 BPM, locked after 6.2 s." and
// for every arrow "Live arrow 4 at 12000 ms for 14450 ms." (its step
// character, the position the frame read, the position at which it reaches
// the target row).
#pragma once

#include "live/live_chart.h"
#include "play/step_source.h"
#include "settings/settings.h"

class LiveSteps final : public StepSource {
 public:
  // Listens afresh, to the song titled `title`.
  void Begin(const char* title);
  // Whether the beat is not locked yet ("LISTENING" under the banner).
  bool Listening() const { return !chart_.Locked(); }

  bool Ready(const Game&) const override { return true; }
  // Never -1: a song played live has no end of its chart.
  int StepDue(Game& game, char& step, StepClockReport& report) override;

 private:
  LiveChart chart_;
  char title_[kPathSize] = {};
};
