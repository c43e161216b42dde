// scores_win32.cpp -- Scores.ini beside plugin.ini, read whole and replaced through a flushed temporary file.
#include <windows.h>

#include <cstdio>

#include "scores/scores_file.h"
#include "settings/settings.h"
#include "settings/settings_win32.h"

namespace {

constexpr char kScoresFileName[] = "Scores.ini";
constexpr DWORD kLargestScoresFile = 16u << 20;  // far more songs than anyone plays

}  // namespace

bool Platform_ReadScores(Platform&, const Settings& settings, std::string& text) {
  text.clear();
  char path[kPathSize];
  if (!SettingsFilePath(settings, kScoresFileName, path)) return false;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD size = GetFileSize(file, nullptr);
  bool read = size != INVALID_FILE_SIZE && size <= kLargestScoresFile;
  if (read) {
    text.resize(size);
    DWORD got = 0;
    read = size == 0 || (ReadFile(file, &text[0], size, &got, nullptr) && got == size);
  }
  CloseHandle(file);
  if (!read) text.clear();
  return read;
}

bool Platform_ReplaceScores(Platform&, const Settings& settings, const std::string& text) {
  char path[kPathSize];
  char temporary[kPathSize + 32];
  if (!SettingsFilePath(settings, kScoresFileName, path)) return false;
  std::snprintf(temporary, sizeof temporary, "%s.%lu.tmp", path, GetCurrentThreadId());
  HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == DWORD(text.size()) &&
            FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  if (ok && MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileA(temporary);
  return false;
}
