// log_file.h -- the event log's file ("StomparaLog.txt" in the settings folder).
//
// Defined by log_file_win32.cpp; native tests link a recording fake of
// Platform_WriteLog (tests/fakes/platform_fake.cpp).
#pragma once

#include <cstdint>

// Creates (empties) the log file at `path` and keeps its handle. Returns 1
// on success, 0 when the file cannot be created. Init only, and only while
// WRITE_LOG is nonzero.
int OpenLog(const char* path);

// Closes the log file if one is open, whatever WRITE_LOG says now. Quit, and
// an Init that fails after opening it.
void CloseLog();

// Appends `count` bytes to the open event log with one write. Does nothing
// while no log file is open; write failures are ignored. The event log's
// lines (event_log.h) come through here.
void Platform_WriteLog(const char* bytes, uint32_t count);
