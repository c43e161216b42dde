// chart_worker_win32.h -- the thread that makes a song's chart, as the platform calls start it.
//
// Platform_PollMakingChart and Platform_StopMakingChart (platform/chart_worker.h)
// are defined with it; Platform_StartMakingChart asks the host for the
// song's wide name (plugin/platform_win32.cpp) and starts it here.
#pragma once

#include <windows.h>

#include <string>

#include "platform/chart_worker.h"
#include "settings/settings.h"

// Starts the worker on the song file `song`; the rest as for
// Platform_StartMakingChart (`fileName` names the song in `why`).
int StartChartWorker(Platform& platform, const Settings& settings, const std::wstring& song,
                     const char* fileName, const char* title, const char* wideTitle,
                     char (&why)[kMakingTextSize]);

// `text` in the code page `codePage` as wide characters; empty when it is none.
std::wstring Widened(const char* text, UINT codePage);
