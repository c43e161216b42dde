// watch_win32.h -- what the harness sees of the plug-in: message boxes, the window, captures.
//
// Main thread only, except GrabClient and SaveClientBmp, which the
// session's thread also calls to record frames.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

struct Host;

// Records and dismisses the message boxes open on the harness's threads
// (the main, session and config threads), and nothing else: the plug-in's
// own dialogs and the folder browser are left alone. A box is answered
// once it has been open for `host`'s scenario's box-ms.
void CloseMessageBoxes(const Host& host);
// Whether `dialog` (a #32770 window) is a message box: its text control
// 0xFFFF and no controls other than an icon and the standard buttons.
bool IsMessageBox(HWND dialog);
// The journal's name for a window's owner: none, host (`host`'s main
// window), game or other.
const char* OwnerName(const Host& host, HWND owner);
// Journals the game window's place, size, client size, styles and owner.
void ProbeGameWindow(const Host& host);
// Journals `resources`: the process's GDI and USER objects, handles and
// private bytes, to see that sessions leave nothing behind.
void JournalResources();
// A window's client area as read from the screen: 0x00RRGGBB values, bottom
// row first (as a BMP stores them). False (and nothing filled) when the
// window is gone or has no client area.
struct ClientPicture {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;
};
bool GrabClient(HWND window, ClientPicture& picture);
// Saves `window`'s client area as a 24-bit BMP (`width`, `height` its size);
// false when it cannot.
bool SaveClientBmp(HWND window, const char* path, int& width, int& height);
// Saves `window`'s client area as a 24-bit BMP file and journals `capture`
// (ok 0 when there is no window, it has no client area or the file cannot
// be written).
void CaptureWindow(HWND window, const char* path);
