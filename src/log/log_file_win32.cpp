// log_file_win32.cpp -- the event log file: create, write through, close.
#include "log/log_file.h"

#include <windows.h>

namespace {

// The process's one trace file: every stage writes its lines here without
// being handed the file, as a program writes to its standard error.
HANDLE logFile = INVALID_HANDLE_VALUE;

}  // namespace

int OpenLog(const char* path) {
  logFile = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_WRITE_THROUGH, nullptr);
  return logFile != INVALID_HANDLE_VALUE ? 1 : 0;
}

void CloseLog() {
  if (logFile == INVALID_HANDLE_VALUE) return;
  CloseHandle(logFile);
  logFile = INVALID_HANDLE_VALUE;
}

void Platform_WriteLog(const char* bytes, uint32_t count) {
  // A log switched on by Config's re-read was never opened: write nothing.
  if (logFile == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(logFile, bytes, count, &written, nullptr);
}
