// chart_main.cpp -- stompara_chart: checks an MSD step chart the way the game will read it,
// and converts DWI and SM step files into MSD charts.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "chart_report.h"
#include "tools/chart/convert/convert.h"
#include "tools/chart/convert/tool_files.h"
#ifdef STOMPARA_CHART_EVALUATE
#include "tools/chart/evaluate/evaluate_command.h"
#endif
#include "tools/chart/generate/generate.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: stompara_chart [--json | --timeline LEVEL] FILE.msd\n"
               "       stompara_chart convert [--out DIR] [--frame-ms N | --lead-ms N] [--audio NAME] [--force]\n"
               "                              FILE-OR-FOLDER...\n"
               "       stompara_chart generate [--out DIR] [--frame-ms N] [--force] AUDIO-FILE-OR-FOLDER...\n"
               "       stompara_chart evaluate [--json] SONG-FOLDER...\n"
               "exit status: 0 playable, 1 playable with warnings, 2 not playable, 3 bad usage\n"
               "  (convert, generate, evaluate: 0 all made, 1 some failed, 2 none made, 3 bad usage)\n");
  return kUsageStatus;
}

bool ParseLevel(const char* text, int32_t& level) {
  long value = 0;
  if (!ParseWhole(text, INT32_MIN, INT32_MAX, value)) return false;
  level = int32_t(value);
  return true;
}

// Prints the timeline of `level`; 2 with the reason when the level cannot be played.
int PrintTimeline(const char* path, const ChartReport& report, int32_t level) {
  std::string reason;
  std::string text = FormatTimeline(report, level, reason);
  if (!reason.empty()) {
    std::fprintf(stderr, "%s: not playable: %s\n", path, reason.c_str());
    return 2;
  }
  std::fputs(text.c_str(), stdout);
  return ChartExitStatus(report);
}

int PrintReport(const char* path, const ChartReport& report, bool json) {
  std::string text = json ? FormatChartJson(report) : FormatChartText(report);
  std::fputs(text.c_str(), stdout);
  // The text report names the reason itself; JSON has no place for it.
  if (json && ChartExitStatus(report) == 2) {
    std::fprintf(stderr, "%s: not playable: %s\n", path, report.notPlayable.c_str());
  }
  return ChartExitStatus(report);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "convert") == 0) return RunConvert(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "generate") == 0) return RunGenerate(argc - 2, argv + 2);
  if (argc >= 2 && std::strcmp(argv[1], "evaluate") == 0) {
#ifdef STOMPARA_CHART_EVALUATE
    return RunEvaluate(argc - 2, argv + 2);
#else
    std::fprintf(stderr, "stompara_chart evaluate: the human charts' songs are mixed with FFmpeg; use the Linux build\n");
    return kUsageStatus;
#endif
  }
  bool json = false;
  bool timeline = false;
  int32_t level = 0;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else if (std::strcmp(argv[i], "--timeline") == 0) {
      if (++i >= argc || !ParseLevel(argv[i], level)) return Usage();
      timeline = true;
    } else if (path == nullptr && argv[i][0] != '-') {
      path = argv[i];
    } else {
      return Usage();
    }
  }
  if (path == nullptr || (json && timeline)) return Usage();
  std::string bytes;
  std::string error;
  if (!ReadWholeFile(path, bytes, error)) {
    std::fprintf(stderr, "%s: not playable: %s\n", path, error.c_str());
    return 2;
  }
  ChartReport report = InspectChart(path, bytes);
  return timeline ? PrintTimeline(path, report, level) : PrintReport(path, report, json);
}
