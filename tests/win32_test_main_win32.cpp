// win32_test_main_win32.cpp -- main of the Windows unit tests: closes message boxes.
#include <gtest/gtest.h>

#include <cstdio>

#include "win32_support.h"

Platform testPlatform;
Canvas testCanvas;
Settings testSettings;
Game testGame;

namespace {

bool WireTestGame() {
  WireGame(testGame, testPlatform, testCanvas, testSettings);
  return true;
}
const bool testGameWired = WireTestGame();

std::vector<SeenMessageBox> seenBoxes;
HHOOK cbtHook;

bool ShowsErrorIcon(HWND box) {
  HWND iconControl = GetDlgItem(box, 0x440);  // the message box's icon control
  if (iconControl == nullptr) return false;
  HICON shown = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
  return shown != nullptr && shown == LoadIconA(nullptr, IDI_ERROR);
}

// Every dialog that activates on the test thread is a message box here:
// note what it says and close it with OK.
LRESULT CALLBACK CloseMessageBoxes(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND box = reinterpret_cast<HWND>(wParam);
    char className[32] = {};
    GetClassNameA(box, className, sizeof className);
    if (lstrcmpA(className, "#32770") == 0) {
      char text[1024] = {}, caption[256] = {};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      GetWindowTextA(box, caption, sizeof caption);
      seenBoxes.push_back({text, caption, GetWindow(box, GW_OWNER), ShowsErrorIcon(box)});
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
  }
  return CallNextHookEx(cbtHook, code, wParam, lParam);
}

}  // namespace

const std::vector<SeenMessageBox>& SeenMessageBoxes() { return seenBoxes; }
void ClearSeenMessageBoxes() { seenBoxes.clear(); }

HMODULE PluginModule() {
  static HMODULE module = LoadLibraryA("vis_stompara.dll");
  return module;
}

int main(int argc, char** argv) {
  cbtHook = SetWindowsHookExA(WH_CBT, CloseMessageBoxes, nullptr, GetCurrentThreadId());
  testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  UnhookWindowsHookEx(cbtHook);
  // A decode Media Foundation gave up on may leave its thread inside Wine's
  // GStreamer for good; unloading the system's DLLs under it at exit then
  // crashes. The results are in: the process ends without that.
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), UINT(result));
  return result;
}
