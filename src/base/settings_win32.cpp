// settings_win32.cpp -- plugin.ini through the private-profile functions.
#include "base/settings_win32.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "base/host_request_win32.h"

namespace {

constexpr char kSettingsFileName[] = "plugin.ini";
constexpr char kLogFileName[] = "StomparaLog.txt";

// The folder plugin.ini and the log live in, with its final backslash; empty
// until chosen, and when no folder name fits.
char settingsFolder[kPathSize];
bool folderChosen = false;

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

namespace {

void PickSettingsFolder(const winampVisModule* module) {
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

void ChooseSettingsFolder(const winampVisModule* module) {
  folderChosen = true;
  PickSettingsFolder(module);
  // Charts the plug-in makes go beside the settings when the chart folder
  // cannot take them; the folder is made when the first one is written.
  madeChartsFolder[0] = '\0';
  if (settingsFolder[0] != '\0' && lstrlenA(settingsFolder) + 8 < kPathSize) {
    lstrcpyA(madeChartsFolder, settingsFolder);
    lstrcatA(madeChartsFolder, "Charts");
  }
}

int SettingsFilePath(const char* fileName, char (&out)[kPathSize]) {
  if (settingsFolder[0] == '\0') {
    out[0] = '\0';
    return 0;
  }
  return BuildBesideModulePath(settingsFolder, fileName, out);
}

int LogFilePath(char (&out)[kPathSize]) { return SettingsFilePath(kLogFileName, out); }

void ReadSettings(const winampVisModule* module) {
  if (!folderChosen) ChooseSettingsFolder(module);  // a Config with no game running
  char path[kPathSize];
  if (!SettingsFilePath(kSettingsFileName, path)) {
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
  AUTO_CHART = int32_t(GetPrivateProfileIntA(section, "AUTO_CHART", kDefaultAutoChart, path));
}

void WriteSettings(const winampVisModule* module) {
  char path[kPathSize];
  if (!settingsRead || !SettingsFilePath(kSettingsFileName, path)) return;
  const char* section = module->description;
  WriteIntSetting(section, "WRITE_LOG", WRITE_LOG, path);
  WriteIntSetting(section, "SCREEN_X", SCREEN_X, path);
  WriteIntSetting(section, "SCREEN_Y", SCREEN_Y, path);
  WritePrivateProfileStringA(section, "MSD_PATH", MSD_PATH, path);
  WriteIntSetting(section, "LEVEL", LEVEL, path);
  WriteIntSetting(section, "SHOW_FLAME", SHOW_FLAME.load(std::memory_order_relaxed), path);
  WriteIntSetting(section, "AUTO_CHART", AUTO_CHART, path);
}
