// platform.h -- the few services the portable game code asks of the platform.
//
// The game's rules (chart reading, step clock, lanes, banner choice, flame)
// never include <windows.h>. They reach the player, the event log, message
// boxes, chart files and memory only through these functions. The plug-in
// links their Win32 versions (platform_win32.cpp); native tests link
// recording fakes (tests/fakes/platform_fake.cpp).
//
// Unless a comment says otherwise, every function here is called on the
// host's visualisation thread, the one that runs Init, Render and Quit.
#pragma once

#include <cstdint>

// Requests the host answers, sent to its main window as WM_USER with the
// request number in lParam.
enum HostRequest : int32_t {
  kHostIsPlaying = 104,     // 1 while playing; anything else is not playing
  kHostPosition = 105,      // playback position in ms, signed 32-bit
  kHostPlaylistIndex = 125, // index of the current playlist entry
  kHostEntryFileName = 211, // file name of a playlist entry (wParam = index)
};

// Sends `request` (104, 105 or 125) with wParam 0 to the host's main window
// named by the game window's module record, and returns the answer truncated
// to 32 bits. Answers 0 while there is no game window.
int32_t Platform_AskHost(int32_t request);

// Request 211 for playlist entry `entry`: the entry's zero-terminated file
// name, owned by the host, or null. Null while there is no game window.
const char* Platform_AskHostFileName(int32_t entry);

// The file title of `fileName` (its name without the folder, with or
// without its extension as the system shows it) into `title`, `size` bytes
// at most. 1 when a whole title was extracted, 0 otherwise.
int Platform_FileTitle(const char* fileName, char* title, uint32_t size);

// Calls the module's Config callback with the game window's module record:
// the configuration dialog, returning when it is closed.
void Platform_OpenConfig();

// Key messages, as the game window receives them.
constexpr uint32_t kKeyDownMessage = 0x100;  // WM_KEYDOWN
constexpr uint32_t kKeyUpMessage = 0x101;    // WM_KEYUP

// Posts a key message to the host's main window with its virtual key and key
// data unchanged, so the host takes it as its own keyboard input.
void Platform_PassKeyOn(uint32_t message, uintptr_t key, intptr_t keyData);

// Room for a song title from wide characters as UTF-8, terminator included.
constexpr uint32_t kWideTitleSize = 1024;

// Request 214 for playlist entry `entry`: the entry's file name as wide
// characters, which the ANSI name of request 211 may have lost. Writes its
// file title as UTF-8 into `title` (`size` bytes). 1 when the host answered
// and the title fits, 0 otherwise (the host does not answer 214).
int Platform_AskHostWideTitle(int32_t entry, char* title, uint32_t size);

// Opens the chart file `name` (UTF-8, no folder) in `folder` (ANSI) by its
// wide name, as Platform_OpenChartFile does. A path of 260 or more wide
// characters does not open.
int Platform_OpenChartFileWide(const char* folder, const char* name);

// Appends `count` bytes to the open event log with one write. Does nothing
// while no log file is open; write failures are ignored.
void Platform_WriteLog(const char* bytes, uint32_t count);

// Shows `text` in a modal message box titled "Error" with the error icon,
// owned by the game window. Returns when the user has closed it.
void Platform_ShowError(const char* text);

// The chart file. Opening closes the file opened before, if any; the handle
// is kept by the platform until Platform_CloseChartFile or the next open.
// Open: read access, other readers allowed, the file must exist. 1 on success.
int Platform_OpenChartFile(const char* path);
// Size in bytes of the open chart file (low 32 bits).
uint32_t Platform_ChartFileSize();
// Reads `size` bytes from the open chart file into `buffer` with one read.
// 1 when all `size` bytes arrived, 0 on a failed or short read.
int Platform_ReadChartFile(char* buffer, uint32_t size);
// Closes the open chart file, if any.
void Platform_CloseChartFile();

// One zero-filled block of `size` bytes for the chart text, locked for as
// long as it is held. Null when it cannot be had.
char* Platform_AllocChartBlock(uint32_t size);
// Unlocks and frees a block from Platform_AllocChartBlock.
void Platform_FreeChartBlock(char* block);
