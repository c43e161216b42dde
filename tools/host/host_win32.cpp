// host_win32.cpp -- the host harness: loads a plug-in as the player does and runs a scenario.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "host_win32.h"
#include "journal.h"

Host host;

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr char kUsage[] =
    "usage: stompara_host [--journal FILE] PLUGIN.dll [SCENARIO]\n"
    "Loads a visualisation plug-in, plays SCENARIO against it (see README.md),\n"
    "and records what the plug-in did in FILE (default stompara-journal.jsonl).\n"
    "Without a SCENARIO it plays until the plug-in's window is closed.\n";

LARGE_INTEGER clockStart, clockFrequency;
int64_t requestCounts[4];  // 104, 105, 125, 211; main thread only

int64_t& RequestCount(LPARAM request) {
  static int64_t others;
  switch (request) {
    case 104: return requestCounts[0];
    case 105: return requestCounts[1];
    case 125: return requestCounts[2];
    case 211: return requestCounts[3];
    default: return others;
  }
}

LRESULT AnswerRequest(WPARAM wParam, LPARAM request) {
  LRESULT answer = 0;
  const char* name = nullptr;
  ++RequestCount(request);
  switch (request) {
    case 104: answer = IsPlayingAnswer(host.playback); break;
    case 105: answer = PositionAnswer(host.playback, NowMs()); break;
    case 125: answer = host.playback.entry; break;
    case 211:
      name = FileNameAnswer(host.playback, host.scenario, int64_t(wParam));
      answer = reinterpret_cast<LRESULT>(name);
      break;
    default: break;
  }
  if (request == 211)
    WriteJournal(NowMs(), "request", {Field("request", int64_t(request)),
                                      Field("wParam", int64_t(wParam)), Field("answer", name)});
  else
    WriteJournal(NowMs(), "request", {Field("request", int64_t(request)),
                                      Field("wParam", int64_t(wParam)), Field("answer", int64_t(answer))});
  return answer;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_USER:
      return AnswerRequest(wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      WriteJournal(NowMs(), InSendMessage() ? "sent" : "posted",
                   {Field("message", int64_t(message)), Field("wParam", int64_t(wParam)),
                    Field("lParam", int64_t(lParam & 0xFFFFFFFFll))});
      return 0;
    case WM_TIMER:
      if (wParam == kWatchTimer) CloseMessageBoxes();
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

HWND CreateMainWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "StomparaHost";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "StomparaHost", "Stompara host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                700, 500, 260, 120, nullptr, nullptr, windowClass.hInstance, nullptr);
  SetTimer(window, kWatchTimer, 25, nullptr);
  return window;
}

void PostKey(const ScenarioAction& action) {
  HWND game = FindGameWindow();
  UINT message = action.kind == ActionKind::KeyUp ? WM_KEYUP : WM_KEYDOWN;
  LPARAM data = LPARAM(KeyMessageData(action.first, action.kind) & 0xFFFFFFFFll);
  WriteJournal(NowMs(), "key", {Field("message", int64_t(message)), Field("wParam", int64_t(action.first)),
                                Field("lParam", int64_t(data)), Field("delivered", int64_t(game != nullptr))});
  if (game) PostMessageA(game, message, WPARAM(action.first), data);
}

void RunAction(const ScenarioAction& action) {
  WriteJournal(NowMs(), "action", {Field("line", int64_t(action.line))});
  HWND game = FindGameWindow();
  switch (action.kind) {
    case ActionKind::KeyDown: case ActionKind::KeyRepeat: case ActionKind::KeyUp:
      PostKey(action);
      break;
    case ActionKind::Config: StartConfig(); break;
    case ActionKind::Capture: CaptureWindow(game, action.text.c_str()); break;
    case ActionKind::DialogClick: case ActionKind::DialogEscape: case ActionKind::DialogHover:
    case ActionKind::DialogLeave: case ActionKind::DialogProbe: case ActionKind::DialogBrowse:
    case ActionKind::CaptureDialog:
      RunDialogAction(action);
      break;
    case ActionKind::Move:
      if (game) SetWindowPos(game, nullptr, action.first, action.second, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case ActionKind::Probe: ProbeGameWindow(); break;
    case ActionKind::Paint: if (game) InvalidateRect(game, nullptr, FALSE); break;
    case ActionKind::Close: if (game) PostMessageA(game, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case ActionKind::Init: StartSession(); break;
    case ActionKind::Quit: StopSession(); break;
    case ActionKind::Wait: WaitForSessionEnd(); break;
    case ActionKind::Stall: Sleep(DWORD(action.first)); break;  // a host busy elsewhere
    default: ApplyPlaybackAction(host.playback, action, NowMs()); break;
  }
}

void PumpFor(int64_t ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(ms > 0 ? ms : 0), QS_ALLINPUT);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Lets the main window answer until `dueMs`; with host-thread main the
// session renders meanwhile.
void WaitUntil(int64_t dueMs) {
  if (NowMs() >= dueMs) return;
  RunMainThreadSession(dueMs);
  while (NowMs() < dueMs) PumpFor(dueMs - NowMs());
}

// Runs the scenario's actions at their times while the main window answers.
// Times count from the moment the first Init has returned, so a slow start
// of the plug-in shifts the whole scenario rather than squeezing it.
void RunScenario() {
  while (host.lastInitResult.load() == -1 && SessionRunning()) PumpFor(5);
  int64_t start = NowMs();
  for (const ScenarioAction& action : host.scenario.actions) {
    WaitUntil(start + action.atMs);
    RunAction(action);
  }
}

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "stompara_host: %s\n", message.c_str());
  return code;
}

}  // namespace

int64_t NowMicros() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (now.QuadPart - clockStart.QuadPart) * 1000000 / clockFrequency.QuadPart;
}

int64_t NowMs() { return NowMicros() / 1000; }

bool WaitPumping(HANDLE handle, DWORD timeoutMs) {
  int64_t until = timeoutMs == INFINITE ? INT64_MAX : NowMs() + timeoutMs;
  for (;;) {
    int64_t left = until - NowMs();
    DWORD wait = until == INT64_MAX ? INFINITE : DWORD(left > 0 ? left : 0);
    DWORD woke = MsgWaitForMultipleObjects(1, &handle, FALSE, wait, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) return true;
    if (woke == WAIT_TIMEOUT) return false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}

void PumpMessagesFor(int64_t ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(ms > 0 ? ms : 0), QS_ALLINPUT);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, WM_QUIT - 1, PM_REMOVE) ||
         PeekMessageA(&message, nullptr, WM_QUIT + 1, UINT(-1), PM_REMOVE))
    DispatchMessageA(&message);
}

int main(int argc, char** argv) {
  QueryPerformanceFrequency(&clockFrequency);
  QueryPerformanceCounter(&clockStart);
  const char* journalPath = "stompara-journal.jsonl";
  int next = 1;
  if (next + 1 < argc && std::string(argv[next]) == "--journal") {
    journalPath = argv[next + 1];
    next += 2;
  }
  if (next >= argc || argc - next > 2 || argv[next][0] == '-') return Fail(64, kUsage);
  const char* pluginPath = argv[next];
  std::string scenarioText = "0 play\n0 wait\n";  // no scenario: play until the window closes
  if (next + 1 < argc) {
    std::ifstream file(argv[next + 1], std::ios::binary);
    if (!file) return Fail(66, std::string("cannot read scenario ") + argv[next + 1]);
    std::ostringstream text;
    text << file.rdbuf();
    scenarioText = text.str();
  }
  std::string error;
  if (!ParseScenario(scenarioText, host.scenario, error)) return Fail(65, error);
  if (!OpenJournal(journalPath)) return Fail(73, std::string("cannot create journal ") + journalPath);

  // The player loads plug-ins by their full path, never by the search order.
  char fullPath[MAX_PATH] = {};
  if (GetFullPathNameA(pluginPath, MAX_PATH, fullPath, nullptr) - 1 >= MAX_PATH - 1)
    return Fail(2, std::string("cannot load plug-in ") + pluginPath + ": path too long");
  host.plugin = LoadLibraryA(fullPath);
  if (host.plugin == nullptr)
    return Fail(2, std::string("cannot load plug-in ") + pluginPath + " (error " +
                       std::to_string(GetLastError()) + ")");
  auto getHeader = reinterpret_cast<winampVisGetHeaderType>(
      reinterpret_cast<void*>(GetProcAddress(host.plugin, "winampVisGetHeader")));
  if (getHeader == nullptr)
    return Fail(3, std::string(pluginPath) + " is not a visualisation plug-in: no winampVisGetHeader export");
  winampVisHeader* header = getHeader();
  host.module = header ? header->getModule(0) : nullptr;
  if (host.module == nullptr) return Fail(4, std::string(pluginPath) + " gives no module 0");
  WriteJournal(NowMs(), "header", {Field("version", int64_t(header->version)),
                                   Field("description", header->description),
                                   Field("module0", host.module->description),
                                   Field("module1Null", int64_t(header->getModule(1) == nullptr)),
                                   Field("delayMs", int64_t(host.module->delayMs)),
                                   Field("frameMs", int64_t(host.scenario.frameMs)),
                                   Field("latencyMs", int64_t(host.module->latencyMs)),
                                   Field("spectrumNch", int64_t(host.module->spectrumNch)),
                                   Field("waveformNch", int64_t(host.module->waveformNch))});

  host.mainWindow = CreateMainWindow();
  StartSession();
  RunScenario();
  EndConfig();
  StopSession();
  CloseMessageBoxes();
  WriteJournal(NowMs(), "end", {Field("initResult", int64_t(host.lastInitResult.load())),
                                Field("requests104", requestCounts[0]), Field("requests105", requestCounts[1]),
                                Field("requests125", requestCounts[2]), Field("requests211", requestCounts[3])});
  CloseJournal();
  return host.lastInitResult.load() == 0 ? 0 : 5;
}
