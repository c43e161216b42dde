// settings_win32.cpp -- plugin.ini through the private-profile functions.
#include "settings/settings_win32.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "host/host_request_win32.h"
#include "log/event_log.h"

namespace {

constexpr char kSettingsFileName[] = "plugin.ini";
constexpr char kLogFileName[] = "StomparaLog.txt";

// Whether a settings file can be written in `folder` (ending in a
// backslash): opens it for writing, and removes it again if it was not there.
bool CanWriteSettingsIn(const char* folder) {
  char path[kPathSize];
  if (!BuildBesideModulePath(folder, kSettingsFileName, path)) return false;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool created = GetLastError() != ERROR_ALREADY_EXISTS;
  CloseHandle(file);
  if (created) DeleteFileA(path);
  return true;
}

// `parent`, a backslash, `child` and a backslash into `out`, the child
// folder made when missing. False when it does not fit.
bool SubFolder(const char* parent, const char* child, char (&out)[kPathSize]) {
  int parentLength = lstrlenA(parent);
  if (parentLength > 0 && parent[parentLength - 1] == '\\') --parentLength;
  if (parentLength + lstrlenA(child) + 3 > kPathSize) return false;
  std::memcpy(out, parent, size_t(parentLength));
  out[parentLength] = '\\';
  lstrcpyA(out + parentLength + 1, child);
  CreateDirectoryA(out, nullptr);
  lstrcatA(out, "\\");
  return true;
}

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

namespace {

void PickSettingsFolder(char (&settingsFolder)[kPathSize], const winampVisModule* module) {
  // Beside the module while that folder can be written.
  if (BesideModulePath(module->hDllInstance, "", settingsFolder) && CanWriteSettingsIn(settingsFolder))
    return;
  // The player keeps its plug-ins' settings in the Plugins folder of its own.
  auto* playerFolder = reinterpret_cast<const char*>(
      SendHostRequest(module->hwndParent, kHostSettingsFolder));
  if (playerFolder != nullptr && SubFolder(playerFolder, "Plugins", settingsFolder) &&
      CanWriteSettingsIn(settingsFolder))
    return;
  char appData[MAX_PATH];
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData)) &&
      SubFolder(appData, "Stompara", settingsFolder) && CanWriteSettingsIn(settingsFolder))
    return;
  // Nowhere to write: read beside the module, as before.
  if (!BesideModulePath(module->hDllInstance, "", settingsFolder)) settingsFolder[0] = '\0';
}

}  // namespace

void ChooseSettingsFolder(Settings& settings, const winampVisModule* module) {
  settings.folderChosen = true;
  PickSettingsFolder(settings.folder, module);
  // Charts the plug-in makes go beside the settings when the chart folder
  // cannot take them; the folder is made when the first one is written.
  settings.madeChartsFolder[0] = '\0';
  if (settings.folder[0] != '\0' && lstrlenA(settings.folder) + 8 < kPathSize) {
    lstrcpyA(settings.madeChartsFolder, settings.folder);
    lstrcatA(settings.madeChartsFolder, "Charts");
  }
}

int SettingsFilePath(const Settings& settings, const char* fileName, char (&out)[kPathSize]) {
  if (settings.folder[0] == '\0') {
    out[0] = '\0';
    return 0;
  }
  return BuildBesideModulePath(settings.folder, fileName, out);
}

int LogFilePath(const Settings& settings, char (&out)[kPathSize]) {
  return SettingsFilePath(settings, kLogFileName, out);
}

void ReadSettings(Settings& settings, const winampVisModule* module) {
  if (!settings.folderChosen) ChooseSettingsFolder(settings, module);  // a Config with no game running
  char path[kPathSize];
  if (!SettingsFilePath(settings, kSettingsFileName, path)) {
    ResetSettings(settings);  // never read a plugin.ini from some other folder
    return;
  }
  settings.read = true;
  const char* section = module->description;
  settings.writeLog = int32_t(GetPrivateProfileIntA(section, "WRITE_LOG", kDefaultWriteLog, path));
  settings.screenX = int32_t(GetPrivateProfileIntA(section, "SCREEN_X", kDefaultScreenX, path));
  settings.screenY = int32_t(GetPrivateProfileIntA(section, "SCREEN_Y", kDefaultScreenY, path));
  GetPrivateProfileStringA(section, "MSD_PATH", "", settings.msdPath, kPathSize, path);
  settings.level = int32_t(GetPrivateProfileIntA(section, "LEVEL", kDefaultLevel, path));
  UINT showFlame = GetPrivateProfileIntA(section, "SHOW_FLAME", kDefaultShowFlame, path);
  settings.showFlame.store(showFlame != 0 ? 1 : 0, std::memory_order_relaxed);
  settings.autoChart = int32_t(GetPrivateProfileIntA(section, "AUTO_CHART", kDefaultAutoChart, path));
  char offsetText[kSettingTextSize];
  char keysText[kSettingTextSize];
  GetPrivateProfileStringA(section, "OFFSET_MS", "0", offsetText, kSettingTextSize, path);
  GetPrivateProfileStringA(section, "KEYS", kDefaultKeyList, keysText, kSettingTextSize, path);
  char padText[kPathSize];
  GetPrivateProfileStringA(section, "PAD_BUTTONS", kDefaultPadButtons, padText, kPathSize, path);
  TakeTextSettings(settings, offsetText, keysText, padText);
  SetLogLinesOn(settings.writeLog != 0);
}

void WriteSettings(const Settings& settings, const winampVisModule* module) {
  char path[kPathSize];
  if (!settings.read || !SettingsFilePath(settings, kSettingsFileName, path)) return;
  const char* section = module->description;
  WriteIntSetting(section, "WRITE_LOG", settings.writeLog, path);
  WriteIntSetting(section, "SCREEN_X", settings.screenX, path);
  WriteIntSetting(section, "SCREEN_Y", settings.screenY, path);
  WritePrivateProfileStringA(section, "MSD_PATH", settings.msdPath, path);
  WriteIntSetting(section, "LEVEL", settings.level, path);
  WriteIntSetting(section, "SHOW_FLAME", settings.showFlame.load(std::memory_order_relaxed), path);
  WriteIntSetting(section, "AUTO_CHART", settings.autoChart, path);
  WriteIntSetting(section, "OFFSET_MS", settings.offsetMs, path);
  WritePrivateProfileStringA(section, "KEYS", settings.keysText, path);
  WritePrivateProfileStringA(section, "PAD_BUTTONS", settings.padButtons, path);
}
