// game_window_win32.cpp -- the game window: class, creation, procedure and painting.
#include "plugin/game_window_win32.h"

#include <utility>

#include "gfx/draw.h"
#include "gfx/surfaces_win32.h"
#include "host/host_request_win32.h"
#include "log/event_log.h"
#include "play/frame_pass_win32.h"
#include "play/game.h"
#include "play/key_input.h"
#include "plugin/plugin_win32.h"
#include "settings/settings.h"

namespace {

constexpr char kClassName[] = "WinampStompara";

// The window's extra bytes hold its plug-in, from its first message on.
constexpr int kPluginSlot = 0;

Plugin* PluginOfWindow(HWND window) {
  return reinterpret_cast<Plugin*>(GetWindowLongPtrA(window, kPluginSlot));
}

void CopyBackBuffer(const Plugin& plugin, HDC target, int width, int height) {
  BitBlt(target, 0, 0, width, height, plugin.canvas.backBuffer.memoryDC, 0, 0, SRCCOPY);
}

void Paint(HWND window) {
  winampVisModule* module =
      reinterpret_cast<winampVisModule*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  Plugin* plugin = PluginOfWindow(window);
  if (module == nullptr || plugin == nullptr) {  // a paint before Init stored the record
    EndPaint(window, &paint);
    return;
  }
  bool playing = SendHostRequest(module->hwndParent, kHostIsPlaying) == 1;
  int result = 0;
  // Inside a pass (a chart's error box or the configuration it opened) a
  // nested pass would find no chart, end the game and close the box before
  // the user has read it.
  if (plugin->frameClock.framePassRunning != 0 || (!playing && plugin->firstPaint != 0)) {
    CopyBackBuffer(*plugin, dc, kFieldWidth, kFieldHeight);
  } else {
    plugin->firstPaint = 0;
    WriteLogLine("Next render is called by painter.");
    result = Render(module);
    if (result == 0) {
      RECT client;
      GetClientRect(window, &client);
      CopyBackBuffer(*plugin, dc, client.right - client.left, client.bottom - client.top);
    }
  }
  EndPaint(window, &paint);
  if (result != 0) PostQuitMessage(0);
}

// Every record carries the window's real position, also one flagged as no
// move (a window placed by the system comes to know its place that way).
void TakeNewPosition(HWND window, const WINDOWPOS* position) {
  Plugin* plugin = PluginOfWindow(window);
  if (plugin == nullptr) return;
  plugin->settings.screenX = position->x;
  plugin->settings.screenY = position->y;
}

void TakeKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Plugin* plugin = PluginOfWindow(window);
  if (plugin != nullptr)
    OnGameKey(plugin->game, message, uintptr_t(wParam), intptr_t(lParam), MsSinceFrame(plugin->frameClock));
}

LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrA(window, kPluginSlot,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CREATE:
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_ERASEBKGND:
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_WINDOWPOSCHANGED:
      TakeNewPosition(window, reinterpret_cast<const WINDOWPOS*>(lParam));
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      TakeKey(window, message, wParam, lParam);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// Resizes the window so that its client area is exactly 288 x 310,
// whatever caption height and border widths the system uses.
void FitClientArea(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  int width = client.right - client.left;
  int height = client.bottom - client.top;
  SetWindowPos(window, nullptr, 0, 0, 2 * kFieldWidth - width, 2 * kFieldHeight - height,
               SWP_NOMOVE | SWP_NOZORDER);
}

BOOL CALLBACK FindWorkAreaTouched(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto* search = reinterpret_cast<std::pair<RECT, bool>*>(data);
  MONITORINFO info = {sizeof info};
  RECT common;
  if (GetMonitorInfoA(monitor, &info) && IntersectRect(&common, &info.rcWork, &search->first)) {
    search->second = true;
    return FALSE;
  }
  return TRUE;
}

// Where the window opens: the saved place, unless a window there would touch
// no monitor's work area (a monitor since unplugged, a hand-edited file).
// A tool window has no taskbar button, so it would then be out of reach for
// good: it opens in the middle of the work area of the player's monitor.
POINT OpenPlace(const Settings& settings, HWND owner, DWORD style, DWORD exStyle) {
  const int32_t savedX = settings.screenX, savedY = settings.screenY;
  RECT outer = {0, 0, kFieldWidth, kFieldHeight};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  int width = outer.right - outer.left, height = outer.bottom - outer.top;
  std::pair<RECT, bool> search = {{savedX, savedY, 0, 0}, false};
  search.first.right = LONG(int64_t(savedX) + width > INT32_MAX ? INT32_MAX : savedX + width);
  search.first.bottom = LONG(int64_t(savedY) + height > INT32_MAX ? INT32_MAX : savedY + height);
  EnumDisplayMonitors(nullptr, nullptr, FindWorkAreaTouched, reinterpret_cast<LPARAM>(&search));
  if (search.second) return {savedX, savedY};
  MONITORINFO info = {sizeof info};
  GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &info);
  POINT place = {(info.rcWork.left + info.rcWork.right - width) / 2,
                 (info.rcWork.top + info.rcWork.bottom - height) / 2};
  WriteLogLine("Saved place (%ld, %ld) is off every screen: window opened at (%ld, %ld).",
               long(savedX), long(savedY), long(place.x), long(place.y));
  return place;
}

}  // namespace

winampVisModule* ModuleOfGameWindow(const Platform& platform) {
  if (platform.window == nullptr) return nullptr;
  return reinterpret_cast<winampVisModule*>(GetWindowLongPtrA(platform.window, GWLP_USERDATA));
}

int CreateGameWindow(Plugin& plugin, winampVisModule* module) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = GameWindowProc;
  windowClass.cbWndExtra = sizeof(Plugin*);
  windowClass.hInstance = module->hDllInstance;
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassA(&windowClass)) {
    MessageBoxA(module->hwndParent, "Error registering window class", "blah", MB_OK);
    return 0;
  }
  constexpr DWORD kStyle = WS_VISIBLE | WS_SYSMENU, kExStyle = WS_EX_TOOLWINDOW;
  POINT place = OpenPlace(plugin.settings, module->hwndParent, kStyle, kExStyle);
  HWND& gameWindow = plugin.platform.window;
  gameWindow = CreateWindowExA(kExStyle, kClassName, module->description, kStyle, place.x, place.y,
                               kFieldWidth, kFieldHeight, module->hwndParent, nullptr,
                               module->hDllInstance, &plugin);
  if (gameWindow == nullptr) {
    MessageBoxA(module->hwndParent, "Error creating window", "blah", MB_OK);
    WriteLogLine("Main frame created failed.");
    // Left registered, the class would fail every later Init in this process.
    UnregisterClassA(kClassName, module->hDllInstance);
    return 0;
  }
  WriteLogLine("Main frame created succeeded.");
  SetWindowLongPtrA(gameWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(module));
  FitClientArea(gameWindow);
  return 1;
}

void DestroyGameWindow(Plugin& plugin, const winampVisModule* module) {
  HWND& gameWindow = plugin.platform.window;
  if (gameWindow != nullptr && IsWindow(gameWindow)) DestroyWindow(gameWindow);
  gameWindow = nullptr;
  UnregisterClassA(kClassName, module->hDllInstance);
}
