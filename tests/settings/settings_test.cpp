// settings_test.cpp -- file names beside the module and the settings' defaults.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "settings/settings.h"

namespace {

struct BesideCase {
  std::string modulePath;
  const char* fileName;
  int result;
  std::string expected;
};

TEST(BesideModulePath, CutsAfterTheLastBackslashAndRefusesWhatDoesNotFit) {
  std::string folder249 = "C:\\" + std::string(245, 'f') + "\\";
  const BesideCase cases[] = {
      {"C:\\Program Files\\Winamp\\Plugins\\vis_stompara.dll", "plugin.ini", 1,
       "C:\\Program Files\\Winamp\\Plugins\\plugin.ini"},
      {"Z:\\a.b\\c\\vis.dll", "StomparaLog.txt", 1, "Z:\\a.b\\c\\StomparaLog.txt"},
      {"vis_stompara.dll", "plugin.ini", 1, "plugin.ini"},  // no backslash: the bare name
      {"C:\\", "plugin.ini", 1, "C:\\plugin.ini"},
      {folder249 + "vis.dll", "plugin.ini", 1, folder249 + "plugin.ini"},  // exactly 259
      {folder249 + "x\\vis.dll", "plugin.ini", 0, ""},                      // 261: refused
      {folder249 + "vis.dll", "plugin.ini!", 0, ""},                        // 260: no room for the terminator
  };
  for (const BesideCase& c : cases) {
    char out[kPathSize];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(BuildBesideModulePath(c.modulePath.c_str(), c.fileName, out), c.result) << c.modulePath;
    EXPECT_EQ(std::string(out), c.expected) << c.modulePath;
  }
}

TEST(Settings, ResetGivesTheValuesOfMissingKeys) {
  Settings settings;
  settings.writeLog = 1;
  settings.screenX = -7;
  settings.screenY = 9;
  std::snprintf(settings.msdPath, kPathSize, "C:\\charts");
  settings.level = 2;
  settings.showFlame = 1;
  settings.autoChart = 0;
  ResetSettings(settings);
  EXPECT_EQ(settings.writeLog, 0);
  EXPECT_EQ(settings.screenX, 100);
  EXPECT_EQ(settings.screenY, 100);
  EXPECT_STREQ(settings.msdPath, "");
  EXPECT_EQ(settings.level, 0);
  EXPECT_EQ(settings.showFlame.load(), 0);
  EXPECT_EQ(settings.autoChart, 1);
}

}  // namespace

TEST(Settings, OffsetIsAWholeNumberHeldToItsRange) {
  struct Case {
    const char* text;
    int32_t offset;
    bool asWritten;
  };
  const Case cases[] = {
      {"0", 0, true},         {"200", 200, true},  {" -150 ", -150, true}, {"+40", 40, true},
      {"500", 500, true},     {"-500", -500, true}, {"501", 500, false},    {"-99999999999999", -500, false},
      {"soon", 0, false},     {"", 0, false},      {"12.5", 0, false},     {"- 5", 0, false},
  };
  for (const Case& c : cases) {
    int32_t offset = 7;
    EXPECT_EQ(ReadOffsetMs(c.text, offset), c.asWritten) << c.text;
    EXPECT_EQ(offset, c.offset) << c.text;
  }
}

TEST(Settings, KeysNameFourDifferentKeysOrTheDefaultsPlay) {
  struct Case {
    const char* text;
    bool read;
    uint32_t keys[4];
  };
  const Case cases[] = {
      {"LEFT,DOWN,UP,RIGHT", true, {0x25, 0x28, 0x26, 0x27}},
      {"d, F ,j,K", true, {'D', 'F', 'J', 'K'}},
      {"NUMPAD4,numpad2,NUMPAD8,1", true, {0x64, 0x62, 0x68, '1'}},
      {"D,F,J", false, {}},            // three
      {"D,F,J,K,L", false, {}},        // five
      {"D,D,J,K", false, {}},          // one twice
      {"D,F,J,SPACE", false, {}},      // a name the game does not know
      {"D,,J,K", false, {}},           // one empty
      {"NUMPAD,F,J,K", false, {}},
  };
  for (const Case& c : cases) {
    Settings settings;
    TakeTextSettings(settings, "0", c.text, kDefaultPadButtons);
    EXPECT_EQ(settings.keysRefused, !c.read) << c.text;
    EXPECT_STREQ(settings.keysText, c.text) << "kept as written";
    const uint32_t* expected = c.read ? c.keys : kDefaultKeys;
    for (int n = 0; n < 4; ++n) EXPECT_EQ(settings.keys[n], expected[n]) << c.text << " lane " << n;
  }
}
