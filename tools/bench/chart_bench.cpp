// chart_bench.cpp -- how fast the game loads a chart, and what a step clock call costs.
//
// Usage: stompara_chart_bench
// Loads charts of 10, 25 and 50 MB (CR LF lines of 64 steps) through the
// game's own loader, over the benchmarks' platform (the file is already
// in memory, so this is the loader's own work: the copy into its block, the
// line-break removal, the tempo and step count), and prints MB/s for each
// (best of five loads);
// then times PollStepClock near the start and near the end of a one-hour
// chart, which must cost the same.
#include <malloc.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "bench_platform.h"
#include "chart/chart_loader.h"
#include "chart/step_clock.h"
#include "log/event_log.h"
#include "settings/settings.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// A chart of about `bytes` bytes at 480 BPM: three charts of equal length.
std::string Chart(size_t bytes) {
  std::string line = "4020608013790AB04020608013790AB04020608013790AB04020608013790AB0\r\n";
  size_t lines = bytes / (3 * line.size());
  std::string data;
  data.reserve(lines * line.size());
  for (size_t i = 0; i < lines; ++i) data += line;
  data.resize(data.size() - 2);
  std::string text = "#BPM:480;\r\n";
  for (const char* name : {"#SINGLE:BASIC:3:\r\n", "#SINGLE:ANOTH:5:\r\n", "#SINGLE:EXPER:9:\r\n"})
    text += name + data + ";\r\n";
  return text;
}

}  // namespace

int main() {
  // Blocks stay in the heap once freed, so every run but the first reuses
  // pages already touched: the loader's own work, not the kernel's page
  // faults on a fresh 50 MB block (which add about 3 ms a MB on this VM).
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  Platform bench;
  Settings settings;
  StepChart chart;
  StepClock clock;
  InitStepChart(chart);
  SetLogLinesOn(false);
  std::snprintf(settings.msdPath, sizeof settings.msdPath, "C:\\c");
  std::printf("%10s %10s %10s\n", "chart", "load ms", "MB/s");
  for (size_t megabytes : {10u, 25u, 50u}) {
    bench.files["C:\\c\\Song.msd"] = Chart(megabytes << 20);
    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
      auto start = Clock::now();
      if (LoadStepChart(bench, settings, chart, "Song.mp3") != 1) return 1;
      best = std::min(best, SecondsSince(start));
    }
    std::printf("%7zu MB %10.1f %10.0f\n", megabytes, best * 1000, double(megabytes) / best);
  }
  // A one-hour chart at 480 BPM: 28800 steps a level.
  bench.files["C:\\c\\Song.msd"] = Chart(3 * 29000 * 66);
  if (LoadStepChart(bench, settings, chart, "Song.mp3") != 1) return 1;
  for (int32_t level : {0, 2}) {
    settings.level = level;
    for (int32_t from : {1000, 3500000}) {
      constexpr int kCalls = 200000;
      auto start = Clock::now();
      char step = '0';
      StepClockReport report;
      for (int i = 0; i < kCalls; ++i) {
        bench.position = from + (i % 1000) * 25;
        PollStepClock(bench, chart, settings.level, clock, step, report);
      }
      std::printf("PollStepClock, level %d, at %4d s: %.0f ns a call\n", level, from / 1000,
                  SecondsSince(start) / kCalls * 1e9);
    }
  }
  ReleaseStepChart(bench, chart);
  return 0;
}
