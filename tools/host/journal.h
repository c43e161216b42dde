// journal.h -- the harness's JSON-lines record of what the plug-in did.
//
// One object per line, each with "t" (ms since the harness started) and
// "event". Safe to call from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A JSON string literal for `text`, bytes above 0x7F written as \u00XX (the
// byte's value), so any file name round-trips.
std::string JsonString(const char* text);

// One field of a journal line: a name and an already-formatted JSON value.
using JournalField = std::pair<const char*, std::string>;
JournalField Field(const char* name, int64_t value);
JournalField Field(const char* name, const char* text);  // null text -> null
JournalField Field(const char* name, const std::string& text);

// Formats one journal line (without the newline).
std::string JournalLine(int64_t atMs, const char* event, const std::vector<JournalField>& fields);

// Opens the journal file (truncating it). False when it cannot be created.
bool OpenJournal(const char* path);
// Appends one line and flushes it.
void WriteJournal(int64_t atMs, const char* event, const std::vector<JournalField>& fields);
void CloseJournal();
