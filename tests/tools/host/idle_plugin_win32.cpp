// idle_plugin_win32.cpp -- a plug-in whose sessions make nothing: what the harness and Wine alone cost a session.
#include "host/vis_header_win32.h"

namespace {

int __cdecl IdleInit(winampVisModule*) { return 0; }
int __cdecl IdleRender(winampVisModule*) { return 0; }
void __cdecl IdleQuit(winampVisModule*) {}
void __cdecl IdleConfig(winampVisModule*) {}

char moduleName[] = "does nothing";
char headerName[] = "idle sessions";

// The game's own pacing (10 ms frames), no spectrum or waveform asked for.
winampVisModule idleModule = {moduleName, nullptr, nullptr, 0, 0, 0, 10, 0, 0, {}, {},
                              IdleConfig, IdleInit, IdleRender, IdleQuit, nullptr};

winampVisModule* __cdecl IdleModule(int index) { return index == 0 ? &idleModule : nullptr; }

winampVisHeader idleHeader = {kVisHeaderVersion, headerName, IdleModule};

}  // namespace

extern "C" __declspec(dllexport) winampVisHeader* winampVisGetHeader(void) { return &idleHeader; }
