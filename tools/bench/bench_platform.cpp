// bench_platform.cpp -- the platform calls answered from memory, for the benchmarks.
#include "bench_platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/chart_worker.h"
#include "base/log_file.h"
#include "base/platform.h"
#include "chart/chart_file.h"
#include "gfx/draw.h"

BenchPlatform bench;

namespace {

const std::string* openFile = nullptr;  // the chart file open, null when none

}  // namespace

int32_t Platform_AskHost(int32_t request) {
  switch (request) {
    case kHostIsPlaying: return 1;
    case kHostPosition: return bench.position;
    default: return 0;
  }
}

const char* Platform_AskHostFileName(int32_t) { return nullptr; }
int Platform_FileTitle(const char*, char*, uint32_t) { return 0; }
int Platform_AskHostWideTitle(int32_t, char*, uint32_t) { return 0; }
void Platform_OpenConfig() {}
void Platform_PassKeyOn(uint32_t, uintptr_t, intptr_t) {}
void Platform_ShowError(const char*) {}
void Platform_WriteLog(const char*, uint32_t) {}

void Draw_MaskedCell(Sheet, int32_t, int32_t, int32_t, int32_t) {}
void Draw_LitTarget(int32_t, int32_t, int32_t, int32_t) {}
void Draw_BannerText(int32_t, int32_t, const char*, int32_t) {}

int Platform_OpenChartFile(const char* path) {
  auto found = bench.files.find(path);
  openFile = found == bench.files.end() ? nullptr : &found->second;
  return openFile != nullptr;
}

int Platform_OpenChartFileWide(const char* folder, const char* name) {
  return Platform_OpenChartFile((std::string(folder) + "\\" + name).c_str());
}

uint32_t Platform_ChartFileSize() { return openFile ? uint32_t(openFile->size()) : 0; }

int Platform_ReadChartFile(char* buffer, uint32_t size) {
  if (openFile == nullptr || size > openFile->size()) return 0;
  std::memcpy(buffer, openFile->data(), size);
  return 1;
}

void Platform_CloseChartFile() { openFile = nullptr; }

// Zeroed, as the system's heap blocks are, so a load touches every page it uses.
char* Platform_AllocChartBlock(uint32_t size) { return static_cast<char*>(std::calloc(size ? size : 1, 1)); }
void Platform_FreeChartBlock(char* block) { std::free(block); }

int Platform_StartMakingChart(int32_t, const char*, const char*, const char*, char (&why)[kMakingTextSize]) {
  std::snprintf(why, sizeof why, "%s", "no chart is made in a benchmark");
  return 0;
}

void Platform_PollMakingChart(MakingReport& report) { report = {Making::kIdle, 0, 0, {}}; }
void Platform_StopMakingChart() {}
