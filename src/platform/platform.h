// platform.h -- what the portable game code asks of the host and the game window.
//
// The game's rules (chart reading, step clock, lanes, banner choice, flame)
// never include <windows.h>. They reach the player, its keyboard and message
// boxes only through these functions, the event log through log_file.h and
// chart files through chart/chart_file.h. The plug-in links the Win32
// versions of these (plugin/platform_win32.cpp, which knows the game
// window); native tests link recording fakes (tests/fakes/platform_fake.cpp),
// the benchmarks a platform of their own (tools/bench/bench_platform.cpp).
//
// Unless a comment says otherwise, every function here is called on the
// host's visualisation thread, the one that runs Init, Render and Quit.
#pragma once

#include <cstdint>

#include "host/host_requests.h"

// The platform the game runs on: in the plug-in the game window, its module
// record and its drawing surfaces (plugin/platform_win32.cpp); in native
// tests a recorder. Opaque to the game, which hands it to every call here,
// to the drawing calls (gfx/draw.h) and to the chart file's (chart/chart_file.h).
struct Platform;

// Sends `request` (104, 105 or 125) with wParam 0 to the host's main window
// named by the game window's module record, and returns the answer truncated
// to 32 bits. Answers 0 while there is no game window.
int32_t Platform_AskHost(Platform& platform, int32_t request);

// Request 211 for playlist entry `entry`: the entry's zero-terminated file
// name, owned by the host, or null. Null while there is no game window.
const char* Platform_AskHostFileName(Platform& platform, int32_t entry);

// Request 212 for playlist entry `entry`: its title as the host shows it
// (for a stream, the song it plays now) into `title`, `size` bytes at most.
// 1 when the host answered with a title that fits, 0 otherwise.
int Platform_AskHostEntryTitle(Platform& platform, int32_t entry, char* title, uint32_t size);

// The file title of `fileName` (its name without the folder, with or
// without its extension as the system shows it) into `title`, `size` bytes
// at most. 1 when a whole title was extracted, 0 otherwise.
int Platform_FileTitle(Platform& platform, const char* fileName, char* title, uint32_t size);

// Calls the module's Config callback with the game window's module record:
// the configuration dialog, returning when it is closed.
void Platform_OpenConfig(Platform& platform);

// Key messages, as the game window receives them.
constexpr uint32_t kKeyDownMessage = 0x100;  // WM_KEYDOWN
constexpr uint32_t kKeyUpMessage = 0x101;    // WM_KEYUP

// Posts a key message to the host's main window with its virtual key and key
// data unchanged, so the host takes it as its own keyboard input.
void Platform_PassKeyOn(Platform& platform, uint32_t message, uintptr_t key, intptr_t keyData);

// Room for a song title from wide characters as UTF-8, terminator included.
constexpr uint32_t kWideTitleSize = 1024;

// Request 214 for playlist entry `entry`: the entry's file name as wide
// characters, which the ANSI name of request 211 may have lost. Writes its
// file title as UTF-8 into `title` (`size` bytes). 1 when the host answered
// and the title fits, 0 otherwise (the host does not answer 214).
int Platform_AskHostWideTitle(Platform& platform, int32_t entry, char* title, uint32_t size);

// Shows `text` in a modal message box titled "Error" with the error icon,
// owned by the game window. Returns when the user has closed it.
void Platform_ShowError(Platform& platform, const char* text);
