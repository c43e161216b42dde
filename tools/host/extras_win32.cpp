// extras_win32.cpp -- the harness's autoplayer, frame recording and the song's sound.
#include "extras_win32.h"

#include <windows.h>  // before mmsystem.h

#include <mmsystem.h>

#include <cstdio>
#include <string>

#include "autoplay.h"
#include "host_win32.h"
#include "faults_win32.h"
#include "journal.h"
#include "pad_win32.h"
#include "vis_session_win32.h"
#include "watch_win32.h"

namespace {

// Session-thread state: one session at a time.
AutoPlayer player;
bool autoplaying;
bool awaitingChart;  // the autoplayer waits for the plug-in to open its chart
// autoplay-live: how much of the plug-in's event log has been read, and the
// line it was in the middle of.
int64_t liveLogRead;
LiveLogLines liveLines;
int64_t recordStartMs;
int32_t recordedFrames;
char lastRecordedFrame[MAX_PATH];

// Each press is journalled with the song's position, where the arrow it
// is for reached the target row.
void JournalPress(const Host& host, int lane) {
  WriteJournal(NowMs(), "autoplay-press",
               {Field("lane", int64_t(lane)), Field("position", int64_t(host.lastPosition.load()))});
}

// autoplay-pad: the lanes' buttons down until the next frame, when the
// ones held are let go.
void PressPadButtons(const Host& host, uint8_t lanes) {
  uint32_t buttons = 0;
  for (int n = 0; n < 4; ++n) {
    if (!(lanes & (1u << n))) continue;
    buttons |= 1u << (host.scenario.autoplayPadButtons[n] - 1);
    JournalPress(host, n);
  }
  HoldAutoplayButtons(buttons);
}

void PressLanes(const Host& host, uint8_t lanes) {
  if (host.scenario.autoplayPad) return PressPadButtons(host, lanes);
  if (lanes == 0) return;  // most frames: no window search
  HWND game = FindGameWindow(host);
  for (int n = 0; n < 4; ++n) {
    if (!(lanes & (1u << n)) || game == nullptr) continue;
    int32_t key = host.scenario.autoplayKeys[n];
    PostMessageA(game, WM_KEYDOWN, WPARAM(key), LPARAM(KeyMessageData(key, ActionKind::KeyDown)));
    PostMessageA(game, WM_KEYUP, WPARAM(key), LPARAM(KeyMessageData(key, ActionKind::KeyUp)));
    JournalPress(host, n);
  }
}

// Saves the frames due by now; frames a slow Render skipped repeat the
// last one, so the recording keeps the song's pace.
void RecordFrames(const Host& host) {
  int32_t due = int32_t((NowMs() - recordStartMs) / kRecordFrameMs);
  if (recordedFrames > due) return;  // most frames: none due, no window search
  HWND game = FindGameWindow(host);
  while (recordedFrames <= due && game != nullptr) {
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s\\frame%05d.bmp", host.scenario.recordFolder.c_str(), int(recordedFrames));
    int width = 0, height = 0;
    if (recordedFrames == due || lastRecordedFrame[0] == '\0') {
      if (!SaveClientBmp(game, path, width, height)) return;
      std::snprintf(lastRecordedFrame, sizeof lastRecordedFrame, "%s", path);
    } else if (!CopyFileA(lastRecordedFrame, path, FALSE)) {
      return;
    }
    ++recordedFrames;
  }
}

// Loads the autoplayer's chart and journals how that went.
void StartAutoplay(const Scenario& scenario) {
  std::string bytes, error;
  if (!ReadWholeFile(scenario.autoplayChart, bytes)) error = "cannot read " + scenario.autoplayChart;
  autoplaying = error.empty() && player.Load(bytes, scenario.autoplayLevel, error);
  player.SetLateMs(scenario.autoplayLateMs);
  WriteJournal(NowMs(), "autoplay", {Field("chart", scenario.autoplayChart.c_str()),
                                     Field("level", int64_t(scenario.autoplayLevel)),
                                     Field("error", error.empty() ? nullptr : error.c_str())});
}

// The live arrows of the lines the plug-in's event log at `path` gained
// since the last read. A log shorter than what was read has been made
// again: read from its start. No log yet: nothing.
std::vector<LiveArrow> ReadLiveArrows(const std::string& path) {
  std::vector<LiveArrow> arrows;
  // The plug-in keeps the log open for writing, and empties it at Init.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return arrows;
  LARGE_INTEGER size = {}, at = {};
  if (GetFileSizeEx(file, &size) && size.QuadPart < liveLogRead) {
    liveLogRead = 0;
    liveLines.Restart();
  }
  at.QuadPart = liveLogRead;
  char bytes[4096];
  DWORD got = 0;
  if (SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
    while (ReadFile(file, bytes, sizeof bytes, &got, nullptr) && got > 0) {
      liveLogRead += got;
      liveLines.Push(bytes, got, arrows);
    }
  }
  CloseHandle(file);
  return arrows;
}

// Follows the live arrows of `path` from its start, as the session's Init has just made it again.
void StartLiveAutoplay(const std::string& path) {
  player.LoadLive();
  autoplaying = true;
  liveLogRead = 0;
  liveLines.Restart();
  WriteJournal(NowMs(), "autoplay", {Field("live", path.c_str())});
}

}  // namespace

void BeginSessionExtras(const Host& host) {
  autoplaying = false;
  awaitingChart = false;
  const Scenario& scenario = host.scenario;
  if (!scenario.autoplayChart.empty()) {
    // A chart the plug-in is still to make: followed from the frame on which
    // the plug-in opens it, as the game starts playing it then.
    if (GetFileAttributesA(scenario.autoplayChart.c_str()) == INVALID_FILE_ATTRIBUTES) {
      awaitingChart = true;
      WatchPluginOpening(scenario.autoplayChart);
      WriteJournal(NowMs(), "autoplay-waits", {Field("chart", scenario.autoplayChart.c_str())});
    } else {
      StartAutoplay(scenario);
    }
  }
  if (!scenario.autoplayLive.empty()) StartLiveAutoplay(scenario.autoplayLive);
  if (scenario.autoplayPad) PlugInPad();
  recordStartMs = NowMs();
  recordedFrames = 0;
  lastRecordedFrame[0] = '\0';
}

void AfterRender(const Host& host, int32_t intervalMs) {
  if (awaitingChart && PluginOpenedWatchedFile()) {
    awaitingChart = false;
    StartAutoplay(host.scenario);
  }
  if (autoplaying && !host.scenario.autoplayLive.empty()) {
    for (const LiveArrow& arrow : ReadLiveArrows(host.scenario.autoplayLive)) player.Spawn(arrow.step);
  }
  if (autoplaying) PressLanes(host, player.Frame(host.lastPosition.load(), intervalMs));
  if (!host.scenario.recordFolder.empty()) RecordFrames(host);
}

void EndSessionExtras(const Host& host) {
  if (autoplaying) WriteJournal(NowMs(), "autoplay-end", {Field("arrows", int64_t(player.arrowsSpawned()))});
  if (!host.scenario.recordFolder.empty()) {
    WriteJournal(NowMs(), "recorded", {Field("frames", int64_t(recordedFrames))});
  }
}

void PlaySongAudio(const Host& host, const ScenarioAction& action) {
  const std::string& file = host.scenario.audioFile;
  if (file.empty()) return;
  bool starts = action.kind == ActionKind::Play && host.playback.state == PlayState::Stopped;
  bool ends = action.kind == ActionKind::Stop || action.kind == ActionKind::Pause;
  if (!starts && !ends) return;
  // Without a sound device PlaySound fails and the song runs silently.
  BOOL ok = starts ? PlaySoundA(file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT)
                   : PlaySoundA(nullptr, nullptr, 0);
  WriteJournal(NowMs(), "audio", {Field("playing", int64_t(starts)), Field("ok", int64_t(ok != FALSE))});
}
