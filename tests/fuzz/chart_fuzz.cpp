// chart_fuzz.cpp -- libFuzzer target: any bytes as a chart file, loaded and played at any positions.
//
// Input: byte 0 picks the platform faults, byte 1 the level, bytes 2..21
// five signed 32-bit positions (the last one the sampled position), the rest
// is the chart file. The loader and the clock must never read outside the
// chart text, and every delivered step must be a byte of that text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "chart/chart_loader.h"
#include "chart/step_clock.h"
#include "fakes/platform_fake.h"
#include "flame/flame_shared.h"
#include "base/settings.h"
#include "fuzz/fuzz_check.h"

namespace {

constexpr size_t kPrefixSize = 22;

int32_t ReadInt32(const uint8_t* bytes) {
  uint32_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return int32_t(value);
}


void PlayAt(int32_t pos) {
  fake.position = pos;
  char character = '0';
  int64_t before = lastStep;
  StepClockReport report;
  int result = PollStepClock(character, report);
  Check(!(report.newStep && report.chartMissing));
  Check(report.newStep == (result == 0 && lastStep != before));
  Check(result == 0 || result == 1 || result == -1);
  if (result == 0 && lastStep != before) {
    Check(lastStep >= 0 && lastStep < int64_t(stepChart.textLength));
    Check(character == stepChart.chartText[lastStep]);
  }
  if (result != 0 || lastStep == before) Check(character == '0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kPrefixSize) return 0;
  ReleaseStepChart();
  FakePlatform_Reset();
  InitStepChart();
  lastStep = -1;
  WRITE_LOG = 1;
  std::snprintf(MSD_PATH, sizeof MSD_PATH, "C:\\charts");
  uint8_t faults = data[0];
  fake.readFails = (faults & 0x07) == 1;
  fake.allocFails = (faults & 0x07) == 2;
  fake.shortReadBy = (faults & 0x07) == 3 ? int32_t(faults >> 3) : 0;
  LEVEL = (data[1] & 0x80) != 0 ? int32_t(int8_t(data[1])) * 0x1000000 : int32_t(data[1] % 6);
  sampledPosition.store(ReadInt32(data + 18));
  fake.files["C:\\charts\\Song.msd"] =
      std::string(reinterpret_cast<const char*>(data + kPrefixSize), size - kPrefixSize);
  int loaded = LoadStepChart("Song.mp3");
  Check(loaded == 0 || loaded == 1);
  if (stepChart.chartText != nullptr) {
    Check(stepChart.textLength <= stepChart.textSize);
    Check(stepChart.chartText[stepChart.textLength] == '\0');
    // Play from a good load and from whatever a failed one left in force.
    for (int i = 0; i < 4; ++i) PlayAt(ReadInt32(data + 2 + 4 * i));
  }
  ReleaseStepChart();
  return 0;
}
