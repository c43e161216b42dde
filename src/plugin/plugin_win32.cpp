// plugin_win32.cpp -- the export, the host records, and Init, Quit and Config.
#include "plugin/plugin_win32.h"

#include <type_traits>

#include "base/chart_worker.h"
#include "base/event_log.h"
#include "base/log_file.h"
#include "base/module_win32.h"
#include "base/settings_win32.h"
#include "chart/chart_loader.h"
#include "config/config_dialog_win32.h"
#include "flame/flame_surfaces_win32.h"
#include "flame/flame_thread_win32.h"
#include "gfx/surfaces_win32.h"
#include "play/frame_pass.h"
#include "play/frame_pass_win32.h"
#include "plugin/game_window_win32.h"

namespace {

winampVisModule* __cdecl getModule(int index);

char moduleDescription[] = "Stompara for Winamp";
char headerDescription[] = "Stompara for Winamp v1.1";

winampVisModule visModule = {
    moduleDescription, nullptr, nullptr, 0, 0,
    /*latencyMs*/ 0, /*delayMs*/ kPlayerFrameMs, /*spectrumNch*/ 0, /*waveformNch*/ 0,
    {}, {}, Config, Init, Render, Quit, nullptr,
};

winampVisHeader visHeader = {kVisHeaderVersion, headerDescription, getModule};

// The player calls every entry point cdecl; on 32-bit x86 a stdcall one
// would leave its stack unbalanced.
static_assert(std::is_same_v<decltype(&Config), decltype(winampVisModule::Config)>, "cdecl");
static_assert(std::is_same_v<decltype(&Init), decltype(winampVisModule::Init)>, "cdecl");
static_assert(std::is_same_v<decltype(&Render), decltype(winampVisModule::Render)>, "cdecl");
static_assert(std::is_same_v<decltype(&Quit), decltype(winampVisModule::Quit)>, "cdecl");
static_assert(std::is_same_v<decltype(&getModule), decltype(winampVisHeader::getModule)>, "cdecl");

winampVisModule* __cdecl getModule(int index) {
  return index == 0 ? &visModule : nullptr;
}

}  // namespace

extern "C" __declspec(dllexport) winampVisHeader* __cdecl winampVisGetHeader(void) {
  return &visHeader;
}
static_assert(std::is_same_v<decltype(&winampVisGetHeader), winampVisGetHeaderType>, "cdecl");

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) moduleInstance = instance;
  return TRUE;
}

int __cdecl Init(winampVisModule* module) {
  ChooseSettingsFolder(module);
  ReadSettings(module);
  if (WRITE_LOG != 0 && !OpenLog()) {
    MessageBoxA(nullptr, "Log file create failed!", "Error", MB_OK | MB_ICONERROR);
    return 1;
  }
  WriteLogLine("Event log started.");
  if (!CreateGameWindow(module)) {
    // The host calls no Quit after a failed Init: let go of the log here,
    // or the file stays open for as long as the host runs.
    CloseLog();
    return 1;
  }

  MakeBackBuffer(gameWindow);
  MakeSpriteSheets();
  MakeFlameSurfaces(gameWindow);
  WriteLogLine("Flame stuf created.");
  StartFlameThread(module->hwndParent);
  MakeBannerFont();
  ShowWindow(gameWindow, SW_SHOWNORMAL);
  WriteLogLine("Window visible now.");
  ForgetSong();
  StartFrameClock();
  return 0;
}

int __cdecl Render(winampVisModule* module) {
  // Without a game window (a Render after Quit) there is nothing to draw
  // on: GetDC would hand out the whole screen.
  if (gameWindow == nullptr) return 1;
  return RunFramePass(gameWindow, module->hwndParent);
}

void __cdecl Quit(winampVisModule* module) {
  Platform_StopMakingChart();
  ReleaseStepChart();
  WriteSettings(module);
  FreeBannerFont();
  FreeSurfaces();
  StopFlameThread();
  ReleaseFlameSurfaces();
  WriteLogLine("Flame DC and bitmap deleted.");
  DestroyGameWindow(module);
  WriteLogLine("Main frame destroyed.");
  WriteLogLine("Event log shut down.");
  CloseLog();  // also a log that Config's re-read has since switched off
}

void __cdecl Config(winampVisModule* module) {
  ReadSettings(module);
  // A dialog that cannot be shown answers -1: the values just read are
  // written back unchanged.
  if (ShowConfigDialog(module->hDllInstance, module->hwndParent) != 0) WriteSettings(module);
}
