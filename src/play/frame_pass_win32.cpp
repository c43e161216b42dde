// frame_pass_win32.cpp -- Render's frame: timed, composed and presented.
#include "play/frame_pass_win32.h"

#include "base/event_log.h"
#include "flame/flame_surfaces_win32.h"
#include "gfx/surfaces_win32.h"
#include "play/frame_pass.h"

int32_t framePassRunning = 0;

namespace {

LONGLONG counterFrequency;  // counts a second; 0 when there is no counter
LONGLONG lastCounterReading;

void MeasureFrameInterval() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  // No counter (a frequency of 0) leaves the interval as it was.
  if (frameCounter != 0 && counterFrequency != 0)
    frameInterval = int32_t(((now.QuadPart - lastCounterReading) * 1000) / counterFrequency);
  lastCounterReading = now.QuadPart;
}

void PaintBackground() {
  BOOL copied = BitBlt(backBuffer.memoryDC, 0, 0, kFieldWidth, kFieldHeight,
                       backgroundPicture.memoryDC, 0, 0, SRCCOPY);
  WriteLogLine(copied ? "Back ground bitmap render OK." : "Back ground bitmap render failed.");
}

void Present(HWND gameWindow) {
  HDC windowDC = GetDC(gameWindow);
  BitBlt(windowDC, 0, 0, kFieldWidth, kFieldHeight, backBuffer.memoryDC, 0, 0, SRCCOPY);
  ReleaseDC(gameWindow, windowDC);
}

int ComposeFrame(HWND gameWindow, HWND hostWindow) {
  MeasureFrameInterval();
  WriteLogLine("Start to render frame #%ld.", long(frameCounter));
  if (GetActiveWindow() == hostWindow) SetActiveWindow(gameWindow);
  PaintBackground();
  if (PlayFrame() != 0) return 1;
  DrawFlameOverlay();
  Present(gameWindow);
  ++frameCounter;
  WriteLogLine("Frame #%ld rendered.", long(frameCounter - 1));
  return 0;
}

}  // namespace

void StartFrameClock() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  counterFrequency = frequency.QuadPart;
}

int RunFramePass(HWND gameWindow, HWND hostWindow) {
  // A box or the configuration dialog opened from inside the pass runs a
  // modal loop that may paint the game window; that paint must not start a
  // second pass (see the paint routine).
  framePassRunning = 1;
  int result = ComposeFrame(gameWindow, hostWindow);
  framePassRunning = 0;
  return result;
}
