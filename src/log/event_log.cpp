// event_log.cpp -- formatting of event log lines into their 200-byte buffer.
#include "log/event_log.h"

#include <cstdarg>
#include <cstdio>
#include <atomic>
#include <cstring>

#include "log/log_file.h"

namespace {

std::atomic<bool> logLinesOn{false};

}  // namespace

void SetLogLinesOn(bool on) { logLinesOn.store(on, std::memory_order_relaxed); }

void WriteLogLine(const char* format, ...) {
  if (!logLinesOn.load(std::memory_order_relaxed)) return;
  char line[kLogLineSize];
  std::memset(line, 0, sizeof line);
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(line, kLogMessageMax + 1, format, args);
  va_end(args);
  if (length < 0) length = 0;
  if (length > kLogMessageMax) length = kLogMessageMax;
  line[length] = '\r';
  line[length + 1] = '\n';
  Platform_WriteLog(line, uint32_t(length + 2));
}
