// host_win32.cpp -- the host harness: loads a plug-in as the player does and runs a scenario.
#include "host_win32.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "dialog_win32.h"
#include "extras_win32.h"
#include "faults_win32.h"
#include "journal.h"
#include "pad_win32.h"
#include "sound_win32.h"
#include "vis_session_win32.h"
#include "watch_win32.h"

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr char kUsage[] =
    "usage: stompara_host [--journal FILE] PLUGIN.dll [SCENARIO]\n"
    "Loads a visualisation plug-in, plays SCENARIO against it (see README.md),\n"
    "and records what the plug-in did in FILE (default stompara-journal.jsonl).\n"
    "Without a SCENARIO it plays until the plug-in's window is closed.\n";

// Set once by main before any other thread starts; NowMicros reads them on any.
LARGE_INTEGER clockStart, clockFrequency;

// Counts `request` when it is one of those the `end` line reports.
void CountRequest(Host& host, LPARAM request) {
  switch (request) {
    case 104: ++host.requestCounts[0]; break;
    case 105: ++host.requestCounts[1]; break;
    case 125: ++host.requestCounts[2]; break;
    case 211: ++host.requestCounts[3]; break;
    case 212: ++host.requestCounts[4]; break;
    default: break;
  }
}

// A UTF-8 scenario text in wide characters; text that is not UTF-8 is taken as ANSI.
std::wstring WideOf(const std::string& text) {
  UINT codePage = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.c_str(), -1, nullptr, 0) > 0
                      ? CP_UTF8 : CP_ACP;
  std::wstring wide(size_t(MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0)), L'\0');
  MultiByteToWideChar(codePage, 0, text.c_str(), -1, &wide[0], int(wide.size()));
  wide.resize(wide.size() - 1);
  return wide;
}

// Wide text in the system's ANSI code page, characters it lacks as "?".
std::string AnsiOf(const std::wstring& wide) {
  std::string ansi(size_t(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &ansi[0], int(ansi.size()), nullptr, nullptr);
  ansi.resize(ansi.size() - 1);
  return ansi;
}

// The playlist's ANSI and wide names and titles, and the settings folder to answer.
void PrepareAnswers(Host& host) {
  for (const std::string& name : host.scenario.playlist) {
    std::wstring wide = WideOf(name);
    host.wideNames.push_back(wide);
    host.ansiNames.push_back(AnsiOf(wide));
    host.titles.push_back(AnsiOf(WideOf(FileTitle(name))));
  }
  host.settingsFolder = host.scenario.settingsFolder;
  if (host.settingsFolder.empty()) {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    host.settingsFolder = folder;
  }
}

// Request 212 for `entry`: its title, in a copy that stays until the next
// 212 answer (the player's is a buffer of its own too), or null when the
// entry is out of range.
const char* TitleAnswer(Host& host, int64_t entry) {
  if (entry < 0 || entry >= int64_t(host.titles.size())) return nullptr;
  host.titleAnswer = host.titles[size_t(entry)];
  return host.titleAnswer.c_str();
}

// Request 211 or 214 for `entry`: its name, or null.
const void* EntryName(const Host& host, int64_t entry, bool wide) {
  if (FileNameAnswer(host.playback, host.scenario, entry) == nullptr) return nullptr;
  if (!wide) return host.ansiNames[size_t(entry)].c_str();
  return host.scenario.wideNames ? host.wideNames[size_t(entry)].c_str() : nullptr;
}

std::string Utf8(const wchar_t* wide) {
  std::string text(size_t(WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], int(text.size()), nullptr, nullptr);
  text.resize(text.size() - 1);
  return text;
}

LRESULT AnswerRequest(Host& host, WPARAM wParam, LPARAM request) {
  LRESULT answer = 0;
  const char* name = nullptr;
  CountRequest(host, request);
  switch (request) {
    case 104: answer = IsPlayingAnswer(host.playback); break;
    case 105:
      answer = PositionAnswer(host.playback, NowMs());
      host.lastPosition.store(int32_t(answer));
      break;
    case 125: answer = host.playback.entry; break;
    case 211:
      name = static_cast<const char*>(EntryName(host, int64_t(wParam), false));
      answer = reinterpret_cast<LRESULT>(name);
      break;
    case 214: {
      auto* wide = static_cast<const wchar_t*>(EntryName(host, int64_t(wParam), true));
      answer = reinterpret_cast<LRESULT>(wide);
      if (!host.scenario.requestJournal) return answer;
      std::string text = wide ? Utf8(wide) : std::string();
      WriteJournal(NowMs(), "request", {Field("request", int64_t(request)), Field("wParam", int64_t(wParam)),
                                        Field("answer", wide ? text.c_str() : nullptr)});
      return answer;
    }
    case 212:
      name = TitleAnswer(host, int64_t(wParam));
      answer = reinterpret_cast<LRESULT>(name);
      break;
    case 335:
      name = host.scenario.answerSettingsFolder ? host.settingsFolder.c_str() : nullptr;
      answer = reinterpret_cast<LRESULT>(name);
      break;
    default: break;
  }
  // A journal line costs a write; a benchmark of Render leaves them out.
  if (!host.scenario.requestJournal) return answer;
  if (request == 211 || request == 212 || request == 335)
    WriteJournal(NowMs(), "request", {Field("request", int64_t(request)),
                                      Field("wParam", int64_t(wParam)), Field("answer", name)});
  else
    WriteJournal(NowMs(), "request", {Field("request", int64_t(request)),
                                      Field("wParam", int64_t(wParam)), Field("answer", int64_t(answer))});
  return answer;
}

// Windows calls the window procedure with the window alone, so the Host it
// answers from rides in the window's GWLP_USERDATA, put there as the window
// is made (WM_NCCREATE) and taken away before main's Host ends. The few
// messages before WM_NCCREATE, and any after, get the default answer.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* made = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made->lpCreateParams));
  }
  auto* host = reinterpret_cast<Host*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (host == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_USER:
      return AnswerRequest(*host, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      WriteJournal(NowMs(), InSendMessage() ? "sent" : "posted",
                   {Field("message", int64_t(message)), Field("wParam", int64_t(wParam)),
                    Field("lParam", int64_t(lParam & 0xFFFFFFFFll))});
      return 0;
    case WM_TIMER:
      if (wParam == kWatchTimer) CloseMessageBoxes(*host);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// The main window, answering from `host` until main takes it back.
HWND CreateMainWindow(Host& host) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = "StomparaHost";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "StomparaHost", "Stompara host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                700, 500, 260, 120, nullptr, nullptr, windowClass.hInstance, &host);
  SetTimer(window, kWatchTimer, 25, nullptr);
  return window;
}

void PostKey(const Host& host, const ScenarioAction& action) {
  HWND game = FindGameWindow(host);
  UINT message = action.kind == ActionKind::KeyUp ? WM_KEYUP : WM_KEYDOWN;
  LPARAM data = LPARAM(KeyMessageData(action.first, action.kind) & 0xFFFFFFFFll);
  WriteJournal(NowMs(), "key", {Field("message", int64_t(message)), Field("wParam", int64_t(action.first)),
                                Field("lParam", int64_t(data)), Field("delivered", int64_t(game != nullptr))});
  if (game) PostMessageA(game, message, WPARAM(action.first), data);
}

void RunAction(Host& host, const ScenarioAction& action) {
  WriteJournal(NowMs(), "action", {Field("line", int64_t(action.line))});
  HWND game = FindGameWindow(host);
  switch (action.kind) {
    case ActionKind::KeyDown: case ActionKind::KeyRepeat: case ActionKind::KeyUp:
      PostKey(host, action);
      break;
    case ActionKind::Config: StartConfig(host.module); break;
    case ActionKind::Capture: CaptureWindow(game, action.text.c_str()); break;
    case ActionKind::DialogClick: case ActionKind::DialogEscape: case ActionKind::DialogHover:
    case ActionKind::DialogLeave: case ActionKind::DialogProbe: case ActionKind::DialogBrowse:
    case ActionKind::CaptureDialog:
      RunDialogAction(host, action);
      break;
    case ActionKind::Move:
      if (game) SetWindowPos(game, nullptr, action.first, action.second, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case ActionKind::Probe: ProbeGameWindow(host); break;
    case ActionKind::Resources: JournalResources(); break;
    case ActionKind::Unfault: ClearFaults(); break;
    case ActionKind::Paint: if (game) InvalidateRect(game, nullptr, FALSE); break;
    case ActionKind::Close: if (game) PostMessageA(game, WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case ActionKind::Init: StartSession(host); break;
    case ActionKind::Quit: StopSession(host); break;
    case ActionKind::Wait: WaitForSessionEnd(host); break;
    case ActionKind::Stall: Sleep(DWORD(action.first)); break;  // a host busy elsewhere
    case ActionKind::Title: host.titles[size_t(action.first)] = AnsiOf(WideOf(action.text)); break;
    case ActionKind::PadDown: case ActionKind::PadUp: case ActionKind::PadHat: case ActionKind::PadGone:
      RunPadAction(action);
      break;
    default:
      PlaySongAudio(host, action);
      AcquireSRWLockExclusive(&host.playbackLock);
      ApplyPlaybackAction(host.playback, action, NowMs());
      ReleaseSRWLockExclusive(&host.playbackLock);
      break;
  }
}

// Whether an action sets what the first Render meets: the song and its
// state, at time 0.
bool SetsTheStage(const ScenarioAction& action) {
  switch (action.kind) {
    case ActionKind::Play: case ActionKind::Pause: case ActionKind::Stop: case ActionKind::Seek:
    case ActionKind::Select: case ActionKind::FileName: case ActionKind::Title:
      return action.atMs == 0;
    default: return false;
  }
}

void PumpFor(int64_t ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(ms > 0 ? ms : 0), QS_ALLINPUT);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// Lets the main window answer until `dueMs`; with host-thread main the
// session renders meanwhile.
void WaitUntil(Host& host, int64_t dueMs) {
  if (NowMs() >= dueMs) return;
  RunMainThreadSession(host, dueMs);
  while (NowMs() < dueMs) PumpFor(dueMs - NowMs());
}

// Runs the scenario's actions at their times while the main window answers.
// Times count from the moment the first Init has returned, so a slow start
// of the plug-in shifts the whole scenario rather than squeezing it.
void RunScenario(Host& host) {
  while (host.lastInitResult.load() == -1 && SessionRunning(host)) PumpFor(5);
  int64_t start = NowMs();
  for (const ScenarioAction& action : host.scenario.actions) {
    if (!SetsTheStage(action)) host.stageSet = true;
    WaitUntil(host, start + action.atMs);
    RunAction(host, action);
  }
  host.stageSet = true;
}

int Fail(int code, const std::string& message) {
  std::fprintf(stderr, "stompara_host: %s\n", message.c_str());
  return code;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  if (!file) return false;
  bytes = text.str();
  return true;
}

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
  Host host;
  const char* journalPath = "stompara-journal.jsonl";
  int next = 1;
  if (next + 1 < argc && std::string(argv[next]) == "--journal") {
    journalPath = argv[next + 1];
    next += 2;
  }
  if (next >= argc || argc - next > 2 || argv[next][0] == '-') return Fail(64, kUsage);
  const char* pluginPath = argv[next];
  std::string scenarioText = "0 play\n0 wait\n";  // no scenario: play until the window closes
  if (next + 1 < argc && !ReadWholeFile(argv[next + 1], scenarioText))
    return Fail(66, std::string("cannot read scenario ") + argv[next + 1]);
  std::string error;
  if (!ParseScenario(scenarioText, host.scenario, error) || !LoadSounds(host, error)) return Fail(65, error);
  if (!OpenJournal(journalPath)) return Fail(73, std::string("cannot create journal ") + journalPath);

  // The player loads plug-ins by their full path, never by the search order.
  char fullPath[MAX_PATH] = {};
  if (GetFullPathNameA(pluginPath, MAX_PATH, fullPath, nullptr) - 1 >= MAX_PATH - 1)
    return Fail(2, std::string("cannot load plug-in ") + pluginPath + ": path too long");
  host.plugin = LoadLibraryA(fullPath);
  if (host.plugin == nullptr)
    return Fail(2, std::string("cannot load plug-in ") + pluginPath + " (error " +
                       std::to_string(GetLastError()) + ")");
  InstallFaults(host.plugin, host.scenario.faults);
  InstallPad(host.plugin);
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

  PrepareAnswers(host);
  host.mainWindow = CreateMainWindow(host);
  StartSession(host);
  RunScenario(host);
  EndConfig();
  StopSession(host);
  CloseMessageBoxes(host);
  JournalPadCalls();
  const int64_t* counts = host.requestCounts;
  WriteJournal(NowMs(), "end", {Field("initResult", int64_t(host.lastInitResult.load())),
                                Field("requests104", counts[0]), Field("requests105", counts[1]),
                                Field("requests125", counts[2]), Field("requests211", counts[3]),
                                Field("requests212", counts[4])});
  CloseJournal();
  // The window outlives this Host: what it is asked from now on gets the default answer.
  SetWindowLongPtrA(host.mainWindow, GWLP_USERDATA, 0);
  return host.lastInitResult.load() == 0 ? 0 : 5;
}
