// stream_plugin_win32.cpp -- a plug-in that asks for the sound and writes down what the harness hands it.
//
// Each Render appends a line to stream_plugin.txt beside the DLL: the
// position (request 105), the first waveform sample of row 0 that is not
// silence (-1 for none), the loudest spectrum bin of row 1 (-1 when all are
// 0), sRate, nCh, the arrow keys its window has had pressed so far and
// entry 0's title (request 212). Like the game, it writes an event log
// (StreamLog.txt beside the DLL, made again at Init) with a live arrow's
// line at a few Renders, and keeps a window for the keys.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "host/vis_header_win32.h"

namespace {

FILE* record;
HANDLE eventLog = INVALID_HANDLE_VALUE;
HWND window;
int keysPressed;
int renders;


void PathBeside(const winampVisModule* module, const char* name, char (&path)[MAX_PATH]) {
  path[0] = '\0';
  GetModuleFileNameA(module->hDllInstance, path, MAX_PATH);
  char* slash = std::strrchr(path, '\\');
  if (slash == nullptr) return;
  size_t room = size_t(path + MAX_PATH - (slash + 1));
  if (std::snprintf(slash + 1, room, "%s", name) >= int(room)) path[0] = '\0';
}

LRESULT CALLBACK StreamWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam >= VK_LEFT && wParam <= VK_DOWN) ++keysPressed;
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A live arrow at the 10th Render ("1": left and down) and the 20th ("6": right).
void WriteLiveArrow(int position) {
  if (renders != 10 && renders != 20) return;
  char text[100];
  int length = std::snprintf(text, sizeof text, "Live arrow %c at %d ms for 2900 ms.\r\n", renders == 10 ? '1' : '6',
                             position);
  DWORD written = 0;
  WriteFile(eventLog, text, DWORD(length), &written, nullptr);
}

int FirstSound(const unsigned char* row) {
  for (int i = 0; i < 576; ++i)
    if (row[i] != 0) return i;
  return -1;
}

int LoudestBin(const unsigned char* row) {
  int loudest = -1;
  for (int i = 0, level = 0; i < 576; ++i)
    if (row[i] > level) level = row[loudest = i];
  return loudest;
}

int __cdecl StreamInit(winampVisModule* module) {
  char path[MAX_PATH];
  PathBeside(module, "stream_plugin.txt", path);
  record = path[0] ? std::fopen(path, "w") : nullptr;
  PathBeside(module, "StreamLog.txt", path);
  eventLog = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = StreamWindowProc;
  windowClass.hInstance = module->hDllInstance;
  windowClass.lpszClassName = "StreamPluginWindow";
  RegisterClassA(&windowClass);
  window = CreateWindowExA(0, "StreamPluginWindow", "stream", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                           module->hwndParent, nullptr, module->hDllInstance, nullptr);
  keysPressed = renders = 0;
  return record && eventLog != INVALID_HANDLE_VALUE && window ? 0 : 1;
}

int __cdecl StreamRender(winampVisModule* module) {
  LRESULT position = SendMessageA(module->hwndParent, WM_USER, 0, 105);
  auto* title = reinterpret_cast<const char*>(SendMessageA(module->hwndParent, WM_USER, 0, 212));
  std::fprintf(record, "%d %d %d %d %d %d %s\n", int(position), FirstSound(module->waveformData[0]),
               LoudestBin(module->spectrumData[1]), module->sRate, module->nCh, keysPressed,
               title ? title : "(null)");
  std::fflush(record);
  ++renders;
  WriteLiveArrow(int(position));
  return 0;
}

void __cdecl StreamQuit(winampVisModule*) {
  if (record) std::fclose(record);
  record = nullptr;
  if (eventLog != INVALID_HANDLE_VALUE) CloseHandle(eventLog);
  eventLog = INVALID_HANDLE_VALUE;
  if (window) DestroyWindow(window);
  window = nullptr;
}

void __cdecl StreamConfig(winampVisModule*) {}

char moduleName[] = "writes down the sound";
char headerName[] = "stream sound";

// Both channels of both the spectrum and the waveform asked for, at 20 ms frames.
winampVisModule streamModule = {moduleName, nullptr, nullptr, 0, 0, 0, 20, 2, 2, {}, {},
                                StreamConfig, StreamInit, StreamRender, StreamQuit, nullptr};

winampVisModule* __cdecl StreamModule(int index) { return index == 0 ? &streamModule : nullptr; }

winampVisHeader streamHeader = {kVisHeaderVersion, headerName, StreamModule};

}  // namespace

extern "C" __declspec(dllexport) winampVisHeader* winampVisGetHeader(void) { return &streamHeader; }
