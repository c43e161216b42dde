// scenario.h -- the host harness's scenario file and its playback model.
//
// Portable: parsed and simulated the same way natively (for tests) and in
// the Windows harness. The file format is described in tools/host/README.md.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ActionKind {
  Play, Pause, Stop, Seek, Select, FileName,  // playback model
  KeyDown, KeyRepeat, KeyUp,                  // keys posted to the game window
  Config, Capture, Move, Probe, Paint, Close, // the plug-in and its window
  Init, Quit,                                 // plug-in sessions
  Wait,                                       // let the session run until it ends
  Stall,                                      // the main thread sleeps, answering nothing
  DialogClick, DialogEscape, DialogHover,     // the configuration dialog, as a user
  DialogLeave, DialogProbe, DialogBrowse,     // handles it (`dialog VERB ...`)
  CaptureDialog,
  Resources,                                  // journal the process's objects and memory
  Unfault,                                    // Windows calls succeed again
  Title,                                      // an entry's title changes (a stream's song)
  PadDown, PadUp, PadHat, PadGone,            // the pad joystick 1 answers for (`pad VERB ...`)
};

// `fault NAME [N]`: the plug-in's calls of NAME fail from the Nth on.
struct ScenarioFault {
  std::string name;
  int32_t failFrom = 1;
};
// The Windows functions `fault` can make fail.
constexpr const char* kFaultNames[] = {
    "CreateCompatibleDC", "CreateCompatibleBitmap", "CreateDIBSection", "CreateFontIndirectA",
    "LoadBitmapA",        "LoadImageA",             "CreateWindowExA",  "CreateThread",
    "CreateFileA",        "ReadFile",               "WriteFile",        "WritePrivateProfileStringA",
    "GlobalAlloc",        "CreateFileW",            "acmStreamOpen",    "acmStreamConvert",
    "FlushFileBuffers",   "LoadLibraryW",           "MFStartup",        "MFCreateSourceReaderFromURL",
};

// How long `keypress` holds its key: the KeyUp follows the KeyDown by this.
constexpr int32_t kKeyPressHoldMs = 40;

// The range `frame-ms` accepts.
constexpr int32_t kFrameMsMin = 1;
constexpr int32_t kFrameMsMax = 1000;
// The longest `box-ms` accepts.
constexpr int32_t kBoxMsMax = 60000;
// The highest button `pad down|up` and `autoplay-pad` accept; the hat's
// reading while centred.
constexpr int32_t kPadButtonMax = 32;
constexpr int32_t kPadHatCentred = 0xFFFF;

// The range `stall` accepts.
constexpr int32_t kStallMsMin = 1;
constexpr int32_t kStallMsMax = 60000;
// The control ids `dialog click|hover|leave` accept.
constexpr int32_t kControlIdMax = 0xFFFF;

// Which thread calls Init, Render and Quit (`host-thread vis|main`): a
// visualisation thread of their own, as the player does (the default), or
// the main thread, which owns the main window, as other hosts do.
constexpr int32_t kHostThreadVis = 0;
constexpr int32_t kHostThreadMain = 1;

struct ScenarioAction {
  int32_t atMs = 0;      // time since the harness started
  ActionKind kind = ActionKind::Play;
  int32_t first = 0;     // seek position, entry, key code, x, stall ms, control id, pad button, hat
  int32_t second = 0;    // y
  std::string text;      // capture or capture-dialog file, title
  int line = 0;          // line in the scenario file
};

struct Scenario {
  std::vector<std::string> playlist;   // file names, in order
  // `sound WAV` after a `playlist` line: by entry, the WAV file whose samples
  // the player hands the plug-in while the entry plays; "" for none. As long
  // as `playlist`.
  std::vector<std::string> sounds;
  std::vector<ScenarioAction> actions; // sorted by time, file order kept
  int32_t frameMs = 0;                 // Render interval; 0 uses the module's delayMs
  int32_t boxMs = 0;                   // how long a message box stays open before OK
  int32_t hostThread = kHostThreadVis; // kHostThreadVis or kHostThreadMain
  int32_t wideNames = 1;               // request 214 answered (1) or not (0)
  int32_t requestJournal = 1;          // a journal line per request (1) or none (0)
  // Request 335, the player's settings folder: answered with this folder,
  // or with the harness's working folder when empty; not answered when
  // `answerSettingsFolder` is false ("settings-folder none").
  std::string settingsFolder;
  bool answerSettingsFolder = true;
  // `autoplay CHART LEVEL`: a perfect player presses the keys, following
  // CHART (the chart file the plug-in plays) at LEVEL; "" for none.
  std::string autoplayChart;
  int32_t autoplayLevel = 0;
  // `autoplay-live LOGFILE`: a perfect player presses the keys for the
  // arrows the plug-in's event log LOGFILE says it spawned live; "" for none.
  // Never together with `autoplay`.
  std::string autoplayLive;
  // `autoplay-late MS`: the autoplayer presses MS ms after each arrow
  // reaches the target row (before it when negative), as a player whose
  // sound comes late; -500..500.
  int32_t autoplayLateMs = 0;
  // `autoplay-keys K1,K2,K3,K4`: the keys it presses for the four lanes,
  // as key names of `key` actions; the cursor keys unless given.
  int32_t autoplayKeys[4] = {0x25, 0x28, 0x26, 0x27};
  // `autoplay-pad [B,B,B,B]`: the autoplayer presses the pad's buttons B
  // (1-based, for left, down, up, right) instead of the keys, the pad
  // plugged in from Init on.
  bool autoplayPad = false;
  int32_t autoplayPadButtons[4] = {1, 2, 3, 4};
  // `record FOLDER`: the game window saved every kRecordFrameMs while the
  // session runs, as FOLDER\frame00000.bmp, ...; "" for none.
  std::string recordFolder;
  // `audio FILE`: a WAV file played from `play` on, as the song's sound; "" for none.
  std::string audioFile;
  std::vector<ScenarioFault> faults;
};

// How often `record` saves the game window: 25 frames a second.
constexpr int32_t kRecordFrameMs = 40;

// Parses a scenario. Returns true and fills `scenario`, or false with
// `error` naming the line and what is wrong with it. A `keypress` line
// becomes a KeyDown at its time and a KeyUp kKeyPressHoldMs later, both
// carrying the line's number. A `title` line must name a playlist entry.
bool ParseScenario(const std::string& text, Scenario& scenario, std::string& error);

// Virtual-key code for a key name: LEFT, RIGHT, UP, DOWN, SPACE, RETURN,
// ESCAPE, a letter or digit, or a number (decimal or 0x hex). -1 if unknown.
int32_t KeyCodeByName(const std::string& name);

// The lParam a keyboard driver gives a key message: repeat count 1, the
// key's scan code and extended flag, bit 30 the previous key state and bit
// 31 the transition state.
int64_t KeyMessageData(int32_t keyCode, ActionKind kind);

// The pad the harness plays the part of, as joystick 1 answers: whether it
// is plugged in, its buttons (bit n for button n + 1) and its hat (hundredths
// of a degree clockwise from up, kPadHatCentred when centred).
struct PadModel {
  bool present = false;
  uint32_t buttons = 0;
  uint32_t hat = kPadHatCentred;
  bool operator==(const PadModel& other) const {
    return present == other.present && buttons == other.buttons && hat == other.hat;
  }
};

// Applies a pad action (PadDown, PadUp, PadHat, PadGone). PadGone unplugs
// the pad; any other action on an unplugged pad first plugs it in with no
// button pressed and the hat centred.
void ApplyPadAction(PadModel& pad, const ScenarioAction& action);

// The player's playback state as the requests see it.
enum class PlayState { Stopped, Playing, Paused };

struct Playback {
  PlayState state = PlayState::Stopped;
  int32_t position = 0;      // ms, at `sinceMs` (while playing) or frozen
  int64_t sinceMs = 0;       // clock time `position` was taken at
  int32_t entry = 0;         // current playlist entry
  bool nullFileName = false; // request 211 answers null
};

// Applies a playback action (Play, Pause, Stop, Seek, Select, FileName) at
// clock time `nowMs`.
void ApplyPlaybackAction(Playback& playback, const ScenarioAction& action, int64_t nowMs);

// Answer to request 104: 1 playing, 3 paused, 0 stopped.
int32_t IsPlayingAnswer(const Playback& playback);
// Answer to request 105: the position in ms, running with the clock while
// playing; -1 while stopped, as the player answers.
int32_t PositionAnswer(const Playback& playback, int64_t nowMs);
// The title the player shows for a playlist name before a stream says
// otherwise: a stream's (a name with "://") whole name, else the file name's
// last path part without its extension.
std::string FileTitle(const std::string& name);

// Answer to request 211 for `entry`: the file name, or null when the entry
// is out of range or null names were asked for.
const char* FileNameAnswer(const Playback& playback, const Scenario& scenario, int64_t entry);
