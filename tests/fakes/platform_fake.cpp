// platform_fake.cpp -- recording platform functions for native tests.
#include "fakes/platform_fake.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "chart/chart_file.h"
#include "gfx/draw.h"
#include "log/event_log.h"
#include "log/log_file.h"
#include "scores/scores_file.h"
#include "platform/platform.h"

FakePlatform fake;
Platform fakePlatform;
Canvas fakeCanvas;
Settings testSettings;
Game testGame;

namespace {

bool WireTestGame() {
  WireGame(testGame, fakePlatform, fakeCanvas, testSettings);
  return true;
}

// Wired before any test runs, as Init wires the plug-in's.
const bool testGameWired = WireTestGame();

}  // namespace

void ResetTestGame() {
  testGame.~Game();
  new (&testGame) Game();
  testSettings.~Settings();
  new (&testSettings) Settings();
  WireTestGame();
  SetLogLinesOn(false);
}

FlameWork TestFlameWork() {
  return {&testGame.fire, &testGame.flameBuffers, &testGame.flame, &testSettings.showFlame,
          &testGame.clock.sampledPosition};
}

void FakePlatform_Reset() {
  for (auto& block : fake.blocks) std::free(const_cast<char*>(block.first));
  fake = FakePlatform{};
}

std::vector<std::string> FakePlatform_LogLines() {
  std::vector<std::string> lines;
  for (const std::string& write : fake.logWrites) {
    std::string line = write;
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
      line.resize(line.size() - 2);
    lines.push_back(line);
  }
  return lines;
}

int32_t Platform_AskHost(Platform&, int32_t request) {
  fake.requests.push_back(request);
  switch (request) {
    case kHostIsPlaying: return fake.isPlaying;
    case kHostPosition: return fake.position;
    case kHostPlaylistIndex: return fake.playlistIndex;
    default: return 0;
  }
}

const char* Platform_AskHostFileName(Platform&, int32_t entry) {
  fake.requests.push_back(kHostEntryFileName);
  auto found = fake.fileNames.find(entry);
  return found == fake.fileNames.end() ? nullptr : found->second.c_str();
}

int Platform_AskHostEntryTitle(Platform&, int32_t entry, char* title, uint32_t size) {
  fake.requests.push_back(kHostEntryTitle);
  auto found = fake.entryTitles.find(entry);
  if (found == fake.entryTitles.end() || found->second.empty() || found->second.size() >= size) return 0;
  std::memcpy(title, found->second.c_str(), found->second.size() + 1);
  return 1;
}

int Platform_FileTitle(Platform&, const char* fileName, char* title, uint32_t size) {
  if (fake.fileTitleFails) return 0;
  // As the system's, either slash ends the folder.
  const char* slash = std::max(std::strrchr(fileName, '\\'), std::strrchr(fileName, '/'));
  std::string name = slash ? slash + 1 : fileName;
  if (name.size() >= size) return 0;
  std::memcpy(title, name.c_str(), name.size() + 1);
  return 1;
}

int Platform_AskHostWideTitle(Platform& platform, int32_t entry, char* title, uint32_t size) {
  fake.requests.push_back(214);
  auto found = fake.wideFileNames.find(entry);
  return found != fake.wideFileNames.end() && Platform_FileTitle(platform, found->second.c_str(), title, size);
}

int Platform_OpenChartFileWide(Platform& platform, const char* folder, const char* name) {
  return Platform_OpenChartFile(platform, (std::string(folder) + "\\" + name).c_str());
}

void Platform_OpenConfig(Platform&) { ++fake.configCalls; }

void Platform_PassKeyOn(Platform&, uint32_t message, uintptr_t key, intptr_t keyData) {
  fake.passedKeys.push_back({message, key, keyData});
}

void Draw_MaskedCell(Canvas&, Sheet sheet, int32_t sourceX, int32_t sourceY, int32_t x, int32_t y) {
  fake.draws.push_back({'M', int32_t(sheet), sourceX, sourceY, x, y, 0, ""});
}

void Draw_LitTarget(Canvas&, int32_t sourceX, int32_t x, int32_t y, int32_t size) {
  fake.draws.push_back({'L', 0, sourceX, 32, x, y, size, ""});
}

void Draw_BannerText(Canvas&, int32_t x, int32_t y, const char* text, int32_t length) {
  fake.draws.push_back({'T', 0, 0, 0, x, y, 0, std::string(text, size_t(length))});
}

void Draw_SmallText(Canvas&, int32_t x, int32_t y, const char* text, int32_t length) {
  fake.draws.push_back({'S', 0, 0, 0, x, y, 0, std::string(text, size_t(length))});
}

bool Platform_ReadScores(Platform&, const Settings&, std::string& text) {
  text = fake.scoresFile;
  return fake.scoresFileThere;
}

bool Platform_ReplaceScores(Platform&, const Settings&, const std::string& text) {
  if (!fake.scoresWritable) return false;
  fake.scoresFile = text;
  fake.scoresFileThere = true;
  return true;
}

void Platform_WriteLog(const char* bytes, uint32_t count) {
  fake.logWrites.emplace_back(bytes, count);
}

void Platform_ShowError(Platform&, const char* text) { fake.errorBoxes.emplace_back(text); }

int Platform_OpenChartFile(Platform& platform, const char* path) {
  Platform_CloseChartFile(platform);
  fake.openedPaths.emplace_back(path);
  if (fake.files.count(path) == 0) return 0;
  fake.openFile = path;
  fake.fileOpen = true;
  return 1;
}

uint32_t Platform_ChartFileSize(Platform&) {
  return fake.fileOpen ? uint32_t(fake.files[fake.openFile].size()) : 0;
}

int Platform_ReadChartFile(Platform&, char* buffer, uint32_t size) {
  if (!fake.fileOpen || fake.readFails) return 0;
  const std::string& bytes = fake.files[fake.openFile];
  uint32_t available = uint32_t(bytes.size());
  uint32_t delivered = size <= available ? size : available;
  if (fake.shortReadBy > 0)
    delivered = uint32_t(fake.shortReadBy) >= delivered ? 0 : delivered - uint32_t(fake.shortReadBy);
  std::memcpy(buffer, bytes.data(), delivered);
  return delivered == size ? 1 : 0;
}

void Platform_CloseChartFile(Platform&) {
  if (!fake.fileOpen) return;
  fake.fileOpen = false;
  fake.openFile.clear();
  ++fake.closes;
}

char* Platform_AllocChartBlock(Platform&, uint32_t size) {
  if (fake.allocFails) return nullptr;
  // Exactly `size` bytes (one for an empty request), so ASan catches any
  // read past the block.
  char* block = static_cast<char*>(std::calloc(size ? size : 1, 1));
  if (block == nullptr) return nullptr;
  fake.blocks[block] = size;
  fake.blockEvents.push_back("alloc " + std::to_string(size));
  return block;
}

void Platform_FreeChartBlock(Platform&, char* block) {
  auto found = fake.blocks.find(block);
  if (found == fake.blocks.end()) return;
  fake.blockEvents.push_back("free " + std::to_string(found->second));
  fake.blocks.erase(found);
  std::free(block);
}

int Platform_StartMakingChart(Platform&, const Settings&, int32_t, const char* fileName, const char*, const char*, char (&why)[kMakingTextSize]) {
  fake.makingStarts.emplace_back(fileName);
  if (!fake.makingStartFails) return 1;
  std::snprintf(why, sizeof why, "%s", fake.makingWhy.c_str());
  return 0;
}

void Platform_PollMakingChart(Platform&, MakingReport& report) { report = fake.making; }

void Platform_StopMakingChart(Platform&) { ++fake.makingStops; }
