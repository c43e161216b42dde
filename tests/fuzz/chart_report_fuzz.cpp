// chart_report_fuzz.cpp -- libFuzzer target: any bytes as a chart file for the chart inspector.
//
// The inspector reads files chart authors hand it: whatever the bytes, its
// report, JSON and timelines must be made without reading outside them, and
// every warning must name a line of the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/chart/chart_report.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  ChartReport report = InspectChart("Fuzz Song.msd", bytes);
  int status = ChartExitStatus(report);
  Check(status >= 0 && status <= 2);
  Check(report.text.size() <= bytes.size());
  uint32_t lines = uint32_t(report.lineStarts.size());
  for (const ChartWarning& warning : report.warnings) Check(warning.line <= lines);
  Check(!FormatChartText(report).empty());
  Check(!FormatChartJson(report).empty());
  for (int32_t level = -1; level <= 3; ++level) {
    std::string reason;
    std::string timeline = FormatTimeline(report, level, reason);
    Check(timeline.empty() || reason.empty());
  }
  return 0;
}
