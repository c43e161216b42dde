// faults_win32.h -- the plug-in's Windows calls, counted, and made to fail on demand.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scenario.h"

// Patches the plug-in's imports for the scenario's `fault` lines, `faults`
// (right after it is loaded), and lets every call through again
// (`unfault`). Main thread only.
void InstallFaults(HMODULE plugin, const std::vector<ScenarioFault>& faults);
// Points `module`'s import of the function `name` at `target`; returns what
// it held (Windows' function), or null when the module does not import it.
// Main thread, before the plug-in runs.
void* PatchImport(HMODULE module, const char* name, void* target);
void ClearFaults();
// GDI objects and kernel handles the plug-in made and has not freed. Any
// thread: the stand-ins that keep them run on whichever thread calls.
void HeldObjects(int64_t& gdi, int64_t& handles);

// Watches for the plug-in opening the file at `path` for reading (by its
// ANSI or wide name, any letter case); "" stops watching. Any thread.
void WatchPluginOpening(const std::string& path);
// True once the plug-in has opened the watched file since it was named.
bool PluginOpenedWatchedFile();
