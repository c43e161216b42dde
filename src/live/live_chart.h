// live_chart.h -- a chart made while the song plays, from the sound the host hands over each frame.
//
// For a song with no chart that none can be made for (a stream, a file no
// decoder reads), the game listens: the host hands the visualisation, before
// each frame, 576 samples of what plays now (the windows are about 13 ms
// long and come about every 25 ms, so there are gaps between them). Each
// window's spectrum, against the one before, gives the onset strength at
// its time (spectral flux on log-compressed bands); the strengths make an
// onset envelope 10 ms a point over the last ten seconds. Four times a
// second the envelope's last eight seconds give the tempo (its
// autocorrelation at a beat's lag and its multiples, weighted towards 120
// BPM, between 60 and 180 BPM) and then the beat's period and phase
// together (the comb of beats that lies on the most onset strength, recent
// beats counting most). Five estimates in a row that agree, once 5 s are
// heard, lock the beat. A later estimate that hears the beat, its half or
// double, or a syncopated riff's dotted eighths or half-note triplets while
// the beat itself still sounds, keeps it: the comb at the locked period then
// nudges its phase and period. The beats are predicted one arrow's
// rise ahead (about 2.45 s at 25 ms a frame, from the frames' own pace),
// and each arrow is spawned on the frame nearest its beat's arrival less
// that rise.
//
// - Standard: single arrows on the beats, every other beat where beats come
//   faster than two a second.
// - Advanced adds eighths, Expert sixteenths, where the music had an onset
//   one or two bars earlier (music repeats: a bar ago is known, the next bar
//   is not), at least 250 and 110 ms apart.
// - Lanes follow two feet that alternate and never cross; no lane again
//   within 150 ms on Standard and Advanced; never a full lane.
//
// The beat is lost, and the chart listens again, when the estimates keep
// disagreeing with the locked tempo for three seconds (a new song at
// another tempo), after 1.5 s of silence (a break), or after a seek;
// arrows already spawned fly on. Everything is in fixed buffers made once: a frame allocates nothing.
// Plain computation, one thread (the game's).
#pragma once

#include <cstdint>

#include "chart/game_timing.h"

constexpr int kWaveformSamples = 576;

// What the host hands over before a frame: for each channel, 576 samples of
// what plays now, each the top byte of the 16-bit sample.
struct LiveSound {
  int8_t waveform[2][kWaveformSamples] = {};
  int32_t sampleRate = 0;  // 0 when the host does not say: 44100
  int32_t channels = 0;    // 1: only the first row is sound
};

// One frame's input: the host's position, the frame's measured interval,
// the sound, the level played, which lanes are full and the player's offset.
struct LiveFrame {
  int32_t positionMs = 0;
  int32_t intervalMs = 0;
  const LiveSound* sound = nullptr;
  int32_t level = 0;
  bool laneFull[kLaneCount] = {};
  // The player's OFFSET_MS: arrows reach the target row this many ms after
  // the beat they are for (before it when negative).
  int32_t offsetMs = 0;
};

// What the frame decided.
struct LiveDecision {
  bool listening = false;  // the beat was lost: listening again from this frame
  bool locked = false;     // the beat locked on this frame
  double bpm = 0;          // when locked: the tempo
  int32_t lockedAfterMs = 0;  // when locked: the song time listened until the lock
  char step = '0';         // an arrow to spawn now ('0': none), as a chart's step character
  int32_t arrivesMs = 0;   // when step: the position at which it reaches the target row
};

class LiveChart {
 public:
  LiveChart();
  ~LiveChart();
  LiveChart(const LiveChart&) = delete;
  LiveChart& operator=(const LiveChart&) = delete;

  // A new song: forgets everything heard and listens from the next frame.
  void Listen();
  // One frame, once per Render while the song plays live.
  LiveDecision Hear(const LiveFrame& frame);
  // Whether the beat is locked.
  bool Locked() const;

 private:
  struct State;
  State* state_;
};
