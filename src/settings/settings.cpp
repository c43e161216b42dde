// settings.cpp -- the settings values and the name of a file beside the module.
#include "settings/settings.h"

#include <cstdio>
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
  TakeOffsetAndKeys(settings, "0", kDefaultKeyList);
  std::memcpy(settings.padButtons, kDefaultPadButtons, sizeof kDefaultPadButtons);
  SetLogLinesOn(settings.writeLog != 0);
}

bool ReadOffsetMs(const char* text, int32_t& offsetMs) {
  offsetMs = kDefaultOffsetMs;
  const char* at = text;
  while (*at == ' ' || *at == '\t') ++at;
  bool negative = *at == '-';
  if (*at == '-' || *at == '+') ++at;
  if (*at < '0' || *at > '9') return false;
  int64_t value = 0;
  for (; *at >= '0' && *at <= '9'; ++at)
    if (value <= kOffsetLimitMs) value = value * 10 + (*at - '0');  // past the limit it is held anyway
  while (*at == ' ' || *at == '\t') ++at;
  if (*at != '\0') return false;
  bool inRange = value <= kOffsetLimitMs;
  if (!inRange) value = kOffsetLimitMs;
  offsetMs = int32_t(negative ? -value : value);
  return inRange;
}

void TakeOffsetAndKeys(Settings& settings, const char* offsetText, const char* keysText) {
  settings.refusedOffset[0] = '\0';
  if (!ReadOffsetMs(offsetText, settings.offsetMs))
    std::snprintf(settings.refusedOffset, sizeof settings.refusedOffset, "%s", offsetText);
  std::snprintf(settings.keysText, sizeof settings.keysText, "%s", keysText);
  settings.keysRefused = !ReadKeyList(keysText, settings.keys);
  if (settings.keysRefused) std::memcpy(settings.keys, kDefaultKeys, sizeof settings.keys);
}

void TellRefusedSettings(const Settings& settings) {
  if (settings.refusedOffset[0] != '\0')
    WriteLogLine("OFFSET_MS \"%s\" is not a number from -500 to 500: the game plays with %d.",
                 settings.refusedOffset, int(settings.offsetMs));
  if (settings.keysRefused)
    WriteLogLine("KEYS \"%s\" does not name four different keys: the game plays with %s.",
                 settings.keysText, kDefaultKeyList);
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
