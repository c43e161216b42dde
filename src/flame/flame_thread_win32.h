// flame_thread_win32.h -- the plug-in's own thread: a flame tick every 20 ms.
#pragma once

#include <windows.h>

// Init: clears the stop flag (an earlier Quit left it set) and starts the
// thread, which sends its requests to `hostWindow`.
void StartFlameThread(HWND hostWindow);

// Quit: sets the stop flag and waits for the thread to end. While it waits
// it serves messages other threads send to this one, so a host that calls
// Quit on the thread owning its main window, while the flame thread waits
// there on a request, still gets Quit back at once.
void StopFlameThread();
