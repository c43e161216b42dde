// platform_win32.cpp -- host requests and error boxes for the portable code.
#include <windows.h>

#include "plugin/platform.h"
#include "plugin/plugin_win32.h"

namespace {

LRESULT SendHostRequest(int32_t request, WPARAM wParam) {
  winampVisModule* module = ModuleOfGameWindow();
  if (module == nullptr) return 0;
  return SendMessageA(module->hwndParent, WM_USER, wParam, LPARAM(request));
}

}  // namespace

int32_t Platform_AskHost(int32_t request) {
  return int32_t(SendHostRequest(request, 0));
}

const char* Platform_AskHostFileName(int32_t entry) {
  return reinterpret_cast<const char*>(SendHostRequest(kHostEntryFileName, WPARAM(entry)));
}

void Platform_ShowError(const char* text) {
  MessageBoxA(gameWindow, text, "Error", MB_OK | MB_ICONERROR);
}
