// host_request_win32.h -- the one sender of the plug-in's requests to the host.
#pragma once

#include <windows.h>

#include "host/host_requests.h"

// Sends `request` with `wParam` to the host's main window `hostWindow` and
// returns the host's answer (0 when the window is null or gone). Any thread:
// from a thread other than the window's this waits until the host's thread
// answers, as every SendMessage does.
LRESULT SendHostRequest(HWND hostWindow, HostRequest request, WPARAM wParam = 0);
