// simfile_fuzz.cpp -- libFuzzer target: any bytes as a DWI, SM or SSC file for the converter.
//
// The first byte picks the format (0 DWI, 1 SM, 2 SSC, by its value modulo 3). Whatever the rest holds, the conversion
// must succeed or give a reason, never read outside the bytes, and a chart
// it makes must be one the game reads without a surprise.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/chart/chart_report.h"
#include "tools/chart/convert/convert.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  ConvertedSong converted;
  std::string error;
  const char* const kNames[] = {"f.dwi", "f.sm", "f.ssc"};
  bool made = ConvertSimfile(kNames[data[0] % 3], bytes, PlacementOptions(), converted, error);
  Check(made == error.empty());
  if (made) {
    ChartReport report = InspectChart("Song.msd", converted.msd);
    Check(report.warnings.empty() && report.notPlayable.empty());
  }
  return 0;
}
