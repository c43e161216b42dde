// settings.cpp -- the settings values and the name of a file beside the module.
#include "settings/settings.h"

#include <cstring>

#include "log/event_log.h"

void ResetSettings(Settings& settings) {
  settings.writeLog = kDefaultWriteLog;
  settings.screenX = kDefaultScreenX;
  settings.screenY = kDefaultScreenY;
  settings.msdPath[0] = '\0';
  settings.level = kDefaultLevel;
  settings.showFlame.store(kDefaultShowFlame, std::memory_order_relaxed);
  settings.autoChart = kDefaultAutoChart;
  std::memcpy(settings.padButtons, kDefaultPadButtons, sizeof kDefaultPadButtons);
  SetLogLinesOn(settings.writeLog != 0);
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
