// settings.h -- the settings kept in plugin.ini beside the module.
//
// One value the plug-in keeps for the module's life, its fields named after
// their keys. Read from the file at Init and in Config (settings_win32.cpp)
// and written back at Quit and after the configuration dialog's OK.
#pragma once

#include <atomic>
#include <cstdint>

#include "settings/key_names.h"

constexpr int kPathSize = 260;  // the platform's path buffer, terminator included

// Values of keys missing from the file.
constexpr int32_t kDefaultWriteLog = 0;
constexpr int32_t kDefaultScreenX = 100;
constexpr int32_t kDefaultScreenY = 100;
constexpr int32_t kDefaultLevel = 0;
constexpr int32_t kDefaultShowFlame = 0;
constexpr int32_t kDefaultAutoChart = 1;
constexpr int32_t kDefaultOffsetMs = 0;
constexpr int32_t kOffsetLimitMs = 500;  // OFFSET_MS runs from -500 to 500
constexpr int kSettingTextSize = 64;     // room for a setting kept as text
constexpr char kDefaultPadButtons[] = "1,2,3,4";
constexpr int32_t kDefaultPadButtonNumbers[4] = {1, 2, 3, 4};
constexpr int32_t kPadButtonMax = 32;  // the highest button Windows reports

// The plug-in's settings: one value that lives as long as the module, read
// at Init and in Config and written back at Quit and after the dialog's OK.
// Each field is named after its key. Host's visualisation thread, and the
// thread that runs Config.
struct Settings {
  // WRITE_LOG: the event log on when nonzero. Written by reading the file
  // only; read by Init, Quit and the event log.
  int32_t writeLog = 0;
  // SCREEN_X, SCREEN_Y: the game window's outer top-left corner in screen
  // pixels. Written by reading the file and by every move of the game
  // window; read by Init and the writer.
  int32_t screenX = 50;
  int32_t screenY = 50;
  // MSD_PATH: the folder of the MSD step charts, at most 259 characters and
  // the terminator. Written by reading the file and by the folder browser;
  // read by the loader and the chart maker.
  char msdPath[kPathSize] = {};
  // LEVEL: 0 Standard, 1 Advanced, 2 Expert: picks the chart within the
  // chart file. Used as read, not checked. Written by reading the file and
  // by the dialog's OK; read by the step clock.
  int32_t level = 0;
  // SHOW_FLAME: the flame effect shown when 1; always 0 or 1. Also read on
  // the flame thread, hence atomic (relaxed loads and stores).
  std::atomic<int32_t> showFlame{0};
  // AUTO_CHART: a song without a chart gets one made from its own audio when
  // nonzero; with 0 it opens the configuration, as it always did. Written
  // by reading the file only; read by the frame pass.
  int32_t autoChart = 1;
  // OFFSET_MS: every arrow reaches the target row, and is judged there, this
  // many ms later in the song (negative: earlier), for a player whose sound
  // comes late. -500..500. Written by reading the file only; read by the
  // step sources.
  int32_t offsetMs = 0;
  // KEYS: the text as the file has it, written back unchanged so nothing
  // the player typed is lost, and the four keys it names, in lane order (the
  // default keys when it names no four different ones). Written by reading
  // the file only; read by the key handler.
  char keysText[kSettingTextSize] = "LEFT,DOWN,UP,RIGHT";
  uint32_t keys[4] = {kDefaultKeys[0], kDefaultKeys[1], kDefaultKeys[2], kDefaultKeys[3]};

  // What reading the file found wrong, for Init to tell the log: OFFSET_MS
  // as the file had it, when it was not a number or out of range, KEYS
  // when it named no four different keys, PAD_BUTTONS no four buttons.
  char refusedOffset[kSettingTextSize] = {};
  bool keysRefused = false;
  bool padButtonsRefused = false;
  // PAD_BUTTONS: the pad's buttons for left, down, up, right, as the user
  // wrote them, written back unchanged so nothing typed there is lost, and
  // the four 1-based button numbers it names (the default 1,2,3,4 when it
  // names no four different ones). Written by reading the file only; read
  // by Init and the writer.
  char padButtons[kPathSize] = "1,2,3,4";
  int32_t padButtonNumbers[4] = {1, 2, 3, 4};

  // Where plugin.ini and the log live, with its final backslash; empty until
  // chosen, and when no folder name fits (settings_win32.cpp).
  char folder[kPathSize] = {};
  bool folderChosen = false;
  // Set once the file has been read: before that the values are only the
  // load-time ones, and writing them would wipe the user's file (a host
  // that calls Quit without Init).
  bool read = false;
  // Where charts the plug-in makes go when MSD_PATH cannot be written: the
  // folder "Charts" in the settings folder (no final backslash); empty when
  // there is none. The loader looks there after MSD_PATH. Written when the
  // settings folder is chosen.
  char madeChartsFolder[kPathSize] = {};
};

// Gives every setting (not the folders) the value it takes when its key is
// missing, and tells the event log whether to write.
void ResetSettings(Settings& settings);

// Reads OFFSET_MS from the file's `text` into `offsetMs`: a whole number,
// blanks around it allowed, held to -500..500; anything else is 0. Returns
// false when the text was not taken as it stands (held, or not a number).
bool ReadOffsetMs(const char* text, int32_t& offsetMs);

// Reads PAD_BUTTONS' text: four button numbers from 1 to kPadButtonMax,
// all different, separated by commas (blanks around each allowed). Returns
// true and fills `buttons` in lane order; false, leaving `buttons` as it
// was, for anything else.
bool ParsePadButtons(const char* text, int32_t (&buttons)[4]);

// Takes the file's texts of OFFSET_MS, KEYS and PAD_BUTTONS into
// `settings`, noting what it refused.
void TakeTextSettings(Settings& settings, const char* offsetText, const char* keysText, const char* padText);

// One log line for each setting the file had wrong, saying what the game
// plays with instead. Init calls it once the log is open.
void TellRefusedSettings(const Settings& settings);

// The name of the file `fileName` in the folder of the module whose full
// path is `modulePath`: the module path cut just after its last backslash
// (or to nothing when it has none) and `fileName` appended. Returns 1 and
// fills `out`; returns 0 and leaves `out` empty when the result would not
// fit in kPathSize bytes, so no file is ever looked up in the wrong place.
int BuildBesideModulePath(const char* modulePath, const char* fileName,
                          char (&out)[kPathSize]);
