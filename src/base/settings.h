// settings.h -- the seven settings kept in plugin.ini beside the module.
//
// Plain module-level values named after their keys. They are read from the
// file at Init and in Config (settings_win32.cpp) and written back at Quit
// and after the configuration dialog's OK.
#pragma once

#include <atomic>
#include <cstdint>

constexpr int kPathSize = 260;  // the platform's path buffer, terminator included

// Event log on when nonzero. Written by reading the file only; read by Init,
// Quit and the event log. Host's visualisation thread (and Config's thread).
extern int32_t WRITE_LOG;
// Game window's outer top-left corner in screen pixels. Written by reading
// the file and by every move of the game window; read by Init and the writer.
extern int32_t SCREEN_X;
extern int32_t SCREEN_Y;
// Folder of the MSD step charts, at most 259 characters and the terminator.
// Written by reading the file and by the folder browser; read by the loader.
extern char MSD_PATH[kPathSize];
// Difficulty 0 Standard, 1 Advanced, 2 Expert: picks the chart within the
// chart file. Used as read, not checked. Written by reading the file and by
// the dialog's OK; read by the step clock.
extern int32_t LEVEL;
// Flame effect shown when 1; always 0 or 1. Also read on the flame thread,
// hence atomic (relaxed loads and stores).
extern std::atomic<int32_t> SHOW_FLAME;
// A song without a chart gets one made from its own audio when nonzero;
// with 0 it opens the configuration, as it always did. Written by reading
// the file only; read by the frame pass.
extern int32_t AUTO_CHART;

// Where charts the plug-in makes go when MSD_PATH cannot be written: the
// folder "Charts" in the settings folder (no final backslash); empty when
// there is none. The loader looks there after MSD_PATH. Written at
// Init when the settings folder is chosen; read on the visualisation thread.
extern char madeChartsFolder[kPathSize];

// Values of keys missing from the file.
constexpr int32_t kDefaultWriteLog = 0;
constexpr int32_t kDefaultScreenX = 100;
constexpr int32_t kDefaultScreenY = 100;
constexpr int32_t kDefaultLevel = 0;
constexpr int32_t kDefaultShowFlame = 0;
constexpr int32_t kDefaultAutoChart = 1;

// Gives every setting the value it takes when its key is missing.
void ResetSettings();

// The name of the file `fileName` in the folder of the module whose full
// path is `modulePath`: the module path cut just after its last backslash
// (or to nothing when it has none) and `fileName` appended. Returns 1 and
// fills `out`; returns 0 and leaves `out` empty when the result would not
// fit in kPathSize bytes, so no file is ever looked up in the wrong place.
int BuildBesideModulePath(const char* modulePath, const char* fileName,
                          char (&out)[kPathSize]);
