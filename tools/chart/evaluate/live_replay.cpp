// live_replay.cpp -- samples handed to the live chart a window a frame; its arrivals against a beat grid.
#include "live_replay.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cmath>

#include "live/live_chart.h"
#include "tools/chart/evaluate/chart_score.h"
#include "tools/host/vis_sound.h"

namespace {

// The song as the harness holds a sound: 16-bit samples, one or two channels.
VisSound AsVisSound(const std::vector<float>& frames, int channels, int sampleRate) {
  VisSound sound;
  sound.rate = sampleRate;
  sound.channels = std::min(channels, 2);
  size_t count = frames.size() / size_t(channels);
  sound.samples.resize(count * size_t(sound.channels));
  for (size_t i = 0; i < count; ++i)
    for (int c = 0; c < sound.channels; ++c) {
      float x = frames[i * size_t(channels) + size_t(c)];
      float clamped = std::clamp(std::isfinite(x) ? x : 0.0f, -1.0f, 1.0f);
      sound.samples[i * size_t(sound.channels) + size_t(c)] = int16_t(std::lround(clamped * 32767.0f));
    }
  return sound;
}

}  // namespace

LiveReplay ReplayLive(const std::vector<float>& frames, int channels, int sampleRate,
                      const LiveReplayOptions& options) {
  LiveReplay replay;
  LiveChart chart;
  LiveSound sound;
  chart.Listen();
  // Handed over as the harness hands a stream's sound to the plug-in.
  VisSound song = AsVisSound(frames, channels, sampleRate);
  uint8_t rows[kVisRows][kVisSamples];
  sound.sampleRate = song.rate;
  sound.channels = song.channels;
  double songMs = 1000.0 * double(frames.size() / size_t(channels)) / sampleRate;
  uint32_t random = 7;
  int32_t previous = 0;
  for (int64_t n = 0;; ++n) {
    random = random * 1664525u + 1013904223u;
    int32_t jitter = options.jitterMs > 0 ? int32_t(random >> 16) % (2 * options.jitterMs + 1) - options.jitterMs : 0;
    int32_t position = std::max(previous + 1, int32_t(n * options.frameMs) + jitter);
    if (position >= songMs) break;
    FillWaveform(&song, FrameAt(position, song.rate), rows);
    std::memcpy(sound.waveform, rows, sizeof sound.waveform);
    LiveFrame frame;
    frame.positionMs = position;
    frame.intervalMs = n == 0 ? 0 : position - previous;
    frame.sound = &sound;
    frame.level = options.level;
    auto start = std::chrono::steady_clock::now();
    LiveDecision decision = chart.Hear(frame);
    replay.hearMicros.push_back(
        std::chrono::duration<float, std::micro>(std::chrono::steady_clock::now() - start).count());
    if (decision.listening) replay.lostAtMs.push_back(position);
    if (decision.locked) {
      replay.lockedAtMs.push_back(position);
      replay.lockedBpm.push_back(decision.bpm);
    }
    if (decision.step != '0') replay.arrows.push_back({position, decision.arrivesMs, decision.step});
    previous = position;
  }
  return replay;
}

LiveScore ScoreLive(const LiveReplay& replay, const std::vector<double>& beatsMs, double fromMs, double toMs) {
  LiveScore score;
  if (!replay.lockedAtMs.empty()) score.firstLockMs = replay.lockedAtMs.front();
  if (!replay.arrows.empty()) score.firstArrivalMs = replay.arrows.front().arrivesMs;
  std::vector<double> eighths = EighthsOf(beatsMs);
  std::vector<double> offs;
  int near = 0;
  for (const LiveReplayArrow& arrow : replay.arrows) {
    if (arrow.arrivesMs < fromMs || arrow.arrivesMs > toMs) continue;
    ++score.arrows;
    double distance = NearestDistance(eighths, arrow.arrivesMs);
    near += distance <= kOnGridMs;
    auto after = std::lower_bound(eighths.begin(), eighths.end(), double(arrow.arrivesMs));
    // Early (negative) when the nearest eighth is the one after.
    bool early = after != eighths.end() && *after - arrow.arrivesMs <= distance;
    offs.push_back(early ? arrow.arrivesMs - *after : distance);
  }
  if (score.arrows > 0) {
    score.onGridShare = double(near) / score.arrows;
    std::nth_element(offs.begin(), offs.begin() + offs.size() / 2, offs.end());
    score.medianOffMs = offs[offs.size() / 2];
  }
  if (toMs > fromMs) score.arrowsPerSecond = score.arrows * 1000.0 / (toMs - fromMs);
  return score;
}
