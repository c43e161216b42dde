// event_log_win32.h -- opening and closing "StomparaLog.txt" beside the module.
#pragma once


// Creates (empties) the log file in the settings folder and keeps its
// handle. Returns 1 on success, 0 when the file cannot be created or its
// name does not fit. Init only, and only while WRITE_LOG is nonzero.
int OpenLog();

// Closes the log file if one is open, whatever WRITE_LOG says now. Quit only.
void CloseLog();
