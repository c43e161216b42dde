// plugin_win32.cpp -- the export, the host records, and Init, Quit and Config.
#include "plugin/plugin_win32.h"

#include <cstring>
#include <type_traits>

#include "chart/chart_loader.h"
#include "config/config_dialog_win32.h"
#include "flame/flame_surfaces_win32.h"
#include "flame/flame_thread_win32.h"
#include "gfx/surfaces_win32.h"
#include "host/module_win32.h"
#include "log/event_log.h"
#include "log/log_file.h"
#include "platform/chart_worker.h"
#include "play/frame_pass.h"
#include "play/frame_pass_win32.h"
#include "play/pad_win32.h"
#include "plugin/game_window_win32.h"
#include "settings/settings_win32.h"

namespace {

winampVisModule* __cdecl getModule(int index);

// The host keeps the module record for as long as the module is loaded, and
// hands it to every callback; the plug-in lives beside it.
Plugin plugin;

char moduleDescription[] = "Stompara for Winamp";
char headerDescription[] = "Stompara for Winamp v1.1";

winampVisModule visModule = {
    moduleDescription, nullptr, nullptr, 0, 0,
    /*latencyMs*/ 0, /*delayMs*/ kPlayerFrameMs, /*spectrumNch*/ 0, /*waveformNch*/ 2,
    {}, {}, Config, Init, Render, Quit, &plugin,
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

// Init's steps after the window: surfaces, fire, font, the window shown.
void MakeGameWorld(Plugin& p, HWND hostWindow) {
  HWND window = p.platform.window;
  MakeBackBuffer(p.canvas, window);
  MakeSpriteSheets(p.canvas);
  MakeFlameSurfaces(p.flameSurfaces, p.game.flameBuffers, window);
  WriteLogLine("Flame stuf created.");
  Game& game = p.game;
  const FlameWork work = {&game.fire, &game.flameBuffers, &game.flame, &p.settings.showFlame,
                          &game.clock.sampledPosition};
  StartFlameThread(p.flameThread, work, hostWindow);
  MakeBannerFont(p.canvas);
  ShowWindow(window, SW_SHOWNORMAL);
  WriteLogLine("Window visible now.");
}

}  // namespace

Plugin& PluginOf(const winampVisModule* module) {
  // A record that does not carry the plug-in (a host that wrote over its
  // userData) still reaches the one plug-in of the module.
  auto* own = module != nullptr ? static_cast<Plugin*>(module->userData) : nullptr;
  return own != nullptr ? *own : plugin;
}

extern "C" __declspec(dllexport) winampVisHeader* __cdecl winampVisGetHeader(void) {
  return &visHeader;
}
static_assert(std::is_same_v<decltype(&winampVisGetHeader), winampVisGetHeaderType>, "cdecl");

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) moduleInstance = instance;
  return TRUE;
}

int __cdecl Init(winampVisModule* module) {
  Plugin& p = PluginOf(module);
  Game& game = p.game;
  WireGame(game, p.platform, p.canvas, p.settings);
  p.platform.module = module;
  ChooseSettingsFolder(p.settings, module);
  ReadSettings(p.settings, module);
  char logPath[kPathSize];
  if (p.settings.writeLog != 0 && !(LogFilePath(p.settings, logPath) && OpenLog(logPath))) {
    MessageBoxA(nullptr, "Log file create failed!", "Error", MB_OK | MB_ICONERROR);
    return 1;
  }
  WriteLogLine("Event log started.");
  TellRefusedSettings(p.settings);
  SetPadButtons(p.pad, p.settings.padButtonNumbers);
  if (!CreateGameWindow(p, module)) {
    // The host calls no Quit after a failed Init: let go of the log here,
    // or the file stays open for as long as the host runs.
    CloseLog();
    return 1;
  }
  MakeGameWorld(p, module->hwndParent);
  ForgetSong(game);
  StartFrameClock(p.frameClock);
  return 0;
}

namespace {

// What the host handed over before this frame: the sound playing now, for
// a song played live.
void TakeSound(const winampVisModule& module, LiveSound& sound) {
  std::memcpy(sound.waveform, module.waveformData, sizeof sound.waveform);
  sound.sampleRate = module.sRate;
  sound.channels = module.nCh;
}

}  // namespace

int __cdecl Render(winampVisModule* module) {
  Plugin& p = PluginOf(module);
  // Without a game window (a Render after Quit) there is nothing to draw
  // on: GetDC would hand out the whole screen.
  if (p.platform.window == nullptr) return 1;
  const FrameTargets targets = {&p.canvas, &p.flameSurfaces, p.platform.window, module->hwndParent};
  // Only a song played live listens to it.
  if (p.game.steps == &p.game.liveSteps) TakeSound(*module, p.game.sound);
  // A button found down now went down, on average, halfway since the
  // latest frame read the pad.
  PollPad(p.pad, p.game, MsSinceFrame(p.frameClock) / 2);
  return RunFramePass(p.game, p.frameClock, targets);
}

void __cdecl Quit(winampVisModule* module) {
  Plugin& p = PluginOf(module);
  Platform_StopMakingChart(p.platform);
  ReleaseStepChart(p.platform, p.game.chart);
  WriteSettings(p.settings, module);
  FreeBannerFont(p.canvas);
  FreeSurfaces(p.canvas);
  StopFlameThread(p.flameThread);
  ReleaseFlameSurfaces(p.flameSurfaces, p.game.flameBuffers);
  WriteLogLine("Flame DC and bitmap deleted.");
  DestroyGameWindow(p, module);
  WriteLogLine("Main frame destroyed.");
  WriteLogLine("Event log shut down.");
  CloseLog();  // also a log that Config's re-read has since switched off
}

void __cdecl Config(winampVisModule* module) {
  Settings& settings = PluginOf(module).settings;
  ReadSettings(settings, module);
  // A dialog that cannot be shown answers -1: the values just read are
  // written back unchanged.
  if (ShowConfigDialog(settings, module->hDllInstance, module->hwndParent) != 0)
    WriteSettings(settings, module);
}
