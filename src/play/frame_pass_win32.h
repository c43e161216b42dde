// frame_pass_win32.h -- Render's frame: timed, composed in the back buffer, presented.
#pragma once

#include <windows.h>

#include <cstdint>

// Init: reads the performance counter's frequency, by which frames are timed.
// Visualisation thread.
void StartFrameClock();

// One frame pass into `gameWindow`, for the host whose main window is
// `hostWindow`: measures the frame interval, takes the focus from the host's
// window to the game's, paints the background, plays the frame (frame_pass.h),
// lays the flame over it and presents the back buffer. Returns 0 to go on, 1
// when a song plays that has no chart (nothing presented). On the thread
// that owns the game window.
int RunFramePass(HWND gameWindow, HWND hostWindow);

// 1 while a frame pass runs. A modal box or dialog that the pass opens paints
// the game window from inside it; such a paint only copies the back buffer.
// Written by RunFramePass; read by the game window's paint routine.
extern int32_t framePassRunning;
