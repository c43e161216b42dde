// flame_thread_win32.cpp -- starting, running and stopping the flame thread.
#include "flame/flame_thread_win32.h"

#include "base/host_request_win32.h"
#include "flame/flame_shared.h"
#include "flame/flame_simulation.h"
#include "flame/flame_tick.h"

namespace {

constexpr DWORD kTickMs = 20;
HANDLE flameThread;

int32_t AskHost(void* host, int32_t request) {
  return int32_t(SendHostRequest(static_cast<HWND>(host), HostRequest(request)));
}

DWORD WINAPI RunFlameThread(LPVOID hostWindow) {
  ResetFlameRandom();  // every flame thread draws the same sequence
  int32_t tickCounter = 0;
  while (flameStop.load(std::memory_order_relaxed) == 0) {
    FlameTick(tickCounter, AskHost, hostWindow);
    Sleep(kTickMs);
  }
  return 1;
}

}  // namespace

void StartFlameThread(HWND hostWindow) {
  flameStop.store(0, std::memory_order_relaxed);
  flameThread = CreateThread(nullptr, 0, RunFlameThread, hostWindow, 0, nullptr);
}

void StopFlameThread() {
  flameStop.store(1, std::memory_order_relaxed);
  if (flameThread == nullptr) return;
  for (;;) {
    DWORD woke = MsgWaitForMultipleObjects(1, &flameThread, FALSE, INFINITE, QS_SENDMESSAGE);
    if (woke != WAIT_OBJECT_0 + 1) break;  // ended (or the handle is unusable)
    MSG message;  // a PeekMessage call delivers the messages sent to this thread
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  CloseHandle(flameThread);
  flameThread = nullptr;
}
