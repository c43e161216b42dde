// bench_platform.cpp -- the platform calls answered from memory, for the benchmarks.
#include "bench_platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chart/chart_file.h"
#include "gfx/draw.h"
#include "log/log_file.h"
#include "platform/chart_worker.h"
#include "platform/platform.h"
#include "scores/scores_file.h"

int32_t Platform_AskHost(Platform& platform, int32_t request) {
  switch (request) {
    case kHostIsPlaying: return 1;
    case kHostPosition: return platform.position;
    default: return 0;
  }
}

const char* Platform_AskHostFileName(Platform&, int32_t) { return nullptr; }
int Platform_AskHostEntryTitle(Platform&, int32_t, char*, uint32_t) { return 0; }
int Platform_FileTitle(Platform&, const char*, char*, uint32_t) { return 0; }
int Platform_AskHostWideTitle(Platform&, int32_t, char*, uint32_t) { return 0; }
void Platform_OpenConfig(Platform&) {}
void Platform_PassKeyOn(Platform&, uint32_t, uintptr_t, intptr_t) {}
void Platform_ShowError(Platform&, const char*) {}
void Platform_WriteLog(const char*, uint32_t) {}

void Draw_MaskedCell(Canvas&, Sheet, int32_t, int32_t, int32_t, int32_t) {}
void Draw_LitTarget(Canvas&, int32_t, int32_t, int32_t, int32_t) {}
void Draw_BannerText(Canvas&, int32_t, int32_t, const char*, int32_t) {}
void Draw_SmallText(Canvas&, int32_t, int32_t, const char*, int32_t) {}
bool Platform_ReadScores(Platform&, const Settings&, std::string& text) {
  text.clear();
  return false;
}
bool Platform_ReplaceScores(Platform&, const Settings&, const std::string&) { return true; }

int Platform_OpenChartFile(Platform& platform, const char* path) {
  auto found = platform.files.find(path);
  platform.openFile = found == platform.files.end() ? nullptr : &found->second;
  return platform.openFile != nullptr;
}

int Platform_OpenChartFileWide(Platform& platform, const char* folder, const char* name) {
  return Platform_OpenChartFile(platform, (std::string(folder) + "\\" + name).c_str());
}

uint32_t Platform_ChartFileSize(Platform& platform) {
  return platform.openFile ? uint32_t(platform.openFile->size()) : 0;
}

int Platform_ReadChartFile(Platform& platform, char* buffer, uint32_t size) {
  if (platform.openFile == nullptr || size > platform.openFile->size()) return 0;
  std::memcpy(buffer, platform.openFile->data(), size);
  return 1;
}

void Platform_CloseChartFile(Platform& platform) { platform.openFile = nullptr; }

// Zeroed, as the system's heap blocks are, so a load touches every page it uses.
char* Platform_AllocChartBlock(Platform&, uint32_t size) { return static_cast<char*>(std::calloc(size ? size : 1, 1)); }
void Platform_FreeChartBlock(Platform&, char* block) { std::free(block); }

int Platform_StartMakingChart(Platform&, const Settings&, int32_t, const char*, const char*, const char*, char (&why)[kMakingTextSize]) {
  std::snprintf(why, sizeof why, "%s", "no chart is made in a benchmark");
  return 0;
}

void Platform_PollMakingChart(Platform&, MakingReport& report) { report = {Making::kIdle, 0, 0, {}}; }
void Platform_StopMakingChart(Platform&) {}
