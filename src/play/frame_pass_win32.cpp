// frame_pass_win32.cpp -- Render's frame: timed, composed and presented.
#include "play/frame_pass_win32.h"

#include "log/event_log.h"
#include "play/frame_pass.h"
#include "play/game.h"

namespace {

void MeasureFrameInterval(FrameCounters& frame, FrameClock& clock) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  // No counter (a frequency of 0) leaves the interval as it was.
  if (frame.frameCounter != 0 && clock.counterFrequency != 0)
    frame.frameInterval =
        int32_t(((now.QuadPart - clock.lastCounterReading) * 1000) / clock.counterFrequency);
  clock.lastCounterReading = now.QuadPart;
}

}  // namespace

int32_t MsSinceFrame(const FrameClock& clock) {
  if (clock.counterFrequency == 0 || clock.lastCounterReading == 0) return 0;
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  LONGLONG ms = (now.QuadPart - clock.lastCounterReading) * 1000 / clock.counterFrequency;
  return ms < 0 ? 0 : ms > 1000 ? 1000 : int32_t(ms);
}

namespace {

void PaintBackground(Canvas& canvas) {
  BOOL copied = BitBlt(canvas.backBuffer.memoryDC, 0, 0, kFieldWidth, kFieldHeight,
                       canvas.backgroundPicture.memoryDC, 0, 0, SRCCOPY);
  WriteLogLine(copied ? "Back ground bitmap render OK." : "Back ground bitmap render failed.");
}

void Present(const Canvas& canvas, HWND gameWindow) {
  HDC windowDC = GetDC(gameWindow);
  BitBlt(windowDC, 0, 0, kFieldWidth, kFieldHeight, canvas.backBuffer.memoryDC, 0, 0, SRCCOPY);
  ReleaseDC(gameWindow, windowDC);
}

int ComposeFrame(Game& game, FrameClock& clock, const FrameTargets& targets) {
  FrameCounters& frame = game.frame;
  MeasureFrameInterval(frame, clock);
  WriteLogLine("Start to render frame #%ld.", long(frame.frameCounter));
  if (GetActiveWindow() == targets.hostWindow) SetActiveWindow(targets.gameWindow);
  PaintBackground(*targets.canvas);
  if (PlayFrame(game) != 0) return 1;
  DrawFlameOverlay(*targets.flame, game.flameBuffers, game.settings->showFlame, *targets.canvas);
  Present(*targets.canvas, targets.gameWindow);
  ++frame.frameCounter;
  WriteLogLine("Frame #%ld rendered.", long(frame.frameCounter - 1));
  return 0;
}

}  // namespace

void StartFrameClock(FrameClock& clock) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  clock.counterFrequency = frequency.QuadPart;
}

int RunFramePass(Game& game, FrameClock& clock, const FrameTargets& targets) {
  // A box or the configuration dialog opened from inside the pass runs a
  // modal loop that may paint the game window; that paint must not start a
  // second pass (see the paint routine).
  clock.framePassRunning = 1;
  int result = ComposeFrame(game, clock, targets);
  clock.framePassRunning = 0;
  return result;
}
