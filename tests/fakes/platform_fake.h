// platform_fake.h -- a recording stand-in for the platform, for native tests.
//
// Tests set the host's answers and the chart files, run the game code, then
// read back what it asked, logged and showed. FakePlatform_Reset() puts
// everything back to its starting state; call it at the start of each test.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "log/event_log.h"
#include "platform/chart_worker.h"
#include "play/game.h"
#include "settings/settings.h"

// The fake's platform and canvas: the recorder below stands behind both.
struct Platform {};
struct Canvas {};

// One drawing call into the back buffer, as the field pass or banner made it.
struct DrawCall {
  char kind;          // 'M' masked cell, 'L' lit target, 'T' banner text
  int32_t sheet;      // masked cells: 0 arrows, 1 targets
  int32_t sourceX, sourceY, x, y;
  int32_t size;       // lit target's edge
  std::string text;   // banner text
  bool operator==(const DrawCall& other) const {
    return kind == other.kind && sheet == other.sheet && sourceX == other.sourceX &&
           sourceY == other.sourceY && x == other.x && y == other.y && size == other.size &&
           text == other.text;
  }
};

// A key message passed on to the host's main window.
struct PassedKey {
  uint32_t message;
  uintptr_t key;
  intptr_t keyData;
  bool operator==(const PassedKey& other) const {
    return message == other.message && key == other.key && keyData == other.keyData;
  }
};

struct FakePlatform {
  // Host answers.
  int32_t isPlaying = 1;
  int32_t position = 0;
  int32_t playlistIndex = 0;
  std::map<int32_t, std::string> fileNames;  // entry -> name; missing = null
  std::map<int32_t, std::string> entryTitles;  // entry -> request 212's title; missing = none
  // Every request asked, in order (104, 105, 125, 211).
  std::vector<int32_t> requests;

  // Wide names (request 214) by entry, as UTF-8; missing = not answered.
  std::map<int32_t, std::string> wideFileNames;
  // File titles: the name after its last backslash, unless this is set.
  bool fileTitleFails = false;
  // Config callbacks the game opened.
  int configCalls = 0;
  // Keys passed on to the host, and drawing calls, in order.
  std::vector<PassedKey> passedKeys;
  std::vector<DrawCall> draws;

  // Event log: every write, as the bytes written.
  std::vector<std::string> logWrites;
  // Message boxes shown, by text.
  std::vector<std::string> errorBoxes;

  // Scores.ini: its text, whether it is there, whether it can be replaced.
  std::string scoresFile;
  bool scoresFileThere = false;
  bool scoresWritable = true;

  // Chart files by path; a path not here fails to open.
  std::map<std::string, std::string> files;
  bool readFails = false;          // the read call fails
  int32_t shortReadBy = 0;         // the read delivers this many bytes fewer
  bool allocFails = false;         // block allocation fails
  std::vector<std::string> openedPaths;
  std::string openFile;            // path of the open file, "" when none
  bool fileOpen = false;
  int closes = 0;

  // Chart blocks held: address -> size. Freed blocks leave this map.
  std::map<const char*, uint32_t> blocks;
  std::vector<std::string> blockEvents;  // "alloc N", "free N" in order

  // Chart making: each start's file name, whether starts succeed (else
  // `makingWhy`), what a poll reports, and how often the work was stopped.
  std::vector<std::string> makingStarts;
  bool makingStartFails = false;
  std::string makingWhy = "no worker thread can be started";
  MakingReport making = {Making::kBusy, 0, 0, {}};
  int makingStops = 0;
};

extern FakePlatform fake;
extern Platform fakePlatform;
extern Canvas fakeCanvas;

// The game and settings the tests play on, wired to the fake platform and
// canvas.
extern Settings testSettings;
extern Game testGame;

// Puts the fake back to its starting state. Leaves the test game alone.
void FakePlatform_Reset();
// A new test game and settings as at load time, wired to the fake (log
// lines off). Frees nothing the old game held.
void ResetTestGame();
// What a flame thread of the test game works on.
FlameWork TestFlameWork();

// The log's lines, each without its CR LF.
std::vector<std::string> FakePlatform_LogLines();
