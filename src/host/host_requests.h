// host_requests.h -- the requests the plug-in asks the host, by number.
//
// Each is a WM_USER message sent to the host's main window with the request
// number in lParam; the answer is the message's result. The plug-in sends
// them through one sender (host_request_win32.h) and, in the portable code,
// through Platform_AskHost (platform.h).
#pragma once

#include <cstdint>

enum HostRequest : int32_t {
  kHostIsPlaying = 104,         // 1 while playing; anything else is not playing
  kHostPosition = 105,          // playback position in ms, signed 32-bit
  kHostPlaylistIndex = 125,     // index of the current playlist entry
  kHostEntryFileName = 211,     // ANSI file name of a playlist entry (wParam = index)
  kHostEntryTitle = 212,        // an entry's title as the host shows it; a stream's follows its song
  kHostEntryWideFileName = 214, // the same name in wide characters; 0 from older hosts
  kHostSettingsFolder = 335,    // the player's own settings folder (ANSI), or 0
};
