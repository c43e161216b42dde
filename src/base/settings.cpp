// settings.cpp -- the settings values and the name of a file beside the module.
#include "base/settings.h"

#include <cstring>

// Load-time values; every path reads the file before it uses them.
int32_t WRITE_LOG = 0;
int32_t SCREEN_X = 50;
int32_t SCREEN_Y = 50;
char MSD_PATH[kPathSize] = {};
int32_t LEVEL = 0;
std::atomic<int32_t> SHOW_FLAME{0};
int32_t AUTO_CHART = 1;
char madeChartsFolder[kPathSize] = {};

void ResetSettings() {
  WRITE_LOG = kDefaultWriteLog;
  SCREEN_X = kDefaultScreenX;
  SCREEN_Y = kDefaultScreenY;
  MSD_PATH[0] = '\0';
  LEVEL = kDefaultLevel;
  SHOW_FLAME.store(kDefaultShowFlame, std::memory_order_relaxed);
  AUTO_CHART = kDefaultAutoChart;
}

int BuildBesideModulePath(const char* modulePath, const char* fileName,
                          char (&out)[kPathSize]) {
  out[0] = '\0';
  const char* lastSlash = std::strrchr(modulePath, '\\');
  size_t folderLength = lastSlash ? size_t(lastSlash - modulePath) + 1 : 0;
  size_t nameLength = std::strlen(fileName);
  if (folderLength + nameLength >= kPathSize) return 0;
  std::memcpy(out, modulePath, folderLength);
  std::memcpy(out + folderLength, fileName, nameLength + 1);
  return 1;
}
