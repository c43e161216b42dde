// config_test.cpp -- the configuration dialog in the harness: level, flame, link label, folder browser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "e2e/host_support.h"

namespace {

constexpr char kSection[] = "Stompara for Winamp";
constexpr char kLinkText[] = "Charts, songs and news: stompara.org";

std::string ConfigFolder(const std::string& name, const std::string& settings) {
  std::string folder = MakePluginFolder(name);
  WriteFile(folder + "/plugin.ini", std::string("[") + kSection + "]\r\n" + settings);
  return folder;
}

std::string Setting(const std::string& folder, const std::string& key) {
  return IniValue(ReadFile(folder + "/plugin.ini"), kSection, key);
}

// Where the first event named `event` (with `field` equal to `value`, when
// given) stands in the journal; -1 when there is none.
int Position(const HostRun& run, const std::string& event, const std::string& field = "",
             const std::string& value = "") {
  for (size_t i = 0; i < run.journal.size(); ++i) {
    const JournalEvent& each = run.journal[i];
    if (each.count("event") && each.at("event") == event &&
        (field.empty() || (each.count(field) && each.at(field) == value)))
      return int(i);
  }
  return -1;
}

// Pixels of the game window's rows [y0, 310) that differ from the
// background, and those in fire's colours (red over green over blue).
std::pair<int, int> BandPixels(const Picture& shot, int y0) {
  static const Picture background = ReadBmp(STOMPARA_SOURCE_DIR "/res/background.bmp");
  if (shot.width != 288 || shot.height != 310) return {-1, -1};
  std::pair<int, int> count;
  for (int y = y0; y < 310; ++y)
    for (int x = 0; x < 288; ++x) {
      uint32_t rgb = shot.at(x, y);
      int r = rgb >> 16 & 255, g = rgb >> 8 & 255, b = rgb & 255;
      count.first += rgb != background.at(x, y);
      count.second += r >= 100 && r >= g && g >= b;
    }
  return count;
}

// After the session has quit (so Quit's write is done), Cancel must write
// nothing: the flame just toggled would reach the file, and the next Config
// would read it back. OK commits the level and writes it.
TEST(Config, WithNoGameCancelWritesNothingAndOkWritesTheLevel) {
  std::string folder = ConfigFolder("config-levels", "LEVEL=2\r\nSHOW_FLAME=0\r\n");
  HostRun run = RunHost(folder,
                        "0 play\n200 quit\n"
                        "300 config\n800 dialog probe\n800 capture-dialog dialog.bmp\n"
                        "900 dialog click 1004\n900 dialog click 1010\n1000 dialog probe\n"
                        "1100 dialog escape\n1100 dialog probe\n"
                        "1200 config\n1700 dialog probe\n"
                        "1800 dialog click 1005\n1800 dialog click 1\n1800 dialog probe\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  std::vector<JournalEvent> probes = EventsNamed(run, "dialog");
  ASSERT_EQ(probes.size(), 5u);
  EXPECT_EQ(probes[0]["owner"], "host");
  EXPECT_EQ(probes[0]["link"], kLinkText);
  Picture dialog = ReadBmp(folder + "/dialog.bmp");
  EXPECT_GT(std::count(dialog.rgb.begin(), dialog.rgb.end(), 0xFF0000u), 100) << "the red title";
  struct Expected { size_t probe; const char* level; const char* flame; };
  const Expected expected[] = {
      {0, "2", "0"},  // the file's values
      {1, "0", "1"},  // Standard pressed, flame ticked
      {3, "2", "0"},  // read again: the Cancel wrote neither
  };
  for (const Expected& e : expected) {
    EXPECT_EQ(probes[e.probe]["level"], e.level) << "probe " << e.probe;
    EXPECT_EQ(probes[e.probe]["flame"], e.flame) << "probe " << e.probe;
  }
  // Escape and OK each closed the dialog and let Config return before the next action.
  EXPECT_EQ(probes[2]["exists"], "0");
  EXPECT_EQ(probes[4]["exists"], "0");
  EXPECT_EQ(EventsNamed(run, "config-returned").size(), 2u);
  EXPECT_LT(Position(run, "config-returned"), Position(run, "dialog", "exists", "0"));
  EXPECT_TRUE(EventsNamed(run, "dialog-left-open").empty());
  EXPECT_EQ(Setting(folder, "LEVEL"), "1");
  EXPECT_EQ(Setting(folder, "SHOW_FLAME"), "0");
}

// While the game plays: the flame box acts at once and outlives a Cancel
// (Quit writes it), the level pressed before the Cancel does not, and the
// link label turns red under the mouse with the plug-in's hand cursor.
TEST(Config, FlameAndLinkLabelAnswerAtOnceWhileTheGamePlays) {
  std::string folder = ConfigFolder("config-flame", "LEVEL=2\r\nSHOW_FLAME=0\r\n");
  HostRun run = RunHost(folder,
                        "0 play\n300 config\n800 capture calm.bmp\n800 dialog probe\n"
                        "900 dialog hover 1015\n1200 dialog probe\n"
                        "1300 dialog leave 1015\n1600 dialog probe\n"
                        "1700 dialog click 1004\n1700 dialog click 1010\n"
                        "2900 capture fire.bmp\n3000 dialog escape\n3100 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  std::vector<JournalEvent> probes = EventsNamed(run, "dialog");
  ASSERT_EQ(probes.size(), 3u);
  EXPECT_EQ(probes[0]["linkColour"], "0000ff");
  EXPECT_EQ(probes[1]["linkColour"], "ff0000");
  EXPECT_EQ(probes[1]["cursor"], "hand");
  EXPECT_EQ(probes[2]["linkColour"], "0000ff");
  EXPECT_EQ(probes[2]["cursor"], "other");
  EXPECT_EQ(BandPixels(ReadBmp(folder + "/calm.bmp"), 185).first, 0) << "no fire before the box is ticked";
  EXPECT_GT(BandPixels(ReadBmp(folder + "/fire.bmp"), 209).second, 300) << "fire with the dialog still open";
  EXPECT_LT(Position(run, "config-returned"), Position(run, "quit-called"));
  EXPECT_EQ(Setting(folder, "SHOW_FLAME"), "1");
  EXPECT_EQ(Setting(folder, "LEVEL"), "2");
}

// The chart folder lies outside /tmp (and outside the source tree, which
// may be there): under /tmp, where other programs keep adding and removing
// entries, Wine's browser now and then fails to open at the folder given.
TEST(Config, FolderBrowserOpensAtTheChartFolderAndCancelKeepsIt) {
  const std::string chartFolder = "/var/cache/stompara/e2e/Charts";
  std::system(("mkdir -p " + chartFolder).c_str());
  setenv("STOMPARA_WINE32_SHARE", chartFolder.c_str(), 1);  // the 32-bit runner's root shows it
  std::string charts = WindowsPath(chartFolder);
  std::string folder = ConfigFolder("config-browse", "MSD_PATH=" + charts + "\r\n");
  // Opened twice: Wine's browser now and then misses a preselection once.
  HostRun run = RunHost(folder, "0 play\n300 config\n900 dialog browse\n900 dialog browse\n"
                                "900 dialog probe\n1000 dialog escape\n1100 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  std::vector<JournalEvent> browsers = EventsNamed(run, "browser");
  ASSERT_EQ(browsers.size(), 2u);
  for (JournalEvent& browser : browsers) {
    EXPECT_EQ(browser["exists"], "1");
    EXPECT_EQ(browser["title"], "Select MSD Directory");
    EXPECT_EQ(browser["ownedByDialog"], "1");
  }
  EXPECT_TRUE(browsers[0]["selected"] == "Charts" || browsers[1]["selected"] == "Charts")
      << browsers[0]["selected"] << " / " << browsers[1]["selected"];
  EXPECT_TRUE(EventsNamed(run, "message-box").empty()) << "neither window is taken for a message box";
  std::vector<JournalEvent> probes = EventsNamed(run, "dialog");
  ASSERT_EQ(probes.size(), 1u);
  EXPECT_EQ(probes[0]["exists"], "1") << "cancelling the browser leaves the dialog open";
  EXPECT_EQ(EventsNamed(run, "config-returned").size(), 1u);
  EXPECT_EQ(Setting(folder, "MSD_PATH"), charts);
}

// No chart for the song: the frame pass says so and opens the dialog on
// the visualisation thread. It stays open while the game window repaints,
// and once it is closed the game ends, having no chart to play. The song is
// named once play has run a while, so the harness's Render (not the paint
// at start) is the frame that finds no chart.
TEST(Config, ChartThatFailsOpensTheDialogWhichOutlastsARepaint) {
  std::string folder = MakePluginFolder("config-no-chart");
  WriteFile(folder + "/plugin.ini",
            std::string("[") + kSection + "]\r\nAUTO_CHART=0\r\nMSD_PATH=" + WindowsPath(folder) + "\r\n");
  HostRun run = RunHost(folder, "playlist C:\\Music\\Song.mp3\n0 filename null\n0 play\n300 filename normal\n"
                                "1300 paint\n1800 dialog probe\n1900 dialog escape\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  std::vector<JournalEvent> boxes = EventsNamed(run, "message-box");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0]["text"].rfind("Cannot open msd file - ", 0), 0u) << boxes[0]["text"];
  std::vector<JournalEvent> probes = EventsNamed(run, "dialog");
  ASSERT_EQ(probes.size(), 1u);
  EXPECT_EQ(probes[0]["exists"], "1");
  EXPECT_EQ(probes[0]["count"], "1");
  EXPECT_EQ(probes[0]["owner"], "host");

  int box = Position(run, "message-box"), paint = Position(run, "action", "line", "5");
  int probe = Position(run, "dialog"), ended = Position(run, "render", "result", "1");
  EXPECT_LT(box, paint);
  EXPECT_LT(paint, probe);
  EXPECT_LT(probe, ended) << "the game ends only once the dialog has closed";
  EXPECT_LT(ended, Position(run, "quit-called"));
  EXPECT_TRUE(EventsNamed(run, "config-returned").empty()) << "Config ran on the visualisation thread";
  EXPECT_TRUE(EventsNamed(run, "dialog-left-open").empty());
}

}  // namespace
