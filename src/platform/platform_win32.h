// platform_win32.h -- what the plug-in's platform calls reach: the game window and its host.
//
// One record of the plug-in's, kept beside its module record. The game
// hands it, opaque, to every platform call (platform/platform.h,
// chart/chart_file.h, platform/chart_worker.h); their Win32 versions find the
// window, the host and the chart file here. Host's visualisation thread.
#pragma once

#include <windows.h>

#include "host/vis_header_win32.h"

struct ChartJob;  // autochart/chart_worker_win32.cpp

struct Platform {
  // The game window Init made; null until then, and again once it is
  // destroyed. Written by CreateGameWindow and DestroyGameWindow.
  HWND window = nullptr;
  // The host's record, whose main window (hwndParent) every request goes to.
  winampVisModule* module = nullptr;
  // The chart file opened last; invalid while none is open.
  HANDLE chartFile = INVALID_HANDLE_VALUE;
  // The chart being made by the worker, or null.
  ChartJob* chartJob = nullptr;
};
