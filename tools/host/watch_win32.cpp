// watch_win32.cpp -- what the harness sees of the plug-in: message boxes, the window, captures.
#include <map>
#include <string>
#include <vector>

#include "host_win32.h"
#include "journal.h"

namespace {

std::map<HWND, int64_t> boxesSeen;  // box -> when it was first seen, ms

const char* OwnerName(HWND owner) {
  if (owner == nullptr) return "none";
  if (owner == host.mainWindow) return "host";
  if (owner == FindGameWindow()) return "game";
  return "other";
}

const char* IconName(HWND box) {
  HWND iconControl = GetDlgItem(box, 0x440);  // the message box's icon control
  if (iconControl == nullptr) return "none";
  HICON shown = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
  if (shown == nullptr) return "none";
  if (shown == LoadIconA(nullptr, IDI_ERROR)) return "error";
  if (shown == LoadIconA(nullptr, IDI_WARNING)) return "warning";
  if (shown == LoadIconA(nullptr, IDI_INFORMATION)) return "information";
  return "other";
}

BOOL CALLBACK CollectDialogs(HWND window, LPARAM found) {
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  // A message box is a dialog with the text control 0xFFFF.
  if (lstrcmpA(className, "#32770") == 0 && GetDlgItem(window, 0xFFFF) != nullptr)
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

// Records a box when first seen and answers OK once it has been open for
// the scenario's box-ms.
void RecordAndDismiss(HWND box) {
  auto seen = boxesSeen.find(box);
  if (seen != boxesSeen.end()) {
    if (NowMs() - seen->second >= host.scenario.boxMs) PostMessageA(box, WM_COMMAND, IDOK, 0);
    return;
  }
  boxesSeen[box] = NowMs();
  char text[2048] = {}, caption[256] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  GetWindowTextA(box, caption, sizeof caption);
  bool hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
  WriteJournal(NowMs(), "message-box",
               {Field("text", text), Field("caption", caption),
                Field("owner", OwnerName(GetWindow(box, GW_OWNER))), Field("icon", IconName(box)),
                Field("buttons", hasCancel ? "more" : "ok")});
  if (host.scenario.boxMs == 0) PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace

void CloseMessageBoxes() {
  std::vector<HWND> boxes;
  EnumThreadWindows(GetCurrentThreadId(), CollectDialogs, reinterpret_cast<LPARAM>(&boxes));
  if (SessionThreadId() != 0 && SessionThreadId() != GetCurrentThreadId())
    EnumThreadWindows(SessionThreadId(), CollectDialogs, reinterpret_cast<LPARAM>(&boxes));
  for (HWND box : boxes) RecordAndDismiss(box);
  for (auto seen = boxesSeen.begin(); seen != boxesSeen.end();)
    seen = IsWindow(seen->first) ? std::next(seen) : boxesSeen.erase(seen);
}

void ProbeGameWindow() {
  HWND game = FindGameWindow();
  if (game == nullptr) {
    WriteJournal(NowMs(), "window", {Field("exists", int64_t(0))});
    return;
  }
  RECT outer, client;
  GetWindowRect(game, &outer);
  GetClientRect(game, &client);
  char title[256] = {}, className[64] = {};
  GetWindowTextA(game, title, sizeof title);
  GetClassNameA(game, className, sizeof className);
  WriteJournal(NowMs(), "window",
               {Field("exists", int64_t(1)), Field("x", int64_t(outer.left)),
                Field("y", int64_t(outer.top)), Field("width", int64_t(outer.right - outer.left)),
                Field("height", int64_t(outer.bottom - outer.top)),
                Field("clientWidth", int64_t(client.right)), Field("clientHeight", int64_t(client.bottom)),
                Field("style", int64_t(GetWindowLongA(game, GWL_STYLE) & 0xFFFFFFFFll)),
                Field("exStyle", int64_t(GetWindowLongA(game, GWL_EXSTYLE) & 0xFFFFFFFFll)),
                Field("owner", OwnerName(GetWindow(game, GW_OWNER))), Field("title", title),
                Field("class", className)});
}

void CaptureGameWindow(const char* path) {
  HWND game = FindGameWindow();
  RECT client = {};
  if (game) GetClientRect(game, &client);
  int width = client.right, height = client.bottom;
  if (game == nullptr || width <= 0 || height <= 0) {
    WriteJournal(NowMs(), "capture", {Field("file", path), Field("ok", int64_t(0))});
    return;
  }
  BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB};
  void* bits = nullptr;
  HDC windowDC = GetDC(game);
  HDC memoryDC = CreateCompatibleDC(windowDC);
  HBITMAP bitmap = CreateDIBSection(windowDC, reinterpret_cast<BITMAPINFO*>(&info),
                                    DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ displaced = SelectObject(memoryDC, bitmap);
  BitBlt(memoryDC, 0, 0, width, height, windowDC, 0, 0, SRCCOPY);
  GdiFlush();
  DWORD rowBytes = DWORD((width * 3 + 3) & ~3);
  BITMAPFILEHEADER file = {0x4D42, DWORD(sizeof file + sizeof info + rowBytes * height), 0, 0,
                           DWORD(sizeof file + sizeof info)};
  info.biSizeImage = rowBytes * DWORD(height);
  bool saved = false;
  if (FILE* out = std::fopen(path, "wb")) {
    saved = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
            std::fwrite(bits, info.biSizeImage, 1, out) == 1;
    saved = std::fclose(out) == 0 && saved;
  }
  SelectObject(memoryDC, displaced);
  DeleteObject(bitmap);
  DeleteDC(memoryDC);
  ReleaseDC(game, windowDC);
  WriteJournal(NowMs(), "capture", {Field("file", path), Field("ok", int64_t(saved)),
                                    Field("width", int64_t(width)), Field("height", int64_t(height))});
}
