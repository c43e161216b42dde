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

struct FakePlatform {
  // Host answers.
  int32_t isPlaying = 1;
  int32_t position = 0;
  int32_t playlistIndex = 0;
  std::map<int32_t, std::string> fileNames;  // entry -> name; missing = null
  // Every request asked, in order (104, 105, 125, 211).
  std::vector<int32_t> requests;

  // Event log: every write, as the bytes written.
  std::vector<std::string> logWrites;
  // Message boxes shown, by text.
  std::vector<std::string> errorBoxes;

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
};

extern FakePlatform fake;

void FakePlatform_Reset();

// The log's lines, each without its CR LF.
std::vector<std::string> FakePlatform_LogLines();
