// dialog_win32.cpp -- the plug-in's configuration dialog: the config thread, and handling the dialog as a user.
#include "dialog_win32.h"  // windows.h, before commctrl.h

#include <commctrl.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "host_win32.h"
#include "journal.h"
#include "watch_win32.h"

namespace {

constexpr char kConfigTitle[] = "WinampStompara Config";
constexpr int kFolderButton = 1003;
constexpr int kFirstLevelButton = 1004;  // Standard, then Advanced and Expert
constexpr int kFlameBox = 1010;
constexpr int kLinkLabel = 1015;
constexpr int kHandCursorId = 111;       // in the plug-in's resources
constexpr UINT kSendWaitMs = 1000;       // longest wait for a control to answer
constexpr int64_t kCloseWaitMs = 2000;   // longest wait for a dialog to close
constexpr int64_t kBrowserWaitMs = 3000; // longest wait for the folder browser
constexpr int64_t kPointerWaitMs = 500;  // longest wait for the display to move the pointer
constexpr int64_t kPointerSettleMs = 50; // and for what it tells the windows

HANDLE configThread;
DWORD configThreadId;
// The window the harness last put the mouse over, null before a hover.
HWND mouseOver;

// The config thread; its parameter is the module whose Config it calls.
DWORD WINAPI RunConfig(LPVOID parameter) {
  auto* module = static_cast<winampVisModule*>(parameter);
  module->Config(module);
  WriteJournal(NowMs(), "config-returned", {});
  return 0;
}

bool ConfigRunning() {
  return configThread != nullptr && WaitForSingleObject(configThread, 0) == WAIT_TIMEOUT;
}

// A message to another thread's control that cannot hang the scenario:
// 0 when it is not answered within kSendWaitMs.
LRESULT SendWaiting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendWaitMs, &result)) return 0;
  return LRESULT(result);
}

// Pumps the main thread's messages until `done()` or `timeoutMs` has passed.
template <typename Done>
bool PumpUntil(Done done, int64_t timeoutMs) {
  int64_t until = NowMs() + timeoutMs;
  while (!done() && NowMs() < until) PumpMessagesFor(10);
  return done();
}

bool IsDialogClass(HWND window) {
  char className[32] = {};
  GetClassNameA(window, className, sizeof className);
  return lstrcmpA(className, "#32770") == 0;
}

struct DialogSearch {
  const char* title;  // null: any title
  DWORD thread;       // 0: any thread of this process
  std::vector<HWND> found;
};

// The class and visibility are asked first: neither sends the window a
// message, so a busy thread's other windows cannot stall the search.
BOOL CALLBACK CollectDialog(HWND window, LPARAM search) {
  DialogSearch& wanted = *reinterpret_cast<DialogSearch*>(search);
  DWORD process = 0;
  DWORD thread = GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || (wanted.thread != 0 && thread != wanted.thread) ||
      !IsDialogClass(window) || !IsWindowVisible(window) || IsMessageBox(window))
    return TRUE;
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  if (wanted.title == nullptr || lstrcmpA(title, wanted.title) == 0) wanted.found.push_back(window);
  return TRUE;
}

// The visible dialogs (message boxes aside) of this process, topmost first.
std::vector<HWND> Dialogs(const char* title, DWORD thread) {
  DialogSearch search = {title, thread, {}};
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool Closed(HWND dialog) { return !IsWindow(dialog) || !IsWindowVisible(dialog); }

std::string WindowTitle(HWND window) {
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  return title;
}

// Presses Escape where the keyboard is: the focused window of the dialog's
// thread when it lies in a dialog (the folder browser's when it is open
// over the dialog), else the dialog itself. Returns the dialog the key
// went to.
HWND PressEscape(HWND dialog) {
  GUITHREADINFO gui = {sizeof gui};
  DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  HWND target = dialog;
  if (GetGUIThreadInfo(thread, &gui) && gui.hwndFocus != nullptr &&
      GetWindowThreadProcessId(gui.hwndFocus, nullptr) == thread &&
      IsDialogClass(GetAncestor(gui.hwndFocus, GA_ROOT)))
    target = gui.hwndFocus;
  PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, LPARAM(KeyMessageData(VK_ESCAPE, ActionKind::KeyDown)));
  PostMessageA(target, WM_KEYUP, VK_ESCAPE, LPARAM(KeyMessageData(VK_ESCAPE, ActionKind::KeyUp)));
  return GetAncestor(target, GA_ROOT);
}

// Once the configuration dialog has closed, lets its Config return (and
// write its settings) before the next action.
void SettleIfClosed(HWND dialog, DWORD thread) {
  if (!Closed(dialog)) return;
  if (thread == configThreadId && ConfigRunning()) WaitPumping(configThread, kCloseWaitMs);
}

// Escape, and IDCANCEL when Escape has not closed it within kCloseWaitMs.
void Cancel(HWND dialog) {
  HWND pressed = PressEscape(dialog);
  if (PumpUntil([pressed] { return Closed(pressed); }, kCloseWaitMs) && pressed == dialog) return;
  if (!Closed(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  PumpUntil([dialog] { return Closed(dialog); }, kCloseWaitMs);
}

void Click(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return;
  DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  // Sent, so the next action sees what the click did; a click that opens a
  // window of its own (the folder browser) stops the wait at kSendWaitMs.
  SendWaiting(control, BM_CLICK, 0, 0);
  SettleIfClosed(dialog, thread);
}

void Escape(HWND dialog) {
  DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  HWND pressed = PressEscape(dialog);
  PumpUntil([pressed] { return Closed(pressed); }, kCloseWaitMs);
  SettleIfClosed(dialog, thread);
}

// Tells the window under the harness's mouse that the mouse is over it, as
// the system does on every move, so that it sets its cursor.
void TellCursorOwner() {
  if (mouseOver != nullptr && IsWindow(mouseOver))
    SendWaiting(mouseOver, WM_SETCURSOR, WPARAM(mouseOver), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

// The mouse moves onto the middle of control `id`, or just off its top-left
// corner, as the system tells a window: the move, and over it WM_SETCURSOR.
void MoveMouse(HWND dialog, int id, bool onto) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return;
  RECT client;
  GetClientRect(control, &client);
  POINT point = onto ? POINT{client.right / 2, client.bottom / 2} : POINT{-5, -5};
  POINT screen = point;
  ClientToScreen(control, &screen);
  SetCursorPos(screen.x, screen.y);
  // The display moves the pointer in its own time, and what it tells the
  // windows on the way must come before the messages below.
  PumpUntil([screen] {
    POINT now;
    return GetCursorPos(&now) && now.x == screen.x && now.y == screen.y;
  }, kPointerWaitMs);
  PumpUntil([] { return false; }, kPointerSettleMs);
  PostMessageA(control, WM_MOUSEMOVE, 0, MAKELPARAM(point.x, point.y));
  // The window now under the mouse is told at once, not when the display
  // gets to it: on a busy machine that can be long after the next probe.
  // It is the dialog's own window there: another program's window may lie
  // over the same place on the shared desktop, and is not the one tested.
  POINT inDialog = screen;
  ScreenToClient(dialog, &inDialog);
  mouseOver = onto ? control : RealChildWindowFromPoint(dialog, inDialog);
  TellCursorOwner();
}

// The colour of a control's text as the screen shows it: the most frequent
// colour after the most frequent one (its background). "" when it shows
// a single colour or cannot be read.
std::string TextColour(HWND control) {
  ClientPicture picture;
  if (!GrabClient(control, picture)) return "";
  std::map<uint32_t, int> counts;
  for (uint32_t rgb : picture.rgb) ++counts[rgb];
  auto background = counts.begin(), text = counts.end();
  for (auto colour = counts.begin(); colour != counts.end(); ++colour)
    if (colour->second > background->second) background = colour;
  for (auto colour = counts.begin(); colour != counts.end(); ++colour)
    if (colour != background && (text == counts.end() || colour->second > text->second)) text = colour;
  if (text == counts.end()) return "";
  char hex[8];
  std::snprintf(hex, sizeof hex, "%06x", unsigned(text->first));
  return hex;
}

int CheckedLevel(HWND dialog) {
  for (int level = 0; level < 3; ++level)
    if (SendWaiting(GetDlgItem(dialog, kFirstLevelButton + level), BM_GETCHECK, 0, 0) == BST_CHECKED)
      return level;
  return -1;
}

// "hand" when the cursor of `dialog`'s thread is `plugin`'s hand cursor,
// else "other". The screen's cursor is the foreground thread's, and a window
// of another program (the suites side by side share one desktop) may be in
// the foreground: the harness shares the dialog thread's input for the
// reading, and the window under its mouse is told again just before it.
const char* CursorName(HMODULE plugin, HWND dialog) {
  DWORD self = GetCurrentThreadId(), owner = GetWindowThreadProcessId(dialog, nullptr);
  bool attached = owner != self && AttachThreadInput(self, owner, TRUE);
  TellCursorOwner();
  HCURSOR current = GetCursor();
  if (attached) AttachThreadInput(self, owner, FALSE);
  HCURSOR hand = LoadCursorA(plugin, MAKEINTRESOURCEA(kHandCursorId));
  return hand != nullptr && current == hand ? "hand" : "other";
}

void Probe(const Host& host, HWND dialog, size_t open) {
  char link[256] = {};
  GetDlgItemTextA(dialog, kLinkLabel, link, sizeof link);
  bool flame = SendWaiting(GetDlgItem(dialog, kFlameBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
  WriteJournal(NowMs(), "dialog",
               {Field("exists", int64_t(1)), Field("count", int64_t(open)),
                Field("title", WindowTitle(dialog)), Field("owner", OwnerName(host, GetWindow(dialog, GW_OWNER))),
                Field("level", int64_t(CheckedLevel(dialog))), Field("flame", int64_t(flame)),
                Field("link", link), Field("linkColour", TextColour(GetDlgItem(dialog, kLinkLabel))),
                Field("cursor", CursorName(host.plugin, dialog))});
}

std::string SelectedTreeItem(HWND browser) {
  HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
  if (tree == nullptr) return "";
  auto item = reinterpret_cast<HTREEITEM>(SendWaiting(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return "";
  char text[MAX_PATH] = {};
  TVITEMA request = {};
  request.mask = TVIF_TEXT;
  request.hItem = item;
  request.pszText = text;
  request.cchTextMax = sizeof text;
  SendWaiting(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request));
  return text;
}

// Clicks the folder button and looks at the browser it opens over the
// dialog (a new dialog of the same thread), then cancels it.
void Browse(HWND dialog) {
  DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  PostMessageA(GetDlgItem(dialog, kFolderButton), BM_CLICK, 0, 0);
  HWND browser = nullptr;
  PumpUntil([&] {
    for (HWND shown : Dialogs(nullptr, thread))
      if (shown != dialog) browser = shown;
    return browser != nullptr;
  }, kBrowserWaitMs);
  if (browser == nullptr) {
    WriteJournal(NowMs(), "browser", {Field("exists", int64_t(0))});
    return;
  }
  WriteJournal(NowMs(), "browser",
               {Field("exists", int64_t(1)), Field("title", WindowTitle(browser)),
                Field("ownedByDialog", int64_t(GetWindow(browser, GW_OWNER) == dialog)),
                Field("selected", SelectedTreeItem(browser))});
  Cancel(browser);
}

}  // namespace

void StartConfig(winampVisModule* module) {
  if (ConfigRunning()) {
    WriteJournal(NowMs(), "config-busy", {});
    return;
  }
  if (configThread) CloseHandle(configThread);
  mouseOver = nullptr;
  configThread = CreateThread(nullptr, 0, RunConfig, module, 0, &configThreadId);
}

DWORD ConfigThreadId() { return configThreadId; }

void RunDialogAction(const Host& host, const ScenarioAction& action) {
  std::vector<HWND> open = Dialogs(kConfigTitle, 0);
  if (open.empty()) {
    WriteJournal(NowMs(), "dialog", {Field("exists", int64_t(0))});
    return;
  }
  HWND dialog = open.front();
  switch (action.kind) {
    case ActionKind::DialogClick: Click(dialog, action.first); break;
    case ActionKind::DialogEscape: Escape(dialog); break;
    case ActionKind::DialogHover: MoveMouse(dialog, action.first, true); break;
    case ActionKind::DialogLeave: MoveMouse(dialog, action.first, false); break;
    case ActionKind::DialogProbe: Probe(host, dialog, open.size()); break;
    case ActionKind::DialogBrowse: Browse(dialog); break;
    case ActionKind::CaptureDialog: CaptureWindow(dialog, action.text.c_str()); break;
    default: break;
  }
}

void CancelDialogsOfThread(DWORD threadId) {
  for (int round = 0; round < 4; ++round) {
    std::vector<HWND> open = Dialogs(nullptr, threadId);
    if (open.empty()) return;
    WriteJournal(NowMs(), "dialog-left-open", {Field("title", WindowTitle(open.front()))});
    Cancel(open.front());
  }
}

void EndConfig() {
  while (ConfigRunning() && !WaitPumping(configThread, 500)) CancelDialogsOfThread(configThreadId);
}
