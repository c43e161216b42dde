// pad_test.cpp -- a dance pad's buttons and hat playing a chart, held, pulled out, and no pad at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/host_support.h"

namespace {

constexpr char kSection[] = "Stompara for Winamp";
constexpr int kPlayAt = 300;  // scenario time of "play"

// A plug-in folder that is its own chart folder, holding `chart` as Song.msd.
std::string PadFolder(const std::string& name, const std::string& chart, const std::string& moreSettings) {
  std::string folder = MakePluginFolder(name);
  WriteFile(folder + "/plugin.ini", std::string("[") + kSection + "]\r\nMSD_PATH=" + WindowsPath(folder) + "\r\n" +
                                        moreSettings);
  WriteFile(folder + "/Song.msd", chart);
  return folder;
}

// Scenario time at which step k's arrow (a step every 500 ms) lies on the
// target row, as in play_test.cpp: due at (k + 1) x 500 ms of the clock's
// position, spawned in the next 30 ms frame, mid hit window 2895 ms later.
int OnTargetAt(int k) { return kPlayAt + int((k + 1) * 500 * 220.0 / 221 + 15 + 2895); }

std::string At(int ms, const std::string& action) { return std::to_string(ms) + " " + action + "\n"; }

// What every pad session must show: Render always went on, no box opened.
void ExpectSessionSurvived(const HostRun& run) {
  std::vector<JournalEvent> renders = EventsNamed(run, "render");
  ASSERT_GT(renders.size(), 20u);
  for (const JournalEvent& render : renders) EXPECT_EQ(render.at("result"), "0");
  EXPECT_TRUE(EventsNamed(run, "message-box").empty());
}

TEST(Pad, AutoplayThroughButtonsFiveToEightHitsEveryArrow) {
  // Eight steps, one arrow each, lanes 0 1 2 3 twice.
  std::string folder = PadFolder("pad-autoplay", "#BPM:60;\r\n#SINGLE:BASIC:3:\r\n42864286;\r\n", "PAD_BUTTONS=5,6,7,8\r\n");
  HostRun run = RunHost(folder, "frame-ms 30\nplaylist C:\\Music\\Song.mp3\nautoplay " + WindowsPath(folder) +
                                    "\\Song.msd 0\nautoplay-pad 5,6,7,8\n" + At(kPlayAt, "play") +
                                    At(OnTargetAt(7) + 600, "capture great.bmp") + At(OnTargetAt(7) + 700, "quit"));
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  ExpectSessionSurvived(run);
  EXPECT_EQ(EventsNamed(run, "autoplay-press").size(), 8u);
  EXPECT_TRUE(EventsNamed(run, "key").empty()) << "no key was posted";
  // Each press is its lane's button down for a frame, then up.
  std::vector<std::string> held;
  for (const JournalEvent& pad : EventsNamed(run, "pad"))
    if (pad.at("buttons") != "0") held.push_back(pad.at("buttons"));
  EXPECT_EQ(held, (std::vector<std::string>{"16", "32", "64", "128", "16", "32", "64", "128"}));
  EXPECT_EQ(DifferingFromBanner(ReadBmp(folder + "/great.bmp"), ReferenceBanner(folder, 8)), 0);
  EXPECT_EQ(IniValue(ReadFile(folder + "/plugin.ini"), kSection, "PAD_BUTTONS"), "5,6,7,8");
}

TEST(Pad, HatAndButtonsHitOnceEachAndAPadPulledOutMidSongPlaysOnWhenBack) {
  // Lanes 0 1 2 3 0, three empty steps, lanes 1 2 3.
  std::string folder = PadFolder("pad-scripted", "#BPM:60;\r\n#SINGLE:BASIC:3:\r\n42864000286;\r\n", "");
  std::string scenario = "frame-ms 30\nplaylist C:\\Music\\Song.mp3\n" + At(100, "pad hat centre") +
                         At(kPlayAt, "play");
  // Button 1 hits arrow 0 and stays down: arrow 4, in the same lane, passes
  // unhit. The hat hits arrows 1 to 3.
  scenario += At(OnTargetAt(0), "pad down 1");
  const char* hat[] = {"", "down", "up", "right"};
  for (int k = 1; k < 4; ++k)
    scenario += At(OnTargetAt(k), std::string("pad hat ") + hat[k]) + At(OnTargetAt(k) + 60, "pad hat centre");
  // Pulled out once arrow 4 is missed, plugged in again with nothing held;
  // a button, the hat and a button hit arrows 8 to 10.
  scenario += At(OnTargetAt(4) + 250, "pad gone") + At(OnTargetAt(4) + 350, "pad hat centre");
  scenario += At(OnTargetAt(8), "pad down 2") + At(OnTargetAt(8) + 60, "pad up 2");
  scenario += At(OnTargetAt(9), "pad hat up") + At(OnTargetAt(9) + 60, "pad hat centre");
  scenario += At(OnTargetAt(10), "pad down 4") + At(OnTargetAt(10) + 60, "pad up 4");
  scenario += At(OnTargetAt(10) + 600, "capture end.bmp") + At(OnTargetAt(10) + 700, "quit");
  HostRun run = RunHost(folder, scenario);
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  ExpectSessionSurvived(run);
  std::vector<JournalEvent> asks = EventsNamed(run, "joystick");
  ASSERT_EQ(asks.size(), 1u);
  EXPECT_GT(std::stoi(asks[0].at("found")), 0);
  // Four hits, the miss (combo -1), then three hits count -1 -> 0 -> 1 -> 2.
  EXPECT_EQ(DifferingFromBanner(ReadBmp(folder + "/end.bmp"), ReferenceBanner(folder, 2)), 0);
  EXPECT_EQ(IniValue(ReadFile(folder + "/plugin.ini"), kSection, "PAD_BUTTONS"), "1,2,3,4") << "a missing key";
}

TEST(Pad, WithoutAPadWindowsIsAskedAboutOnceASecondAndABadValueIsKept) {
  std::string folder = PadFolder("pad-none", "#BPM:60;\r\n#SINGLE:BASIC:3:\r\n4286;\r\n",
                                 "WRITE_LOG=1\r\nPAD_BUTTONS=1, 1, 2\r\n");
  HostRun run = RunHost(folder, "frame-ms 30\nplaylist C:\\Music\\Song.mp3\n0 play\n3000 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  ExpectSessionSurvived(run);
  EXPECT_TRUE(EventsNamed(run, "pad").empty());
  std::vector<JournalEvent> asks = EventsNamed(run, "joystick");
  ASSERT_EQ(asks.size(), 1u);
  int calls = std::stoi(asks[0].at("calls"));
  EXPECT_GE(calls, 1) << "the plug-in looks for a pad";
  EXPECT_LE(calls * 10, int(EventsNamed(run, "render").size())) << "not on every frame";
  EXPECT_EQ(asks[0].at("found"), "0");
  EXPECT_TRUE(Logged(folder, "PAD_BUTTONS \"1, 1, 2\" does not name four different buttons from 1 to 32: "
                             "the pad plays with 1,2,3,4."));
  EXPECT_EQ(IniValue(ReadFile(folder + "/plugin.ini"), kSection, "PAD_BUTTONS"), "1, 1, 2");
}

}  // namespace
