// event_log.h -- the optional plain-text trace "StomparaLog.txt".
#pragma once

constexpr int kLogLineSize = 200;     // line buffer, CR LF and terminator included
constexpr int kLogMessageMax = 197;   // longest message; longer ones are cut here

// Whether log lines are written: the settings' WRITE_LOG, told whenever
// the settings are read or reset. The log is the process's one trace file,
// which every stage writes to without being handed it, as a program writes
// to its standard error; the flag is atomic because Config may re-read the
// settings on another thread. Any thread.
void SetLogLinesOn(bool on);

// Writes one log line: the message formatted from `format` (printf-style;
// "%ld" takes a long, "%s" a text) followed by CR LF, with one write. Does
// nothing, not even formatting, while log lines are off (WRITE_LOG 0). A message longer than
// kLogMessageMax characters is cut to that length. Host's visualisation
// thread only; takes no lock.
void WriteLogLine(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
