// flame_thread_win32.cpp -- starting, running and stopping the flame thread.
#include "flame/flame_thread_win32.h"

#include "flame/flame_shared.h"
#include "flame/flame_simulation.h"
#include "flame/flame_tick.h"
#include "host/host_request_win32.h"

namespace {

constexpr DWORD kTickMs = 20;
int32_t AskHost(void* host, int32_t request) {
  return int32_t(SendHostRequest(static_cast<HWND>(host), HostRequest(request)));
}

DWORD WINAPI RunFlameThread(LPVOID parameter) {
  const FlameThread& thread = *static_cast<const FlameThread*>(parameter);
  ResetFlameRandom(*thread.work.fire);  // every flame thread draws the same sequence
  int32_t tickCounter = 0;
  while (thread.work.shared->stop.load(std::memory_order_relaxed) == 0) {
    FlameTick(thread.work, tickCounter, AskHost, thread.hostWindow);
    Sleep(kTickMs);
  }
  return 1;
}

}  // namespace

void StartFlameThread(FlameThread& thread, const FlameWork& work, HWND hostWindow) {
  thread.work = work;
  thread.hostWindow = hostWindow;
  work.shared->stop.store(0, std::memory_order_relaxed);
  thread.handle = CreateThread(nullptr, 0, RunFlameThread, &thread, 0, nullptr);
}

void StopFlameThread(FlameThread& thread) {
  if (thread.work.shared != nullptr) thread.work.shared->stop.store(1, std::memory_order_relaxed);
  HANDLE& flameThread = thread.handle;
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
