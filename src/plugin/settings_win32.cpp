// settings_win32.cpp -- plugin.ini through the private-profile functions.
#include "plugin/settings_win32.h"

#include <windows.h>

namespace {

constexpr char kSettingsFileName[] = "plugin.ini";

// Set once the settings have been read: before that the values in memory are
// only the load-time defaults, and writing them would wipe the user's file
// (a host that calls Quit without Init).
bool settingsRead = false;

void WriteIntSetting(const char* section, const char* key, int32_t value, const char* path) {
  char text[16];
  wsprintfA(text, "%d", value);
  WritePrivateProfileStringA(section, key, text, path);
}

}  // namespace

int BesideModulePath(HINSTANCE instance, const char* fileName, char (&out)[kPathSize]) {
  char modulePath[kPathSize] = {};
  DWORD length = GetModuleFileNameA(instance, modulePath, kPathSize);
  if (length == 0 || length >= DWORD(kPathSize)) {  // failed or cut short
    out[0] = '\0';
    return 0;
  }
  return BuildBesideModulePath(modulePath, fileName, out);
}

void ReadSettings(const winampVisModule* module) {
  char path[kPathSize];
  if (!BesideModulePath(module->hDllInstance, kSettingsFileName, path)) {
    ResetSettings();  // never read a plugin.ini from some other folder
    return;
  }
  settingsRead = true;
  const char* section = module->description;
  WRITE_LOG = int32_t(GetPrivateProfileIntA(section, "WRITE_LOG", kDefaultWriteLog, path));
  SCREEN_X = int32_t(GetPrivateProfileIntA(section, "SCREEN_X", kDefaultScreenX, path));
  SCREEN_Y = int32_t(GetPrivateProfileIntA(section, "SCREEN_Y", kDefaultScreenY, path));
  GetPrivateProfileStringA(section, "MSD_PATH", "", MSD_PATH, kPathSize, path);
  LEVEL = int32_t(GetPrivateProfileIntA(section, "LEVEL", kDefaultLevel, path));
  UINT showFlame = GetPrivateProfileIntA(section, "SHOW_FLAME", kDefaultShowFlame, path);
  SHOW_FLAME.store(showFlame != 0 ? 1 : 0, std::memory_order_relaxed);
}

void WriteSettings(const winampVisModule* module) {
  char path[kPathSize];
  if (!settingsRead || !BesideModulePath(module->hDllInstance, kSettingsFileName, path)) return;
  const char* section = module->description;
  WriteIntSetting(section, "WRITE_LOG", WRITE_LOG, path);
  WriteIntSetting(section, "SCREEN_X", SCREEN_X, path);
  WriteIntSetting(section, "SCREEN_Y", SCREEN_Y, path);
  WritePrivateProfileStringA(section, "MSD_PATH", MSD_PATH, path);
  WriteIntSetting(section, "LEVEL", LEVEL, path);
  WriteIntSetting(section, "SHOW_FLAME", SHOW_FLAME.load(std::memory_order_relaxed), path);
}
