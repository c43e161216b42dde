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
  TakeTextSettings(settings, "0", kDefaultKeyList, kDefaultPadButtons);
  SetLogLinesOn(settings.writeLog != 0);
}

namespace {

const char* SkipBlanks(const char* at) {
  while (*at == ' ' || *at == '\t') ++at;
  return at;
}

// The digits at `at`, blanks after them skipped, moving past them; a value
// past `cap` is held at cap + 1. False when there is no digit.
bool ReadDigits(const char*& at, int64_t cap, int64_t& value) {
  if (*at < '0' || *at > '9') return false;
  value = 0;
  for (; *at >= '0' && *at <= '9'; ++at)
    if (value <= cap) value = value * 10 + (*at - '0');
  if (value > cap) value = cap + 1;
  at = SkipBlanks(at);
  return true;
}

}  // namespace

bool ReadOffsetMs(const char* text, int32_t& offsetMs) {
  offsetMs = kDefaultOffsetMs;
  const char* at = SkipBlanks(text);
  bool negative = *at == '-';
  if (*at == '-' || *at == '+') ++at;
  int64_t value = 0;
  if (!ReadDigits(at, kOffsetLimitMs, value) || *at != '\0') return false;
  bool inRange = value <= kOffsetLimitMs;
  if (!inRange) value = kOffsetLimitMs;  // held
  offsetMs = int32_t(negative ? -value : value);
  return inRange;
}

bool ParsePadButtons(const char* text, int32_t (&buttons)[4]) {
  int32_t read[4];
  const char* at = text;
  for (int n = 0; n < 4; ++n) {
    int64_t number = 0;
    at = SkipBlanks(at);
    if (!ReadDigits(at, kPadButtonMax, number) || number < 1 || number > kPadButtonMax) return false;
    read[n] = int32_t(number);
    for (int before = 0; before < n; ++before)
      if (read[before] == read[n]) return false;
    if (*at != (n + 1 < 4 ? ',' : '\0')) return false;
    if (*at == ',') ++at;
  }
  std::memcpy(buttons, read, sizeof buttons);
  return true;
}

void TakeTextSettings(Settings& settings, const char* offsetText, const char* keysText, const char* padText) {
  settings.refusedOffset[0] = '\0';
  if (!ReadOffsetMs(offsetText, settings.offsetMs))
    std::snprintf(settings.refusedOffset, sizeof settings.refusedOffset, "%s", offsetText);
  std::snprintf(settings.keysText, sizeof settings.keysText, "%s", keysText);
  settings.keysRefused = !ReadKeyList(keysText, settings.keys);
  if (settings.keysRefused) std::memcpy(settings.keys, kDefaultKeys, sizeof settings.keys);
  std::snprintf(settings.padButtons, sizeof settings.padButtons, "%s", padText);
  settings.padButtonsRefused = !ParsePadButtons(padText, settings.padButtonNumbers);
  if (settings.padButtonsRefused) std::memcpy(settings.padButtonNumbers, kDefaultPadButtonNumbers, sizeof kDefaultPadButtonNumbers);
}

void TellRefusedSettings(const Settings& settings) {
  if (settings.refusedOffset[0] != '\0')
    WriteLogLine("OFFSET_MS \"%s\" is not a number from -500 to 500: the game plays with %d.",
                 settings.refusedOffset, int(settings.offsetMs));
  if (settings.keysRefused)
    WriteLogLine("KEYS \"%s\" does not name four different keys: the game plays with %s.",
                 settings.keysText, kDefaultKeyList);
  if (settings.padButtonsRefused)
    WriteLogLine("PAD_BUTTONS \"%s\" does not name four different buttons from 1 to 32: the pad plays with %s.",
                 settings.padButtons, kDefaultPadButtons);
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
