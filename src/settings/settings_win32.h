// settings_win32.h -- reading and writing plugin.ini beside the module.
#pragma once

#include "host/vis_header_win32.h"
#include "settings/settings.h"

// Full name of `fileName` in the folder of the module `instance` into `out`.
// Returns 0, with `out` empty, when the module's name or the result does not
// fit in kPathSize bytes.
int BesideModulePath(HINSTANCE instance, const char* fileName, char (&out)[kPathSize]);

// Chooses where plugin.ini and the log live, once per Init: beside the
// module while that folder can be written (a player installed under Program
// Files may not write there); else the Plugins folder in the player's own
// settings folder (request 335); else the user's application data folder,
// in a folder "Stompara". Reading and writing then use the same file.
void ChooseSettingsFolder(Settings& settings, const winampVisModule* module);

// `fileName` in the chosen folder; 0, with `out` empty, when no folder is
// chosen or the name does not fit.
int SettingsFilePath(const Settings& settings, const char* fileName, char (&out)[kPathSize]);
// The event log's name, "StomparaLog.txt" in the chosen folder.
int LogFilePath(const Settings& settings, char (&out)[kPathSize]);

// Fills the settings from the section named by the record's description
// (defaults for missing keys; SHOW_FLAME held as 0 or 1), in the chosen
// folder (chosen now when no Init has chosen it). When the settings path
// does not fit, every setting takes its default. Tells the event log
// whether to write.
void ReadSettings(Settings& settings, const winampVisModule* module);
// Writes every key, in key order. Writes nothing before the settings
// were first read, or when the settings path does not fit. Failures are not
// reported.
void WriteSettings(const Settings& settings, const winampVisModule* module);
