// platform_win32.cpp -- host requests, keys and error boxes for the portable code.
#include "platform/platform.h"

#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "autochart/chart_worker_win32.h"
#include "host/host_request_win32.h"
#include "platform/platform_win32.h"
#include "plugin/game_window_win32.h"
#include "plugin/plugin_win32.h"

namespace {

// Requests go to the host window of the game window's module record.
LRESULT SendHostRequest(const Platform& platform, HostRequest request, WPARAM wParam) {
  winampVisModule* module = ModuleOfGameWindow(platform);
  if (module == nullptr) return 0;
  return SendHostRequest(module->hwndParent, request, wParam);
}

}  // namespace

int32_t Platform_AskHost(Platform& platform, int32_t request) {
  return int32_t(SendHostRequest(platform, HostRequest(request), 0));
}

const char* Platform_AskHostFileName(Platform& platform, int32_t entry) {
  return reinterpret_cast<const char*>(SendHostRequest(platform, kHostEntryFileName, WPARAM(entry)));
}

int Platform_AskHostEntryTitle(Platform& platform, int32_t entry, char* title, uint32_t size) {
  auto* text = reinterpret_cast<const char*>(SendHostRequest(platform, kHostEntryTitle, WPARAM(entry)));
  if (text == nullptr || size == 0) return 0;
  size_t length = strnlen(text, size);
  if (length == 0 || length == size) return 0;
  std::memcpy(title, text, length + 1);
  return 1;
}

void Platform_ShowError(Platform& platform, const char* text) {
  MessageBoxA(platform.window, text, "Error", MB_OK | MB_ICONERROR);
}

int Platform_AskHostWideTitle(Platform& platform, int32_t entry, char* title, uint32_t size) {
  auto* name = reinterpret_cast<const wchar_t*>(SendHostRequest(platform, kHostEntryWideFileName, WPARAM(entry)));
  wchar_t wideTitle[MAX_PATH];
  if (name == nullptr || GetFileTitleW(name, wideTitle, MAX_PATH) != 0) return 0;
  return WideCharToMultiByte(CP_UTF8, 0, wideTitle, -1, title, int(size), nullptr, nullptr) > 0 ? 1 : 0;
}

int Platform_FileTitle(Platform&, const char* fileName, char* title, uint32_t size) {
  // 0 is success; a negative answer is an error, a positive one the size
  // the title would need.
  return GetFileTitleA(fileName, title, WORD(size > 0xFFFF ? 0xFFFF : size)) == 0 ? 1 : 0;
}

void Platform_OpenConfig(Platform& platform) {
  winampVisModule* module = ModuleOfGameWindow(platform);
  if (module != nullptr) Config(module);
}

void Platform_PassKeyOn(Platform& platform, uint32_t message, uintptr_t key, intptr_t keyData) {
  winampVisModule* module = ModuleOfGameWindow(platform);
  if (module != nullptr) PostMessageA(module->hwndParent, message, WPARAM(key), LPARAM(keyData));
}

int Platform_StartMakingChart(Platform& platform, const Settings& settings, int32_t entry, const char* fileName,
                              const char* title, const char* wideTitle, char (&why)[kMakingTextSize]) {
  // The wide name where the host gives one: the ANSI name may have lost characters.
  auto* wide = reinterpret_cast<const wchar_t*>(SendHostRequest(platform, kHostEntryWideFileName, WPARAM(entry)));
  std::wstring song = wide != nullptr ? std::wstring(wide) : Widened(fileName, CP_ACP);
  return StartChartWorker(platform, settings, song, fileName, title, wideTitle, why);
}
