// host_win32.h -- state, clock and message pumping shared by the parts of the host harness.
//
// The harness plays the player's part: its main thread owns the main window
// (which answers the plug-in's requests) and runs the scenario; a separate
// visualisation thread calls Init, Render and Quit. With `host-thread main`
// it plays other hosts' part instead: the main thread calls them itself,
// between the scenario's actions. A config thread calls Config, so the
// scenario goes on while the plug-in's modal dialog is open.
//
// The one Host is main's (host_win32.cpp), handed by reference to each part
// that reads or changes it; the main window reaches it through its
// GWLP_USERDATA, the session thread through its thread parameter.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "host/vis_header_win32.h"
#include "scenario.h"
#include "vis_sound.h"

struct Host {
  Scenario scenario;              // written before the first session, then only read
  // Written by the main thread under `playbackLock`, which the session
  // thread takes to read it before each Render (the sound it hands over).
  Playback playback;
  mutable SRWLOCK playbackLock = SRWLOCK_INIT;
  // The entries' sounds (`sound`), by entry, read before the first session;
  // a sound with no channels for an entry without one.
  std::vector<VisSound> sounds;
  HMODULE plugin = nullptr;
  winampVisModule* module = nullptr;
  HWND mainWindow = nullptr;
  std::atomic<int> lastInitResult{-1};  // -1 until an Init has returned
  // Set once the scenario's playback actions at time 0 have run: the first
  // Render waits for them, so it meets the song as the scenario sets it.
  std::atomic<bool> stageSet{false};
  // The playlist's names as the player gives them: in the system's ANSI
  // code page (request 211; characters it lacks become "?") and in wide
  // characters (request 214). The scenario spells them in UTF-8.
  std::vector<std::string> ansiNames;
  std::vector<std::wstring> wideNames;
  std::string settingsFolder;  // request 335's answer
  // The entries' titles in the ANSI code page (request 212), changed by the
  // `title` action, and the copy the latest answer points into (main thread only).
  std::vector<std::string> titles;
  std::string titleAnswer;
  // Request 105's latest answer, for the autoplayer (any thread reads it).
  std::atomic<int32_t> lastPosition{0};
  // How many requests 104, 105, 125, 211 and 212 the main window answered,
  // for the journal's `end` line (main thread only).
  int64_t requestCounts[5] = {};
};

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
