// scores_file.h -- the port to Scores.ini: read whole, replaced whole.
//
// The plug-in links the Win32 versions (scores/scores_win32.cpp), which keep
// the file beside plugin.ini; native tests a recorder's.
#pragma once

#include <string>

struct Platform;  // platform/platform.h
struct Settings;  // settings/settings.h

// Scores.ini beside plugin.ini into `text`. False, `text` empty, when there
// is none or it cannot be read.
bool Platform_ReadScores(Platform& platform, const Settings& settings, std::string& text);

// Replaces Scores.ini with `text`: written to a temporary file, on the disk,
// then renamed over the old one, so a crash leaves the old file or the new,
// never part of one. False when it could not be written; the old file stays.
bool Platform_ReplaceScores(Platform& platform, const Settings& settings, const std::string& text);
