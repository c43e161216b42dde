// vis_session_win32.cpp -- the visualisation thread: Init, Render every frame, Quit.
#include "host_win32.h"
#include "journal.h"

namespace {

HANDLE sessionThread;
DWORD sessionThreadId;
HANDLE stopEvent;

// Pumps messages until the next frame is due or the session must end.
// Returns false when the session ends (stop asked for, or a quit message).
bool PumpUntil(int64_t dueMs) {
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
    DWORD woke = MsgWaitForMultipleObjects(1, &stopEvent, FALSE, DWORD(wait), QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) return false;
  }
}

// Time between Render calls: the scenario's frame-ms when it gives one,
// else the module's delayMs, read each frame since the plug-in may change it.
// The scenario is written before the first session starts and never after.
int64_t FrameIntervalMs(const winampVisModule* module) {
  int64_t interval = host.scenario.frameMs > 0 ? host.scenario.frameMs : module->delayMs;
  return interval > 0 ? interval : 1;
}

DWORD WINAPI RunSession(LPVOID) {
  winampVisModule* module = host.module;
  module->hwndParent = host.mainWindow;
  module->hDllInstance = host.plugin;
  int result = module->Init(module);
  host.lastInitResult = result;
  WriteJournal(NowMs(), "init", {Field("result", int64_t(result))});
  if (result != 0) return 0;
  int64_t due = NowMs();
  while (PumpUntil(due)) {
    int64_t before = NowMicros();
    int rendered = module->Render(module);
    int64_t micros = NowMicros() - before;
    WriteJournal(NowMs(), "render", {Field("result", int64_t(rendered)), Field("us", micros)});
    if (rendered != 0) break;
    due += FrameIntervalMs(module);
    if (due < NowMs()) due = NowMs();
  }
  WriteJournal(NowMs(), "quit-called", {});
  module->Quit(module);
  WriteJournal(NowMs(), "quit", {});
  return 0;
}

}  // namespace

bool SessionRunning() {
  return sessionThread != nullptr && WaitForSingleObject(sessionThread, 0) == WAIT_TIMEOUT;
}

void StartSession() {
  if (SessionRunning()) return;
  if (sessionThread) CloseHandle(sessionThread);
  if (stopEvent == nullptr) stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ResetEvent(stopEvent);
  sessionThread = CreateThread(nullptr, 0, RunSession, nullptr, 0, &sessionThreadId);
}

void WaitForSessionEnd() {
  if (sessionThread != nullptr) WaitPumping(sessionThread);
}

void StopSession() {
  if (sessionThread == nullptr) return;
  SetEvent(stopEvent);
  WaitPumping(sessionThread);
}

namespace {

BOOL CALLBACK TakeGameWindow(HWND window, LPARAM found) {
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (!IsWindowVisible(window) || lstrcmpA(className, "#32770") == 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

HWND FindGameWindow() {
  if (!SessionRunning()) return nullptr;
  HWND found = nullptr;
  EnumThreadWindows(sessionThreadId, TakeGameWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

DWORD SessionThreadId() { return sessionThreadId; }
