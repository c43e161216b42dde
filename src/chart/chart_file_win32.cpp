// chart_file_win32.cpp -- the chart file and the chart text's movable global block on Win32.
#include "chart/chart_file.h"

#include <windows.h>

#include "platform/platform_win32.h"

int Platform_OpenChartFile(Platform& platform, const char* path) {
  Platform_CloseChartFile(platform);
  platform.chartFile = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  return platform.chartFile != INVALID_HANDLE_VALUE ? 1 : 0;
}

int Platform_OpenChartFileWide(Platform& platform, const char* folder, const char* name) {
  Platform_CloseChartFile(platform);
  wchar_t path[MAX_PATH];
  int folderLength = MultiByteToWideChar(CP_ACP, 0, folder, -1, path, MAX_PATH);
  if (folderLength == 0 || folderLength + 1 >= MAX_PATH) return 0;
  path[folderLength - 1] = L'\\';
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, path + folderLength,
                          MAX_PATH - folderLength) == 0)
    return 0;  // 260 wide characters or more, or no UTF-8
  platform.chartFile = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  return platform.chartFile != INVALID_HANDLE_VALUE ? 1 : 0;
}

uint32_t Platform_ChartFileSize(Platform& platform) {
  if (platform.chartFile == INVALID_HANDLE_VALUE) return 0;
  return uint32_t(GetFileSize(platform.chartFile, nullptr));
}

int Platform_ReadChartFile(Platform& platform, char* buffer, uint32_t size) {
  if (platform.chartFile == INVALID_HANDLE_VALUE) return 0;
  DWORD delivered = 0;
  BOOL read = ReadFile(platform.chartFile, buffer, DWORD(size), &delivered, nullptr);
  return read && delivered == DWORD(size) ? 1 : 0;
}

void Platform_CloseChartFile(Platform& platform) {
  if (platform.chartFile == INVALID_HANDLE_VALUE) return;
  CloseHandle(platform.chartFile);
  platform.chartFile = INVALID_HANDLE_VALUE;
}

char* Platform_AllocChartBlock(Platform&, uint32_t size) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, SIZE_T(size));
  if (handle == nullptr) return nullptr;
  // Locked for as long as the chart holds it, so the address stays put.
  char* block = static_cast<char*>(GlobalLock(handle));
  if (block == nullptr) GlobalFree(handle);
  return block;
}

void Platform_FreeChartBlock(Platform&, char* block) {
  if (block == nullptr) return;
  HGLOBAL handle = GlobalHandle(block);
  if (handle == nullptr) return;
  GlobalUnlock(handle);
  GlobalFree(handle);
}
