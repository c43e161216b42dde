// bench_platform.h -- the platform as the benchmarks need it: charts in memory and a host that plays.
//
// The game's code reaches the player and the disk only through the platform
// calls (platform/platform.h, chart/chart_file.h, ...); the benchmarks answer
// them here with no Windows and nothing recorded, so what they time is the
// game's own work. Chart files are read from `files`; the host answers that
// it plays, at `position`; every other call does nothing and answers "no".
#pragma once

#include <cstdint>
#include <map>
#include <string>

struct Platform {
  std::map<std::string, std::string> files;  // chart files by path; a path not here fails to open
  int32_t position = 0;                      // the host's song position, ms
  const std::string* openFile = nullptr;     // the chart file open, null when none
};

// The benchmarks draw nothing.
struct Canvas {};
