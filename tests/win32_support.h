// win32_support.h -- helpers for the Windows-side unit tests (run under wine64).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "gfx/surfaces_win32.h"
#include "platform/platform_win32.h"
#include "play/game.h"
#include "settings/settings.h"

// A game of the tests' own on the real platform calls, with no game window
// (so every host request answers 0), wired like the plug-in's.
extern Platform testPlatform;
extern Canvas testCanvas;
extern Settings testSettings;
extern Game testGame;

// A message box that appeared on the test thread; the test program closes
// every one with OK at once, so no test ever waits on a box.
struct SeenMessageBox {
  std::string text;
  std::string caption;
  HWND owner;
  bool errorIcon;  // the box shows the system's error icon
};

// Boxes seen since the last ClearSeenMessageBoxes(), oldest first.
const std::vector<SeenMessageBox>& SeenMessageBoxes();
void ClearSeenMessageBoxes();

// The plug-in module built beside the test program (for its resources).
HMODULE PluginModule();
