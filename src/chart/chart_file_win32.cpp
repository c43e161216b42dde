// chart_file_win32.cpp -- the chart file and the chart text's movable global block on Win32.
#include "chart/chart_file.h"

#include <windows.h>

namespace {

// The chart file opened last (`chartFile`); invalid while none is open.
HANDLE chartFile = INVALID_HANDLE_VALUE;

}  // namespace

int Platform_OpenChartFile(const char* path) {
  Platform_CloseChartFile();
  chartFile = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  return chartFile != INVALID_HANDLE_VALUE ? 1 : 0;
}

int Platform_OpenChartFileWide(const char* folder, const char* name) {
  Platform_CloseChartFile();
  wchar_t path[MAX_PATH];
  int folderLength = MultiByteToWideChar(CP_ACP, 0, folder, -1, path, MAX_PATH);
  if (folderLength == 0 || folderLength + 1 >= MAX_PATH) return 0;
  path[folderLength - 1] = L'\\';
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, path + folderLength,
                          MAX_PATH - folderLength) == 0)
    return 0;  // 260 wide characters or more, or no UTF-8
  chartFile = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  return chartFile != INVALID_HANDLE_VALUE ? 1 : 0;
}

uint32_t Platform_ChartFileSize() {
  if (chartFile == INVALID_HANDLE_VALUE) return 0;
  return uint32_t(GetFileSize(chartFile, nullptr));
}

int Platform_ReadChartFile(char* buffer, uint32_t size) {
  if (chartFile == INVALID_HANDLE_VALUE) return 0;
  DWORD delivered = 0;
  BOOL read = ReadFile(chartFile, buffer, DWORD(size), &delivered, nullptr);
  return read && delivered == DWORD(size) ? 1 : 0;
}

void Platform_CloseChartFile() {
  if (chartFile == INVALID_HANDLE_VALUE) return;
  CloseHandle(chartFile);
  chartFile = INVALID_HANDLE_VALUE;
}

char* Platform_AllocChartBlock(uint32_t size) {
  HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, SIZE_T(size));
  if (handle == nullptr) return nullptr;
  // Locked for as long as the chart holds it, so the address stays put.
  char* block = static_cast<char*>(GlobalLock(handle));
  if (block == nullptr) GlobalFree(handle);
  return block;
}

void Platform_FreeChartBlock(char* block) {
  if (block == nullptr) return;
  HGLOBAL handle = GlobalHandle(block);
  if (handle == nullptr) return;
  GlobalUnlock(handle);
  GlobalFree(handle);
}
