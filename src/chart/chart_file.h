// chart_file.h -- the chart file and the block that holds the chart's text.
//
// Defined by chart_file_win32.cpp in the plug-in; native tests link a
// recording fake (tests/fakes/platform_fake.cpp). Host's visualisation
// thread only.
#pragma once

#include <cstdint>

struct Platform;  // platform/platform.h

// The chart file. Opening closes the file opened before, if any; the handle
// is kept until Platform_CloseChartFile or the next open.
// Open: read access, other readers allowed, the file must exist. 1 on success.
int Platform_OpenChartFile(Platform& platform, const char* path);
// Opens the chart file `name` (UTF-8, no folder) in `folder` (ANSI) by its
// wide name, as Platform_OpenChartFile does. A path of 260 or more wide
// characters does not open.
int Platform_OpenChartFileWide(Platform& platform, const char* folder, const char* name);
// Size in bytes of the open chart file (low 32 bits).
uint32_t Platform_ChartFileSize(Platform& platform);
// Reads `size` bytes from the open chart file into `buffer` with one read.
// 1 when all `size` bytes arrived, 0 on a failed or short read.
int Platform_ReadChartFile(Platform& platform, char* buffer, uint32_t size);
// Closes the open chart file, if any.
void Platform_CloseChartFile(Platform& platform);

// One zero-filled block of `size` bytes for the chart text, locked for as
// long as it is held. Null when it cannot be had.
char* Platform_AllocChartBlock(Platform& platform, uint32_t size);
// Unlocks and frees a block from Platform_AllocChartBlock.
void Platform_FreeChartBlock(Platform& platform, char* block);
