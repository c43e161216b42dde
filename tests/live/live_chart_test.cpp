// live_chart_test.cpp -- the live chart on click tracks handed over a window a frame, as the player does.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "chart/msd_format.h"
#include "live/live_chart.h"

namespace {

constexpr int kRate = 44100;

// A click every `beatMs` from `firstMs` (a 5 ms burst, louder on the bar's
// first beat) over a little noise; silence from `quietFromMs` on.
struct Clicks {
  double beatMs = 500;
  double firstMs = 300;
  double quietFromMs = 1e12;
  double riffMs = 0;  // a louder click this far apart as well, when not 0
  double Sample(double ms, uint32_t& noise) const {
    noise = noise * 1664525u + 1013904223u;
    if (ms >= quietFromMs) return 0;
    double x = 0.02 * (double(noise >> 8) / double(1 << 24) - 0.5);
    if (ms < firstMs) return x;
    double since = std::fmod(ms - firstMs, beatMs);
    long beat = long((ms - firstMs) / beatMs);
    if (since < 5) x += (beat % 4 == 0 ? 0.8 : 0.5) * std::sin(2 * 3.14159265 * 180 * since / 1000) * (1 - since / 5);
    double riff = riffMs > 0 ? std::fmod(ms - firstMs, riffMs) : 1e9;
    if (riff < 5) x += 0.6 * std::sin(2 * 3.14159265 * 90 * riff / 1000) * (1 - riff / 5);
    return x;
  }
};

struct Arrow {
  int32_t at, arrives;
  char step;
};

struct Heard {
  std::vector<Arrow> arrows;
  std::vector<int32_t> lockedAt, listeningAt;
  std::vector<double> bpms;
};

// Plays `clicks` (switching to `then` from `changeMs`) for `ms`, a frame
// every `frameMs` of the song that the game reads as `readMs`.
Heard Play(LiveChart& chart, const Clicks& clicks, double ms, int level = 0, const Clicks* then = nullptr,
           double changeMs = 1e12, bool lanesFull = false, int32_t frameMs = 25, int32_t readMs = 25) {
  Heard heard;
  LiveSound sound;
  sound.sampleRate = kRate;
  sound.channels = 1;
  uint32_t noise = 1;
  for (int32_t position = 0; position < ms; position += frameMs) {
    const Clicks& now = position >= changeMs ? *then : clicks;
    for (int i = 0; i < kWaveformSamples; ++i) {
      double x = now.Sample(position + i * 1000.0 / kRate - (position >= changeMs ? changeMs : 0), noise);
      sound.waveform[0][i] = int8_t(std::lround(x * 32767) >> 8);
    }
    LiveFrame frame;
    frame.positionMs = position;
    frame.intervalMs = readMs;
    frame.sound = &sound;
    frame.level = level;
    for (bool& full : frame.laneFull) full = lanesFull;
    LiveDecision d = chart.Hear(frame);
    if (d.locked) heard.lockedAt.push_back(position), heard.bpms.push_back(d.bpm);
    if (d.listening) heard.listeningAt.push_back(position);
    if (d.step != '0') heard.arrows.push_back({position, d.arrivesMs, d.step});
  }
  return heard;
}

double DistanceToBeat(const Clicks& clicks, double ms) {
  double since = std::fmod(ms - clicks.firstMs, clicks.beatMs);
  return std::min(since, clicks.beatMs - since);
}

TEST(LiveChart, LocksOnClicksAndSpawnsEachArrowARiseBeforeItsBeat) {
  struct Case {
    double beatMs;
    double expectedGapMs;  // Standard: every beat from 500 ms up, else every other
    int32_t frameMs, readMs;
    double riseMs;     // 292 pixels at 3 a frame
    double onBeatMs;   // how near its beat an arrow arrives
  } cases[] = {{500, 500, 25, 25, 2433, 20}, {600, 600, 25, 25, 2433, 20}, {400, 800, 25, 25, 2433, 20},
               // The game's whole ms cut each frame short; a third of the
               // clicks fall between the windows.
               {500, 500, 30, 29, 2920, 30}};
  for (const Case& c : cases) {
    LiveChart chart;
    chart.Listen();
    Clicks clicks;
    clicks.beatMs = c.beatMs;
    Heard heard = Play(chart, clicks, 30000, 0, nullptr, 1e12, false, c.frameMs, c.readMs);
    ASSERT_EQ(heard.lockedAt.size(), 1u) << c.beatMs;
    EXPECT_NEAR(heard.bpms[0], 60000 / c.beatMs, 1.0) << c.beatMs;
    EXPECT_GE(heard.lockedAt[0], 4000) << "not before 4 s are heard";
    EXPECT_LE(heard.lockedAt[0], 8000);
    ASSERT_GT(heard.arrows.size(), 20u) << c.beatMs;
    int onBeat = 0;
    for (size_t i = 0; i < heard.arrows.size(); ++i) {
      const Arrow& a = heard.arrows[i];
      EXPECT_NEAR(a.arrives - a.at, c.riseMs, 1) << c.frameMs << " ms frames";
      onBeat += DistanceToBeat(clicks, a.arrives) <= c.onBeatMs;
      if (i > 0) {
        EXPECT_NEAR(a.arrives - heard.arrows[i - 1].arrives, c.expectedGapMs, c.frameMs + 1) << c.beatMs << " " << i;
      }
    }
    EXPECT_GE(onBeat, int(heard.arrows.size() * 9 / 10)) << c.beatMs;
  }
}

// Expert holds more arrows than Advanced, and Advanced more than Standard,
// each at least its gap apart; the feet alternate and never share a lane.
TEST(LiveChart, LevelsAddArrowsWhereTheMusicHadOnsetsAndFeetNeverCross) {
  Clicks clicks;
  clicks.beatMs = 480;
  size_t counts[3];
  const int32_t gaps[3] = {450, 250, 110};
  for (int level = 0; level < 3; ++level) {
    LiveChart chart;
    chart.Listen();
    // Eighth clicks: what Advanced and Expert add on.
    Clicks eighths = clicks;
    eighths.beatMs = 240;
    Heard heard = Play(chart, eighths, 30000, level);
    counts[level] = heard.arrows.size();
    int lastLane[4] = {-1, -1, -1, -1};
    int32_t previous = -1;
    for (size_t i = 0; i < heard.arrows.size(); ++i) {
      int32_t lanes[2];
      ASSERT_EQ(LanesOfStep(heard.arrows[i].step, lanes), 1) << "single arrows";
      EXPECT_NE(lanes[0], previous) << "the next foot never steps where the other stands";
      previous = lanes[0];
      if (i > 0) {
        EXPECT_GE(heard.arrows[i].arrives - heard.arrows[i - 1].arrives, gaps[level] - 13);
      }
      if (level < 2 && lastLane[lanes[0]] >= 0) {
        EXPECT_GE(heard.arrows[i].arrives - lastLane[lanes[0]], 150) << "no lane again within 150 ms";
      }
      lastLane[lanes[0]] = heard.arrows[i].arrives;
    }
  }
  EXPECT_LT(counts[0], counts[1]);
  EXPECT_LT(counts[1], counts[2]);
}

TEST(LiveChart, SilenceAndFullLanesSpawnNothing) {
  LiveChart chart;
  chart.Listen();
  Clicks silence;
  silence.quietFromMs = 0;
  Heard heard = Play(chart, silence, 20000);
  EXPECT_TRUE(heard.lockedAt.empty());
  EXPECT_TRUE(heard.arrows.empty());
  chart.Listen();
  heard = Play(chart, Clicks(), 20000, 0, nullptr, 1e12, true);
  EXPECT_EQ(heard.lockedAt.size(), 1u);
  EXPECT_TRUE(heard.arrows.empty()) << "never a full lane";
}

// A new song at another tempo, and a break of silence: the beat is lost,
// the chart listens again and locks on what comes next. A tempo a dotted
// eighth of the old beat apart is another tempo too once the old beat is gone.
TEST(LiveChart, ANewTempoOrABreakIsListenedToAfresh) {
  Clicks first;
  for (double beatMs : {400.0, 375.0}) {
    Clicks second;
    second.beatMs = beatMs;
    LiveChart chart;
    chart.Listen();
    Heard heard = Play(chart, first, 40000, 0, &second, 20000);
    ASSERT_EQ(heard.lockedAt.size(), 2u) << beatMs;
    ASSERT_EQ(heard.listeningAt.size(), 1u) << beatMs;
    EXPECT_GT(heard.listeningAt[0], 20000);
    EXPECT_LT(heard.listeningAt[0], 30000) << "once the estimates have disagreed for 3 s";
    EXPECT_NEAR(heard.bpms[1], 60000 / beatMs, 1.5);
    for (const Arrow& a : heard.arrows)
      EXPECT_FALSE(a.at > heard.listeningAt[0] && a.at < heard.lockedAt[1]) << "nothing spawned while listening";
  }

  // A riff of dotted eighths over the same beat keeps it.
  Clicks riff = first;
  riff.riffMs = 375;
  LiveChart chart;
  chart.Listen();
  Heard heard = Play(chart, first, 40000, 0, &riff, 20000);
  EXPECT_EQ(heard.lockedAt.size(), 1u);
  EXPECT_TRUE(heard.listeningAt.empty());

  Clicks broken = first;
  broken.quietFromMs = 15000;  // after the click at 14.8 s (the noise is below the 8 bits)
  chart.Listen();
  heard = Play(chart, broken, 20000);
  ASSERT_EQ(heard.listeningAt.size(), 1u);
  EXPECT_NEAR(heard.listeningAt[0], 14800 + 1500, 50) << "1.5 s of silence";
}

}  // namespace
