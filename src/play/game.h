// game.h -- one game of the plug-in: everything its frames, keys and fire work on.
//
// The plug-in keeps one Game beside its module record for as long as the
// module is loaded (what carries over from one session to the next, such as
// the frame count and the fire's generator, carries over as the player has
// always seen it); Init prepares it and hands it to the frame pass, the key
// handler and the flame thread. Everything here but the flame's shared
// values belongs to the host's visualisation thread.
#pragma once

#include <cstdint>

#include "chart/chart_loader.h"
#include "chart/step_clock.h"
#include "flame/flame_shared.h"
#include "flame/flame_simulation.h"
#include "flame/flame_tick.h"
#include "gfx/draw.h"
#include "live/live_chart.h"
#include "platform/platform.h"
#include "play/lanes.h"
#include "play/live_steps.h"
#include "play/step_source.h"
#include "scores/scores.h"
#include "settings/settings.h"

// The frame pass's per-frame counters.
struct FrameCounters {
  // Advanced on every new step the step source reports (0 -> 1, else +1);
  // the field pass lights the target row while it is 2, and the frame pass
  // then sets it back to 0.
  int32_t beatPulse = 0;
  // Number of completed frame passes, shown in the event log.
  int32_t frameCounter = 0;
  // Time between the starts of the two latest Render calls, in ms.
  int32_t frameInterval = 0;
  // 0..59: the arrows' colour row is colourPhase / 5, so each row lasts 5 frames.
  int32_t colourPhase = 0;
};

// The song the frame pass follows, and the chart being made for it.
struct SongState {
  // File title of the song seen last (260 bytes), compared byte for byte
  // with the playing song's title every frame.
  char lastSeenTitle[260] = {};
  // The same song's title from its wide-character name (UTF-8), "" when the
  // host gave none; a change of either title is a new song.
  char lastSeenWideTitle[kWideTitleSize] = {};
  // Whether the log already tells that this song's chart filled a lane.
  bool fullLaneTold = false;
  // The song whose chart is being made: what the loader needs once it is written.
  bool making = false;
  char madeTitle[kPathSize] = {};
  char madeWideTitle[kWideTitleSize] = {};
  bool madeWide = false;
};

struct Game {
  Platform* platform = nullptr;  // what the port calls reach; set by Init
  Canvas* canvas = nullptr;      // what the field is drawn on; set by Init
  Settings* settings = nullptr;  // the plug-in's, which outlive every session
  Field field;
  FrameCounters frame;
  SongState song;
  StepChart chart;
  StepClock clock;
  ChartFileSteps chartSteps;
  LiveSteps liveSteps;              // a song with no chart, played live
  StepSource* steps = &chartSteps;  // where the frame pass's steps come from
  LiveSound sound;                  // what the host handed over before this frame, while playing live
  FlameShared flame;
  FlameState fire;
  FlameBuffers flameBuffers;
  // Scores.ini as read when the song started (the text kept for its room),
  // the best results in it, and the song's best at the level it was looked
  // up for (looked up again when the book is read or the level changes).
  struct {
    std::string text;
    ScoreBook book;
    bool looked = false;
    int32_t lookedLevel = 0;
    const Score* best = nullptr;
  } scores;
};

// Points `game` at what it is played through and with; Init does it for the
// plug-in's game, the tests for theirs.
inline void WireGame(Game& game, Platform& platform, Canvas& canvas, Settings& settings) {
  game.platform = &platform;
  game.canvas = &canvas;
  game.settings = &settings;
}
