// vis_session_win32.cpp -- plug-in sessions: Init, Render every frame, Quit, on a thread of their own or the main one.
#include "vis_session_win32.h"

#include <algorithm>

#include "dialog_win32.h"
#include "extras_win32.h"
#include "host_win32.h"
#include "journal.h"
#include "sound_win32.h"

namespace {

// The thread that calls Init, Render and Quit: the running or last session's.
DWORD sessionThreadId;
// host-thread vis: the session's thread, and the event that asks it to end.
HANDLE sessionThread;
HANDLE stopEvent;
// host-thread main: whether a session runs (from Init to Quit), and when
// its next Render is due. Main thread only.
bool mainSessionRunning;
int64_t nextFrameMs;

bool OnMainThread(const Host& host) { return host.scenario.hostThread == kHostThreadMain; }

// When the session's latest Render started (µs), 0 before its first.
int64_t previousStart;

// Pumps the calling thread's messages until `dueMs` or the session must end.
// Returns false when it must end: `stop` (null for none) was signalled, or a
// quit message arrived.
bool PumpUntil(int64_t dueMs, HANDLE stop) {
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        WriteJournal(NowMs(), "quit-message", {Field("code", int64_t(message.wParam))});
        return false;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    int64_t wait = dueMs - NowMs();
    if (wait <= 0) return true;
    DWORD woke = MsgWaitForMultipleObjects(stop ? 1 : 0, &stop, FALSE, DWORD(wait), QS_ALLINPUT);
    if (stop && woke == WAIT_OBJECT_0) return false;
  }
}

// When the Render after the one due at `dueMs` is due: the scenario's
// frame-ms later when it gives one, else the module's delayMs (read each
// frame, since the plug-in may change it), and never in the past: after a
// late frame the next comes at once and the missed ones are dropped.
int64_t NextFrameDue(const Scenario& scenario, int64_t dueMs, const winampVisModule* module) {
  int64_t interval = scenario.frameMs > 0 ? scenario.frameMs : module->delayMs;
  return std::max(dueMs + std::max<int64_t>(interval, 1), NowMs());
}

// Init, with the record filled as the player fills it; returns its result.
int CallInit(Host& host, winampVisModule* module) {
  module->hwndParent = host.mainWindow;
  module->hDllInstance = host.plugin;
  int result = module->Init(module);
  host.lastInitResult = result;
  WriteJournal(NowMs(), "init", {Field("result", int64_t(result))});
  previousStart = 0;
  if (result == 0) BeginSessionExtras(host);
  return result;
}

// The sound handed over, then one Render with its journal line, then the autoplayer and the recording;
// true while the session goes on (result 0).
bool CallRender(const Host& host, winampVisModule* module) {
  HandSoundToPlugin(host, module);
  int64_t before = NowMicros();
  int rendered = module->Render(module);
  int64_t micros = NowMicros() - before;
  WriteJournal(NowMs(), "render", {Field("result", int64_t(rendered)), Field("us", micros)});
  // The interval as the game measures it: whole ms between Render starts.
  AfterRender(host, previousStart == 0 ? 0 : int32_t((before - previousStart) / 1000));
  previousStart = before;
  return rendered == 0;
}

// Quit with its journal lines, the second saying how long it took.
void CallQuit(const Host& host, winampVisModule* module) {
  EndSessionExtras(host);
  WriteJournal(NowMs(), "quit-called", {});
  int64_t before = NowMicros();
  module->Quit(module);
  WriteJournal(NowMs(), "quit", {Field("ms", (NowMicros() - before) / 1000)});
}

// The session thread; its parameter is the Host that StartSession was given.
DWORD WINAPI RunSession(LPVOID parameter) {
  Host& host = *static_cast<Host*>(parameter);
  winampVisModule* module = host.module;
  if (CallInit(host, module) != 0) return 0;
  bool going = true;
  for (int64_t until = NowMs() + 2000; going && !host.stageSet && NowMs() < until;)
    going = PumpUntil(NowMs() + 2, stopEvent);
  int64_t due = NowMs();
  while (going && PumpUntil(due, stopEvent) && CallRender(host, module)) due = NextFrameDue(host.scenario, due, module);
  CallQuit(host, module);
  return 0;
}

// The session counts as running during Init and Quit, as a session thread
// does, so the game window is found (and owns its boxes) meanwhile.
void StartMainSession(Host& host) {
  sessionThreadId = GetCurrentThreadId();
  mainSessionRunning = true;
  mainSessionRunning = CallInit(host, host.module) == 0;
  nextFrameMs = NowMs();
}

void StopMainSession(const Host& host) {
  CallQuit(host, host.module);
  mainSessionRunning = false;
  // The game window's end posts a quit message meant for the session just
  // ended; left queued, it would end the next session at once.
  MSG message;
  while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

}  // namespace

bool SessionRunning(const Host& host) {
  if (OnMainThread(host)) return mainSessionRunning;
  return sessionThread != nullptr && WaitForSingleObject(sessionThread, 0) == WAIT_TIMEOUT;
}

void StartSession(Host& host) {
  if (SessionRunning(host)) return;
  if (OnMainThread(host)) {
    StartMainSession(host);
    return;
  }
  if (sessionThread) CloseHandle(sessionThread);
  if (stopEvent == nullptr) stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ResetEvent(stopEvent);
  sessionThread = CreateThread(nullptr, 0, RunSession, &host, 0, &sessionThreadId);
}

void RunMainThreadSession(Host& host, int64_t untilMs) {
  while (mainSessionRunning) {
    if (!PumpUntil(std::min(untilMs, nextFrameMs), nullptr)) break;
    if (NowMs() >= nextFrameMs) {
      if (!CallRender(host, host.module)) break;
      nextFrameMs = NextFrameDue(host.scenario, nextFrameMs, host.module);
    }
    if (NowMs() >= untilMs) return;
  }
  if (mainSessionRunning) StopMainSession(host);
}

void WaitForSessionEnd(Host& host) {
  if (OnMainThread(host)) RunMainThreadSession(host, INT64_MAX);
  else if (sessionThread != nullptr) WaitPumping(sessionThread);
}

void StopSession(Host& host) {
  if (OnMainThread(host)) {
    if (mainSessionRunning) StopMainSession(host);
    return;
  }
  if (sessionThread == nullptr) return;
  SetEvent(stopEvent);
  while (!WaitPumping(sessionThread, 500)) CancelDialogsOfThread(sessionThreadId);
}

namespace {

struct GameWindowSearch {
  HWND mainWindow;  // the harness's, never the game's
  HWND found;
};

BOOL CALLBACK TakeGameWindow(HWND window, LPARAM search) {
  GameWindowSearch& wanted = *reinterpret_cast<GameWindowSearch*>(search);
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  // With host-thread main the harness's own main window is the thread's too.
  if (window == wanted.mainWindow || !IsWindowVisible(window) || lstrcmpA(className, "#32770") == 0)
    return TRUE;
  wanted.found = window;
  return FALSE;
}

}  // namespace

HWND FindGameWindow(const Host& host) {
  if (!SessionRunning(host)) return nullptr;
  GameWindowSearch search = {host.mainWindow, nullptr};
  EnumThreadWindows(sessionThreadId, TakeGameWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

DWORD SessionThreadId() { return sessionThreadId; }
