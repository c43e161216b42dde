// frame_costs_win32.cpp -- what each of a frame's Windows calls costs on this system.
//
// Repeats the calls one Render makes at full load, with surfaces of the same
// sizes and formats as the game's (a back buffer and sheets compatible with
// the screen, the two 8-bit flame sections, a 288 x 310 window), a frame
// every 10 ms so the caches are as cold as between real frames, and prints
// the median of each step in µs. Then one request to a window of another
// thread, as a visualisation thread asks the player: the receiver waiting in
// its message loop, and the receiver polling for messages.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 288, kHeight = 310, kCell = 32, kFrames = 500;

LARGE_INTEGER frequency;

double NowMicros() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return double(now.QuadPart) * 1e6 / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

HDC CompatibleSurface(HDC screen, int width, int height) {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, CreateCompatibleBitmap(screen, width, height));
  PatBlt(dc, 0, 0, width, height, WHITENESS);
  return dc;
}

HDC FlameSurface() {
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info = {};
  info.header = {sizeof(BITMAPINFOHEADER), kWidth - 1, kHeight, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
  for (int i = 0; i < 256; ++i) info.colours[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                    nullptr, 0));
  return dc;
}

struct Step {
  const char* name;
  std::vector<double> micros;
};

LRESULT CALLBACK AnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return message == WM_USER ? 0 : DefWindowProcA(window, message, wParam, lParam);
}

HWND answerWindow;
volatile bool receiverPolls;
volatile bool asking = true;

DWORD WINAPI AskAcrossThreads(LPVOID result) {
  auto* medians = static_cast<double*>(result);
  for (int round = 0; round < 2; ++round) {
    receiverPolls = round == 1;
    Sleep(100);
    std::vector<double> micros;
    for (int i = 0; i < kFrames; ++i) {
      double before = NowMicros();
      SendMessageA(answerWindow, WM_USER, 0, 105);
      micros.push_back(NowMicros() - before);
      Sleep(10);
    }
    medians[round] = Median(micros);
  }
  asking = false;
  PostMessageA(answerWindow, WM_NULL, 0, 0);
  return 0;
}

}  // namespace

int main() {
  QueryPerformanceFrequency(&frequency);
  HDC screen = GetDC(nullptr);
  HDC backBuffer = CompatibleSurface(screen, kWidth, kHeight);
  HDC background = CompatibleSurface(screen, kWidth, kHeight);
  HDC arrows = CompatibleSurface(screen, 128, 384);
  HDC targets = CompatibleSurface(screen, 128, 64);
  HDC masks = CompatibleSurface(screen, 128, 32);
  HDC flameImage = FlameSurface();
  HDC flameMask = FlameSurface();
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = AnswerProc;
  windowClass.lpszClassName = "StomparaFrameCosts";
  RegisterClassA(&windowClass);
  HWND game = CreateWindowExA(0, windowClass.lpszClassName, "frame costs", WS_POPUP | WS_VISIBLE, 0, 0,
                              kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
  answerWindow = CreateWindowExA(0, windowClass.lpszClassName, "player", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                 100, nullptr, nullptr, nullptr, nullptr);

  Step steps[] = {{"GetActiveWindow", {}},
                  {"background copy, 288 x 310", {}},
                  {"4 targets and 76 arrows, 2 blits each", {}},
                  {"flame mask and image, 288 x 125 from 8 bits", {}},
                  {"present: GetDC, copy 288 x 310, ReleaseDC", {}}};
  for (int frame = 0; frame < kFrames; ++frame) {
    Sleep(10);
    double marks[6];
    marks[0] = NowMicros();
    GetActiveWindow();
    marks[1] = NowMicros();
    BitBlt(backBuffer, 0, 0, kWidth, kHeight, background, 0, 0, SRCCOPY);
    marks[2] = NowMicros();
    for (int sprite = 0; sprite < 80; ++sprite) {
      int lane = sprite % 4, x = 60 + 45 * lane, y = sprite < 4 ? 16 : 310 - 15 * (sprite / 4);
      BitBlt(backBuffer, x, y, kCell, kCell, masks, kCell * lane, 0, SRCAND);
      BitBlt(backBuffer, x, y, kCell, kCell, sprite < 4 ? targets : arrows, kCell * lane,
             kCell * (frame / 5 % 12), SRCPAINT);
    }
    marks[3] = NowMicros();
    BitBlt(backBuffer, 0, 185, kWidth, 125, flameMask, 0, 185, SRCAND);
    BitBlt(backBuffer, 0, 185, kWidth, 125, flameImage, 0, 185, SRCPAINT);
    marks[4] = NowMicros();
    HDC windowDC = GetDC(game);
    BitBlt(windowDC, 0, 0, kWidth, kHeight, backBuffer, 0, 0, SRCCOPY);
    ReleaseDC(game, windowDC);
    marks[5] = NowMicros();
    for (int i = 0; i < 5; ++i) steps[i].micros.push_back(marks[i + 1] - marks[i]);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  std::printf("One frame's Windows calls, median of %d frames 10 ms apart:\n", kFrames);
  for (const Step& step : steps) std::printf("  %-48s %7.1f us\n", step.name, Median(step.micros));

  std::vector<double> sameThread;
  for (int i = 0; i < kFrames; ++i) {
    double before = NowMicros();
    SendMessageA(answerWindow, WM_USER, 0, 105);
    sameThread.push_back(NowMicros() - before);
  }
  double acrossThreads[2] = {};
  HANDLE asker = CreateThread(nullptr, 0, AskAcrossThreads, acrossThreads, 0, nullptr);
  MSG message;
  while (asking) {
    if (!receiverPolls) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  WaitForSingleObject(asker, INFINITE);
  std::printf("One request to the player's window:\n");
  std::printf("  %-48s %7.1f us\n", "from its own thread", Median(sameThread));
  std::printf("  %-48s %7.1f us\n", "from another thread, the player waiting", acrossThreads[0]);
  std::printf("  %-48s %7.1f us\n", "from another thread, the player polling", acrossThreads[1]);
  return 0;
}
