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
#include "fuzz/fuzz_check.h"
#include "settings/settings.h"

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
  int64_t before = testGame.clock.lastStep;
  StepClockReport report;
  int result = PollStepClock(fakePlatform, testGame.chart, testSettings.level, testGame.clock, character, report);
  Check(!(report.newStep && report.chartMissing));
  Check(report.newStep == (result == 0 && testGame.clock.lastStep != before));
  Check(result == 0 || result == 1 || result == -1);
  if (result == 0 && testGame.clock.lastStep != before) {
    Check(testGame.clock.lastStep >= 0 && testGame.clock.lastStep < int64_t(testGame.chart.textLength));
    Check(character == testGame.chart.chartText[testGame.clock.lastStep]);
  }
  if (result != 0 || testGame.clock.lastStep == before) Check(character == '0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kPrefixSize) return 0;
  ReleaseStepChart(fakePlatform, testGame.chart);
  FakePlatform_Reset();
  InitStepChart(testGame.chart);
  testGame.clock.lastStep = -1;
  SetLogLinesOn(true);
  std::snprintf(testSettings.msdPath, sizeof testSettings.msdPath, "C:\\charts");
  uint8_t faults = data[0];
  fake.readFails = (faults & 0x07) == 1;
  fake.allocFails = (faults & 0x07) == 2;
  fake.shortReadBy = (faults & 0x07) == 3 ? int32_t(faults >> 3) : 0;
  testSettings.level = (data[1] & 0x80) != 0 ? int32_t(int8_t(data[1])) * 0x1000000 : int32_t(data[1] % 6);
  testGame.clock.sampledPosition.store(ReadInt32(data + 18));
  fake.files["C:\\charts\\Song.msd"] =
      std::string(reinterpret_cast<const char*>(data + kPrefixSize), size - kPrefixSize);
  int loaded = LoadStepChart(fakePlatform, testSettings, testGame.chart, "Song.mp3");
  Check(loaded == 0 || loaded == 1);
  if (testGame.chart.chartText != nullptr) {
    Check(testGame.chart.textLength <= testGame.chart.textSize);
    Check(testGame.chart.chartText[testGame.chart.textLength] == '\0');
    // Play from a good load and from whatever a failed one left in force.
    for (int i = 0; i < 4; ++i) PlayAt(ReadInt32(data + 2 + 4 * i));
  }
  ReleaseStepChart(fakePlatform, testGame.chart);
  return 0;
}
