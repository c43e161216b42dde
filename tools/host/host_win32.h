// host_win32.h -- state shared by the parts of the host harness.
//
// The harness plays the player's part: its main thread owns the main window
// (which answers the plug-in's requests) and runs the scenario; a separate
// visualisation thread calls Init, Render and Quit. With `host-thread main`
// it plays other hosts' part instead: the main thread calls them itself,
// between the scenario's actions.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "plugin/vis_header_win32.h"
#include "scenario.h"

struct Host {
  Scenario scenario;
  Playback playback;              // main thread only
  HMODULE plugin = nullptr;
  winampVisModule* module = nullptr;
  HWND mainWindow = nullptr;
  std::atomic<int> lastInitResult{-1};  // -1 until an Init has returned
};

extern Host host;

// Milliseconds (and microseconds) since the harness started; any thread.
int64_t NowMs();
int64_t NowMicros();

// Pumps the calling thread's messages until `handle` is signalled, so the
// main window keeps answering while it waits.
void WaitPumping(HANDLE handle);

// Visualisation sessions (vis_session_win32.cpp). Main thread only.
bool SessionRunning();
// Starts a session: a thread that calls Init, then Render every delayMs (or
// every frame-ms the scenario asks for), then Quit. With host-thread main it
// calls Init here and now, and RunMainThreadSession renders.
void StartSession();
// host-thread main: pumps the main thread's messages until NowMs() reaches
// `untilMs`, calling Render whenever a frame falls due; a Render result
// other than 0 or a quit message ends the session (Quit). Returns at once
// when no such session runs, and early when the session ends.
void RunMainThreadSession(int64_t untilMs);
// Waits until the session ends by itself (its window closed, say); returns
// at once when none is running.
void WaitForSessionEnd();
// Ends the running session (Quit) and waits for it.
void StopSession();
// The id of the thread that calls Init, Render and Quit: the last session's
// visualisation thread, or the main thread with host-thread main (0 before
// the first session).
DWORD SessionThreadId();
// The game window: the visible window of the session's thread that is
// neither a dialog nor the main window; null when there is none.
HWND FindGameWindow();

// Watching and looking (watch_win32.cpp). Main thread only.
// Records and dismisses the message boxes open on the harness's threads.
void CloseMessageBoxes();
// Journals the game window's place, size, client size, styles and owner.
void ProbeGameWindow();
// Saves the game window's client area as a 24-bit BMP file.
void CaptureGameWindow(const char* path);
