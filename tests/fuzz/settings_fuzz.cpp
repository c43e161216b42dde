// settings_fuzz.cpp -- libFuzzer target: any values in plugin.ini, as the game then uses them.
//
// The settings file is the user's to edit: LEVEL is used as read, MSD_PATH
// may hold any 259 bytes, and the song's title any name. Input: LEVEL (4
// bytes), SHOW_FLAME (4), the length of MSD_PATH (1), then MSD_PATH and
// the title. The chart path is built and opened, the chart played at a few
// positions: nothing may read or write outside its buffers. The title's
// bytes are also OFFSET_MS, KEYS and Scores.ini as the user may have them:
// read as settings, the offset then plays; read as scores, what is written
// back reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "chart/chart_loader.h"
#include "chart/msd_format.h"
#include "chart/step_clock.h"
#include "fakes/platform_fake.h"
#include "flame/flame_shared.h"
#include "fuzz/fuzz_check.h"
#include "scores/scores.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 9) return 0;
  ReleaseStepChart(fakePlatform, testGame.chart);
  FakePlatform_Reset();
  InitStepChart(testGame.chart);
  testGame.clock.lastStep = -1;
  SetLogLinesOn(false);
  std::memcpy(&testSettings.level, data, 4);
  int32_t flame = 0;
  std::memcpy(&flame, data + 4, 4);
  testSettings.showFlame.store(flame);
  size_t pathLength = data[8] % kPathSize;
  data += 9;
  size -= 9;
  if (pathLength > size) pathLength = size;
  std::memcpy(testSettings.msdPath, data, pathLength);
  testSettings.msdPath[pathLength] = '\0';
  std::string title(reinterpret_cast<const char*>(data + pathLength), size - pathLength);
  title = title.substr(0, std::strlen(title.c_str()));
  if (title.size() >= kPathSize) title.resize(kPathSize - 1);
  // The chart sits where the game will look for it.
  char path[kPathSize];
  size_t full = buildChartPath(testSettings.msdPath, title.c_str(), path, sizeof path);
  Check(std::strlen(path) < sizeof path && (full >= sizeof path || std::strlen(path) == full));
  fake.files[path] = "#BPM:120;\r\n#SINGLE:BASIC:3:\r\n4286;\r\n#SINGLE:ANOTH:5:\r\n1379;\r\n";
  LoadStepChart(fakePlatform, testSettings, testGame.chart, title.c_str());
  std::string setting = title.substr(0, kSettingTextSize - 1);
  TakeTextSettings(testSettings, setting.c_str(), setting.c_str(), setting.c_str());
  Check(testSettings.offsetMs >= -kOffsetLimitMs && testSettings.offsetMs <= kOffsetLimitMs);
  testGame.clock.offsetMs = testSettings.offsetMs;
  ScoreBook book, again;
  ReadScores(title, book);
  std::string written = WriteScores(book);
  Check(ReadScores(written, again) == 0 && WriteScores(again) == written);
  for (int32_t position : {0, 300, 700, 1200, -1, 2147483647}) {
    fake.position = position;
    char step = '0';
    StepClockReport report;
    int result = PollStepClock(fakePlatform, testGame.chart, testSettings.level, testGame.clock, step, report);
    Check(result >= -1 && result <= 1);
  }
  testGame.clock.offsetMs = 0;
  return 0;
}
