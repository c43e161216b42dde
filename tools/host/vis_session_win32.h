// vis_session_win32.h -- the harness's visualisation sessions: Init, Render every frame, Quit.
//
// Main thread only, except SessionRunning and FindGameWindow, which the
// session's own thread also calls (the autoplayer and the recording, after
// each Render).
#pragma once

#include <windows.h>

#include <cstdint>

struct Host;

// Whether a session runs: from Init to Quit.
bool SessionRunning(const Host& host);
// Starts a session: a thread that calls Init, then Render every delayMs (or
// every frame-ms the scenario asks for), then Quit. With host-thread main it
// calls Init here and now, and RunMainThreadSession renders. The session
// (its thread, with host-thread vis) reads `host` and sets its
// lastInitResult; `host` outlives it (StopSession waits for it).
void StartSession(Host& host);
// host-thread main: pumps the main thread's messages until NowMs() reaches
// `untilMs`, calling Render whenever a frame falls due; a Render result
// other than 0 or a quit message ends the session (Quit). Returns at once
// when no such session runs, and early when the session ends.
void RunMainThreadSession(Host& host, int64_t untilMs);
// Waits until the session ends by itself (its window closed, say); returns
// at once when none is running.
void WaitForSessionEnd(Host& host);
// Ends the running session (Quit) and waits for it, cancelling a dialog
// the plug-in keeps open on the session's thread (its Render cannot return
// before the dialog has).
void StopSession(Host& host);
// The id of the thread that calls Init, Render and Quit: the last session's
// visualisation thread, or the main thread with host-thread main (0 before
// the first session).
DWORD SessionThreadId();
// The game window: the visible window of the session's thread that is
// neither a dialog nor `host`'s main window; null when there is none.
HWND FindGameWindow(const Host& host);
