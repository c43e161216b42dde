// host_win32.h -- state shared by the parts of the host harness.
//
// The harness plays the player's part: its main thread owns the main window
// (which answers the plug-in's requests) and runs the scenario; a separate
// visualisation thread calls Init, Render and Quit. With `host-thread main`
// it plays other hosts' part instead: the main thread calls them itself,
// between the scenario's actions. A config thread calls Config, so the
// scenario goes on while the plug-in's modal dialog is open.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "base/vis_header_win32.h"
#include "scenario.h"

struct Host {
  Scenario scenario;
  Playback playback;              // main thread only
  HMODULE plugin = nullptr;
  winampVisModule* module = nullptr;
  HWND mainWindow = nullptr;
  std::atomic<int> lastInitResult{-1};  // -1 until an Init has returned
  // The playlist's names as the player gives them: in the system's ANSI
  // code page (request 211; characters it lacks become "?") and in wide
  // characters (request 214). The scenario spells them in UTF-8.
  std::vector<std::string> ansiNames;
  std::vector<std::wstring> wideNames;
  std::string settingsFolder;  // request 335's answer
  // Request 105's latest answer, for the autoplayer (any thread reads it).
  std::atomic<int32_t> lastPosition{0};
};

extern Host host;

// The whole file at `path`; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Milliseconds (and microseconds) since the harness started; any thread.
int64_t NowMs();
int64_t NowMicros();

// Pumps the calling thread's messages until `handle` is signalled, so the
// main window keeps answering while it waits; gives up after `timeoutMs`.
// Returns true once `handle` is signalled.
bool WaitPumping(HANDLE handle, DWORD timeoutMs = INFINITE);
// Pumps the calling thread's messages for up to `ms` ms (less when one
// arrives), leaving a quit message queued for the session that owns it.
void PumpMessagesFor(int64_t ms);

// Autoplay, recording and the song's sound (extras_win32.cpp). The session
// calls these on its own thread: after Init succeeded, after each Render
// (with the time since the previous Render's start, in whole ms, measured
// as the game measures it) and before Quit. PlaySongAudio runs on the main
// thread with the playback actions.
void BeginSessionExtras();
void AfterRender(int32_t intervalMs);
void EndSessionExtras();
void PlaySongAudio(const ScenarioAction& action);
// Saves the game window's client area as a 24-bit BMP; false when it cannot.
bool SaveClientBmp(HWND window, const char* path, int& width, int& height);

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
// Ends the running session (Quit) and waits for it, cancelling a dialog
// the plug-in keeps open on the session's thread (its Render cannot return
// before the dialog has).
void StopSession();
// The id of the thread that calls Init, Render and Quit: the last session's
// visualisation thread, or the main thread with host-thread main (0 before
// the first session).
DWORD SessionThreadId();
// The game window: the visible window of the session's thread that is
// neither a dialog nor the main window; null when there is none.
HWND FindGameWindow();

// Watching and looking (watch_win32.cpp). Main thread only.
// Records and dismisses the message boxes open on the harness's threads
// (the main, session and config threads), and nothing else: the plug-in's
// own dialogs and the folder browser are left alone.
void CloseMessageBoxes();
// Whether `dialog` (a #32770 window) is a message box: its text control
// 0xFFFF and no controls other than an icon and the standard buttons.
bool IsMessageBox(HWND dialog);
// The journal's name for a window's owner: none, host, game or other.
const char* OwnerName(HWND owner);
// Journals the game window's place, size, client size, styles and owner.
void ProbeGameWindow();
// Patches the plug-in's imports for the scenario's `fault` lines (right
// after it is loaded), and lets every call through again (`unfault`).
// faults_win32.cpp.
void InstallFaults(HMODULE plugin);
void ClearFaults();
// GDI objects and kernel handles the plug-in made and has not freed.
void HeldObjects(int64_t& gdi, int64_t& handles);
// Journals `resources`: the process's GDI and USER objects, handles and
// private bytes, to see that sessions leave nothing behind.
void JournalResources();
// A window's client area as read from the screen: 0x00RRGGBB values, bottom
// row first (as a BMP stores them). False (and nothing filled) when the
// window is gone or has no client area.
struct ClientPicture {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;
};
bool GrabClient(HWND window, ClientPicture& picture);
// Saves `window`'s client area as a 24-bit BMP file and journals `capture`
// (ok 0 when there is no window, it has no client area or the file cannot
// be written).
void CaptureWindow(HWND window, const char* path);

// The configuration dialog (dialog_win32.cpp). Main thread only.
// `config`: calls Config on a config thread of its own, which journals
// `config-returned` once Config has returned. While the last config thread
// still runs (its dialog open), journals `config-busy` and calls nothing.
void StartConfig();
// The config thread's id: the running or last one's (0 before the first).
DWORD ConfigThreadId();
// Runs a `dialog ...` or `capture-dialog` action on the open configuration
// dialog, whichever thread shows it; journals `dialog` with exists 0 and
// does nothing else when none is open.
void RunDialogAction(const ScenarioAction& action);
// Cancels, as Escape does (IDCANCEL when Escape does not help), each dialog
// other than a message box that the thread `threadId` shows, newest first,
// journalling `dialog-left-open` for each. Waits up to about 4 s a dialog.
void CancelDialogsOfThread(DWORD threadId);
// The end of a scenario: cancels what the config thread left open and
// waits for it to return.
void EndConfig();
