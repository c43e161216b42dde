// dialog_win32.h -- the plug-in's configuration dialog: the config thread, and handling the dialog as a user.
//
// Main thread only.
#pragma once

#include <windows.h>

#include "scenario.h"

struct Host;
struct winampVisModule;

// `config`: calls `module`'s Config on a config thread of its own, which
// journals `config-returned` once Config has returned. While the last
// config thread still runs (its dialog open), journals `config-busy` and
// calls nothing. `module` outlives the thread (EndConfig waits for it).
void StartConfig(winampVisModule* module);
// The config thread's id: the running or last one's (0 before the first).
DWORD ConfigThreadId();
// Runs a `dialog ...` or `capture-dialog` action on the open configuration
// dialog, whichever thread shows it; journals `dialog` with exists 0 and
// does nothing else when none is open. `host` names the dialog's owner and
// holds the plug-in whose cursor a probe looks for.
void RunDialogAction(const Host& host, const ScenarioAction& action);
// Cancels, as Escape does (IDCANCEL when Escape does not help), each dialog
// other than a message box that the thread `threadId` shows, newest first,
// journalling `dialog-left-open` for each. Waits up to about 4 s a dialog.
void CancelDialogsOfThread(DWORD threadId);
// The end of a scenario: cancels what the config thread left open and
// waits for it to return.
void EndConfig();
