// vis_header_win32.h -- the player's visualisation plug-in records.
//
// Layouts and calling convention are the player's: fields in this order, all
// callbacks cdecl. The host harness includes this file too.
#pragma once

#include <windows.h>

#include <cstddef>

struct winampVisModule {
  char* description;   // filled by the plug-in
  HWND hwndParent;     // filled by the host: its main window
  HINSTANCE hDllInstance;  // filled by the host: this module's instance
  int sRate;
  int nCh;
  int latencyMs;       // filled by the plug-in
  int delayMs;         // filled by the plug-in: ms between Render calls
  int spectrumNch;
  int waveformNch;
  unsigned char spectrumData[2][576];
  unsigned char waveformData[2][576];
  void(__cdecl* Config)(winampVisModule* module);
  int(__cdecl* Init)(winampVisModule* module);    // 0 running, 1 failed
  int(__cdecl* Render)(winampVisModule* module);  // 0 go on, nonzero end
  void(__cdecl* Quit)(winampVisModule* module);
  void* userData;
};

struct winampVisHeader {
  int version;
  char* description;
  winampVisModule*(__cdecl* getModule)(int index);
};

typedef winampVisHeader*(__cdecl* winampVisGetHeaderType)(void);

constexpr int kVisHeaderVersion = 0x100;

// The layouts the player expects, for both widths.
#if defined(_WIN64)
static_assert(offsetof(winampVisModule, hwndParent) == 8, "record layout");
static_assert(offsetof(winampVisModule, sRate) == 24, "record layout");
static_assert(offsetof(winampVisModule, delayMs) == 36, "record layout");
static_assert(offsetof(winampVisModule, spectrumData) == 48, "record layout");
static_assert(offsetof(winampVisModule, waveformData) == 1200, "record layout");
static_assert(offsetof(winampVisModule, Config) == 2352, "record layout");
static_assert(offsetof(winampVisModule, Quit) == 2376, "record layout");
static_assert(offsetof(winampVisModule, userData) == 2384, "record layout");
static_assert(sizeof(winampVisModule) == 2392, "record layout");
static_assert(offsetof(winampVisHeader, description) == 8, "record layout");
static_assert(offsetof(winampVisHeader, getModule) == 16, "record layout");
#else
static_assert(offsetof(winampVisModule, description) == 0, "record layout");
static_assert(offsetof(winampVisModule, hwndParent) == 4, "record layout");
static_assert(offsetof(winampVisModule, hDllInstance) == 8, "record layout");
static_assert(offsetof(winampVisModule, sRate) == 12, "record layout");
static_assert(offsetof(winampVisModule, nCh) == 16, "record layout");
static_assert(offsetof(winampVisModule, latencyMs) == 20, "record layout");
static_assert(offsetof(winampVisModule, delayMs) == 24, "record layout");
static_assert(offsetof(winampVisModule, spectrumNch) == 28, "record layout");
static_assert(offsetof(winampVisModule, waveformNch) == 32, "record layout");
static_assert(offsetof(winampVisModule, spectrumData) == 36, "record layout");
static_assert(offsetof(winampVisModule, waveformData) == 1188, "record layout");
static_assert(offsetof(winampVisModule, Config) == 2340, "record layout");
static_assert(offsetof(winampVisModule, Init) == 2344, "record layout");
static_assert(offsetof(winampVisModule, Render) == 2348, "record layout");
static_assert(offsetof(winampVisModule, Quit) == 2352, "record layout");
static_assert(offsetof(winampVisModule, userData) == 2356, "record layout");
static_assert(sizeof(winampVisModule) == 2360, "record layout");
static_assert(offsetof(winampVisHeader, version) == 0, "record layout");
static_assert(offsetof(winampVisHeader, description) == 4, "record layout");
static_assert(offsetof(winampVisHeader, getModule) == 8, "record layout");
static_assert(sizeof(winampVisHeader) == 12, "record layout");
#endif
