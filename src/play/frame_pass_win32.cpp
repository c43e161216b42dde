// frame_pass_win32.cpp -- Render: one frame of the game, composed and presented.
#include <windows.h>

#include "flame/flame_surfaces_win32.h"
#include "gfx/surfaces_win32.h"
#include "play/frame_pass.h"
#include "plugin/event_log.h"
#include "plugin/plugin_win32.h"

int32_t framePassRunning = 0;

namespace {

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

void Present() {
  HDC windowDC = GetDC(gameWindow);
  BitBlt(windowDC, 0, 0, kFieldWidth, kFieldHeight, backBuffer.memoryDC, 0, 0, SRCCOPY);
  ReleaseDC(gameWindow, windowDC);
}

int RunFramePass(winampVisModule* module) {
  MeasureFrameInterval();
  WriteLogLine("Start to render frame #%ld.", long(frameCounter));
  if (GetActiveWindow() == module->hwndParent) SetActiveWindow(gameWindow);
  PaintBackground();
  if (PlayFrame() != 0) return 1;
  DrawFlameOverlay();
  Present();
  ++frameCounter;
  WriteLogLine("Frame #%ld rendered.", long(frameCounter - 1));
  return 0;
}

}  // namespace

int __cdecl Render(winampVisModule* module) {
  // Without a game window (a Render after Quit) there is nothing to draw
  // on: GetDC would hand out the whole screen.
  if (gameWindow == nullptr) return 1;
  // A box or the configuration dialog opened from inside the pass runs a
  // modal loop that may paint the game window; that paint must not start a
  // second pass (see the paint routine).
  framePassRunning = 1;
  int result = RunFramePass(module);
  framePassRunning = 0;
  return result;
}
