// chart_worker.h -- the worker that makes the playing song's chart while the game goes on.
//
// A song without a chart gets one made from its own audio on a thread of
// the plug-in's own, never the one that runs Render: its file is decoded a
// block at a time, analysed, and the chart written as an ordinary MSD file,
// under a temporary name first and then renamed, so no reader ever sees
// half a file and no existing file is overwritten. Defined by
// chart_worker_win32.cpp in the plug-in; native tests link a recording
// fake (tests/fakes/platform_fake.cpp). Every function here is called on
// the host's visualisation thread.
#pragma once

#include <cstdint>

struct Platform;  // platform/platform.h
struct Settings;  // settings/settings.h

enum class Making : int32_t {
  kIdle,    // nothing being made
  kBusy,    // the worker is at it
  kMade,    // the chart file is written
  kFailed,  // no chart: `text` says why
};

constexpr uint32_t kMakingTextSize = 320;

struct MakingReport {
  Making state;
  int32_t percent;    // how far the work is, 0..99, while busy
  int32_t elapsedMs;  // since the work started
  // kMade: the chart file's path and the chart's summary; kFailed: why, one
  // lower-case sentence.
  char text[kMakingTextSize];
};

// Starts making the chart of playlist entry `entry`, whose file is
// `fileName` (request 211's answer; the wide name of request 214 is asked
// for, and used where the host gives it). The chart is named after `title`
// (or `wideTitle`, UTF-8, when not null) by the loader's rule and goes to
// the settings' MSD_PATH, or to their madeChartsFolder when MSD_PATH cannot
// take it. Stops any work under way first. 1 when the worker started; 0 with `why` (one
// lower-case sentence) when it could not: the song's file is not there, or
// no thread could be had.
int Platform_StartMakingChart(Platform& platform, const Settings& settings, int32_t entry, const char* fileName,
                              const char* title, const char* wideTitle, char (&why)[kMakingTextSize]);

// Where the work started last is. After kMade or kFailed has been reported
// once, the worker is done with and later polls report kIdle.
void Platform_PollMakingChart(Platform& platform, MakingReport& report);

// Cancels the work under way, if any, and waits up to 100 ms for the worker
// to stop, still answering the messages other threads send meanwhile. A
// worker that needs longer finishes on its own and writes nothing.
void Platform_StopMakingChart(Platform& platform);
