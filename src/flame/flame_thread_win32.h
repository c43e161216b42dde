// flame_thread_win32.h -- the plug-in's own thread: a flame tick every 20 ms.
#pragma once

#include <windows.h>

#include "flame/flame_tick.h"

// One flame thread: its handle, what it works on and where its requests go.
// The record is the thread's parameter, so it must stay put while it runs.
struct FlameThread {
  HANDLE handle = nullptr;
  FlameWork work = {};
  HWND hostWindow = nullptr;
};

// Init: clears the stop flag (an earlier Quit left it set) and starts the
// thread on `work`, which sends its requests to `hostWindow`.
void StartFlameThread(FlameThread& thread, const FlameWork& work, HWND hostWindow);

// Quit: sets the stop flag and waits for the thread to end. While it waits
// it serves messages other threads send to this one, so a host that calls
// Quit on the thread owning its main window, while the flame thread waits
// there on a request, still gets Quit back at once.
void StopFlameThread(FlameThread& thread);
