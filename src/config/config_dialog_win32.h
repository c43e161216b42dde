// config_dialog_win32.h -- the configuration dialog: level, flame and chart folder.
#pragma once

#include <windows.h>

#include "settings/settings.h"

// Control ids of dialog 104.
enum ConfigControl : int {
  kConfigDialogId = 104,
  kSelectFolderButton = 1003,
  kStandardButton = 1004,  // kStandardButton + LEVEL is the level's button
  kAdvancedButton = 1005,
  kExpertButton = 1006,
  kShowFlameBox = 1010,
  kLogoIcon = 1011,
  kTitleText = 1014,
  kHomePageLink = 1015,
};

// Runs the dialog on `settings` modally from `instance`, owned by `owner`, on
// the calling thread. The flame checkbox changes SHOW_FLAME and a confirmed
// folder MSD_PATH at once; OK commits the chosen level to LEVEL. Returns 1 after
// OK, 0 after Cancel (Escape or the close box), -1 when it cannot be shown.
INT_PTR ShowConfigDialog(Settings& settings, HINSTANCE instance, HWND owner);

// Lets the user pick the chart folder with the shell's folder browser, owned
// by `owner` and opening at `path`, into `path` (kPathSize bytes). Returns 1 when a folder was
// stored, 2 when the user cancelled, 0 when the browser could not be shown
// or the chosen item has no file-system path; `path` is then unchanged.
int ChooseChartFolder(HWND owner, char* path);
