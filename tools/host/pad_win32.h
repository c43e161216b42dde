// pad_win32.h -- the pad the harness plays the part of: joystick 1 as joyGetPosEx answers it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "scenario.h"

// Right after the plug-in is loaded: its import of joyGetPosEx goes to the
// harness, which answers for joystick 1 from the scenario's pad actions
// (JOYERR_UNPLUGGED while it is unplugged, as before any pad action) and
// JOYERR_UNPLUGGED for every other joystick. Main thread.
void InstallPad(HMODULE plugin);
// A `pad` action (main thread), journalled as a `pad` event when it changes the pad.
void RunPadAction(const ScenarioAction& action);
// autoplay-pad: the pad plugged in, nothing pressed (a session's start), and
// the buttons `buttons` (bit n for button n + 1) held from now until the
// next call, which first lets them go. Session thread.
void PlugInPad();
void HoldAutoplayButtons(uint32_t buttons);
// Journals a `joystick` event: the plug-in's calls of joyGetPosEx and how
// many found the pad; nothing when the plug-in does not import it.
void JournalPadCalls();
