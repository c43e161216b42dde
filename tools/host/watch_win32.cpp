// watch_win32.cpp -- what the harness sees of the plug-in: message boxes, the window, captures.
#include "watch_win32.h"  // windows.h, before psapi.h

#include <psapi.h>

#include <cstdio>
#include <map>
#include <vector>

#include "dialog_win32.h"
#include "faults_win32.h"
#include "host_win32.h"
#include "journal.h"
#include "vis_session_win32.h"

namespace {

std::map<HWND, int64_t> boxesSeen;  // box -> when it was first seen, ms

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

// Clears `*plain` (a bool) at a control no message box has: anything but
// its text (0xFFFF), its icon (0x440) and the buttons IDOK to IDCONTINUE.
// A dialog's unnamed texts may be 0xFFFF too (-1 in a DIALOG template),
// so the text alone does not make a message box: the configuration
// dialog has buttons of its own, the folder browser its tree view.
BOOL CALLBACK CheckMessageBoxControl(HWND control, LPARAM plain) {
  int id = GetDlgCtrlID(control);
  if (id != 0xFFFF && id != 0x440 && (id < IDOK || id > IDCONTINUE)) {
    *reinterpret_cast<bool*>(plain) = false;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectDialogs(HWND window, LPARAM found) {
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  if (lstrcmpA(className, "#32770") == 0 && IsMessageBox(window))
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

// Records a box when first seen and answers OK once it has been open for
// the scenario's box-ms.
void RecordAndDismiss(const Host& host, HWND box) {
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
                Field("owner", OwnerName(host, GetWindow(box, GW_OWNER))), Field("icon", IconName(box)),
                Field("buttons", hasCancel ? "more" : "ok")});
  if (host.scenario.boxMs == 0) PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace

const char* OwnerName(const Host& host, HWND owner) {
  if (owner == nullptr) return "none";
  if (owner == host.mainWindow) return "host";
  if (owner == FindGameWindow(host)) return "game";
  return "other";
}

bool IsMessageBox(HWND dialog) {
  if (GetDlgItem(dialog, 0xFFFF) == nullptr) return false;
  bool plain = true;
  EnumChildWindows(dialog, CheckMessageBoxControl, reinterpret_cast<LPARAM>(&plain));
  return plain;
}

void CloseMessageBoxes(const Host& host) {
  std::vector<HWND> boxes;
  EnumThreadWindows(GetCurrentThreadId(), CollectDialogs, reinterpret_cast<LPARAM>(&boxes));
  for (DWORD thread : {SessionThreadId(), ConfigThreadId()})
    if (thread != 0 && thread != GetCurrentThreadId())
      EnumThreadWindows(thread, CollectDialogs, reinterpret_cast<LPARAM>(&boxes));
  for (HWND box : boxes) RecordAndDismiss(host, box);
  for (auto seen = boxesSeen.begin(); seen != boxesSeen.end();)
    seen = IsWindow(seen->first) ? std::next(seen) : boxesSeen.erase(seen);
}

void ProbeGameWindow(const Host& host) {
  HWND game = FindGameWindow(host);
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
                Field("owner", OwnerName(host, GetWindow(game, GW_OWNER))), Field("title", title),
                Field("class", className)});
}

bool GrabClient(HWND window, ClientPicture& picture) {
  RECT client = {};
  if (window == nullptr || !GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
    return false;
  int width = client.right, height = client.bottom;
  BITMAPINFOHEADER info = {sizeof info, width, height, 1, 32, BI_RGB};
  void* bits = nullptr;
  HDC windowDC = GetDC(window);
  HDC memoryDC = CreateCompatibleDC(windowDC);
  HBITMAP bitmap = CreateDIBSection(windowDC, reinterpret_cast<BITMAPINFO*>(&info),
                                    DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ displaced = SelectObject(memoryDC, bitmap);
  bool copied = bits != nullptr && BitBlt(memoryDC, 0, 0, width, height, windowDC, 0, 0, SRCCOPY);
  GdiFlush();
  if (copied) {
    const uint32_t* pixels = static_cast<const uint32_t*>(bits);
    picture.width = width;
    picture.height = height;
    picture.rgb.assign(pixels, pixels + size_t(width) * size_t(height));
    for (uint32_t& rgb : picture.rgb) rgb &= 0xFFFFFF;
  }
  SelectObject(memoryDC, displaced);
  DeleteObject(bitmap);
  DeleteDC(memoryDC);
  ReleaseDC(window, windowDC);
  return copied;
}

bool SaveClientBmp(HWND window, const char* path, int& width, int& height) {
  ClientPicture picture;
  if (!GrabClient(window, picture)) return false;
  width = picture.width;
  height = picture.height;
  BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB};
  DWORD rowBytes = DWORD((width * 3 + 3) & ~3);
  info.biSizeImage = rowBytes * DWORD(height);
  BITMAPFILEHEADER file = {0x4D42, DWORD(sizeof file + sizeof info + info.biSizeImage), 0, 0,
                           DWORD(sizeof file + sizeof info)};
  std::vector<uint8_t> rows(info.biSizeImage);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t rgb = picture.rgb[size_t(y) * size_t(width) + size_t(x)];
      uint8_t* pixel = &rows[size_t(y) * rowBytes + size_t(x) * 3];
      pixel[0] = uint8_t(rgb), pixel[1] = uint8_t(rgb >> 8), pixel[2] = uint8_t(rgb >> 16);
    }
  bool saved = false;
  if (FILE* out = std::fopen(path, "wb")) {
    saved = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
            std::fwrite(rows.data(), rows.size(), 1, out) == 1;
    saved = std::fclose(out) == 0 && saved;
  }
  return saved;
}

void CaptureWindow(HWND window, const char* path) {
  int width = 0, height = 0;
  bool saved = SaveClientBmp(window, path, width, height);
  WriteJournal(NowMs(), "capture", {Field("file", path), Field("ok", int64_t(saved)),
                                    Field("width", int64_t(width)), Field("height", int64_t(height))});
}

void JournalResources() {
  HANDLE process = GetCurrentProcess();
  DWORD handles = 0;
  GetProcessHandleCount(process, &handles);
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  K32GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  int64_t heldGdi = 0, heldHandles = 0;
  HeldObjects(heldGdi, heldHandles);
  WriteJournal(NowMs(), "resources", {Field("heldGdi", heldGdi), Field("heldHandles", heldHandles),
                                      Field("gdi", int64_t(GetGuiResources(process, GR_GDIOBJECTS))),
                                      Field("user", int64_t(GetGuiResources(process, GR_USEROBJECTS))),
                                      Field("handles", int64_t(handles)),
                                      Field("privateBytes", int64_t(memory.PrivateUsage)),
                                      Field("workingSet", int64_t(memory.WorkingSetSize)),
                                      Field("pagefile", int64_t(memory.PagefileUsage))});
}
