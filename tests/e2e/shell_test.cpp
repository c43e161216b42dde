// shell_test.cpp -- the plug-in's spine in the host harness: records, window, settings, log.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "e2e/host_support.h"

namespace {

constexpr char kSection[] = "Stompara for Winamp";

std::string Ini(const std::string& folder) { return ReadFile(folder + "/plugin.ini"); }

JournalEvent OnlyEvent(const HostRun& run, const std::string& name) {
  std::vector<JournalEvent> events = EventsNamed(run, name);
  EXPECT_EQ(events.size(), 1u) << name;
  return events.empty() ? JournalEvent{} : events.front();
}

TEST(Shell, HeaderAndModuleRecords) {
  std::string folder = MakePluginFolder("records");
  HostRun run = RunHost(folder, "0 play\n200 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  JournalEvent header = OnlyEvent(run, "header");
  EXPECT_EQ(header["version"], "256");
  EXPECT_EQ(header["description"], "Stompara for Winamp v1.1");
  EXPECT_EQ(header["module0"], "Stompara for Winamp");
  EXPECT_EQ(header["module1Null"], "1");
  EXPECT_EQ(header["delayMs"], "25");
  EXPECT_EQ(header["latencyMs"], "0");
  EXPECT_EQ(header["spectrumNch"], "0");
  EXPECT_EQ(header["waveformNch"], "2") << "the sound, for a song played live";
  EXPECT_EQ(OnlyEvent(run, "init")["result"], "0");
  EXPECT_GT(EventsNamed(run, "render").size(), 2u);
  // The end counts every request the host answered.
  JournalEvent end = OnlyEvent(run, "end");
  unsigned long counted = 0;
  for (const char* request : {"requests104", "requests105", "requests125", "requests211"})
    counted += std::stoul(end[request]);
  EXPECT_EQ(counted, EventsNamed(run, "request").size());
}

TEST(Shell, RequestJournalOffStillAnswersAndCountsEveryRequest) {
  std::string folder = MakePluginFolder("quiet-requests");
  HostRun run = RunHost(folder, "request-journal off\n0 play\n300 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_TRUE(EventsNamed(run, "request").empty());
  EXPECT_GT(std::stoul(OnlyEvent(run, "end")["requests211"]), 0u);
}

TEST(Shell, NoSettingsFileGivesDefaultsAndQuitWritesEveryKey) {
  std::string folder = MakePluginFolder("defaults");
  HostRun run = RunHost(folder, "0 play\n300 probe\n400 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  JournalEvent window = OnlyEvent(run, "window");
  EXPECT_EQ(window["x"], "100");
  EXPECT_EQ(window["y"], "100");
  EXPECT_FALSE(FileExists(folder + "/StomparaLog.txt"));
  std::string ini = Ini(folder);
  const std::pair<const char*, const char*> expected[] = {
      {"WRITE_LOG", "0"}, {"SCREEN_X", "100"}, {"SCREEN_Y", "100"},
      {"MSD_PATH", ""},   {"LEVEL", "0"},      {"SHOW_FLAME", "0"}, {"AUTO_CHART", "1"},
      {"OFFSET_MS", "0"}, {"KEYS", "LEFT,DOWN,UP,RIGHT"}, {"PAD_BUTTONS", "1,2,3,4"},
  };
  for (const auto& key : expected) EXPECT_EQ(IniValue(ini, kSection, key.first), key.second) << key.first;
  // Written in key order.
  EXPECT_LT(ini.find("WRITE_LOG="), ini.find("SCREEN_X="));
  EXPECT_LT(ini.find("MSD_PATH="), ini.find("LEVEL="));
  EXPECT_LT(ini.find("LEVEL="), ini.find("SHOW_FLAME="));
}

TEST(Shell, SettingsRoundTripKeepsOtherSectionsAndKeys) {
  std::string folder = MakePluginFolder("roundtrip");
  WriteFile(folder + "/plugin.ini",
            "[Other]\r\nfoo=bar\r\n[Stompara for Winamp]\r\nSHOW_FLAME=7\r\nSCREEN_X=-20\r\n"
            "SCREEN_Y=-5\r\nLEVEL=2\r\nMSD_PATH=C:\\charts\\\r\nEXTRA=keep me\r\n");
  HostRun run = RunHost(folder, "0 play\n300 probe\n400 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  JournalEvent window = OnlyEvent(run, "window");
  EXPECT_EQ(window["x"], "-20");
  EXPECT_EQ(window["y"], "-5");
  std::string ini = Ini(folder);
  EXPECT_EQ(IniValue(ini, kSection, "SHOW_FLAME"), "1");
  EXPECT_EQ(IniValue(ini, kSection, "SCREEN_X"), "-20");
  EXPECT_EQ(IniValue(ini, kSection, "SCREEN_Y"), "-5");
  EXPECT_EQ(IniValue(ini, kSection, "LEVEL"), "2");
  EXPECT_EQ(IniValue(ini, kSection, "MSD_PATH"), "C:\\charts\\");
  EXPECT_EQ(IniValue(ini, kSection, "EXTRA"), "keep me");
  EXPECT_EQ(IniValue(ini, "Other", "foo"), "bar");
}

TEST(Shell, GameWindowIsAnOwnedToolWindowWithAnExactClientArea) {
  std::string folder = MakePluginFolder("window");
  HostRun run = RunHost(folder, "0 play\n300 probe\n400 quit\n");
  JournalEvent window = OnlyEvent(run, "window");
  EXPECT_EQ(window["clientWidth"], "288");
  EXPECT_EQ(window["clientHeight"], "310");
  EXPECT_EQ(window["owner"], "host");
  EXPECT_EQ(window["title"], "Stompara for Winamp");
  EXPECT_EQ(window["class"], "WinampStompara");
  long style = std::stol(window["style"]), exStyle = std::stol(window["exStyle"]);
  EXPECT_TRUE(exStyle & 0x80) << "WS_EX_TOOLWINDOW";
  EXPECT_TRUE(style & 0x00080000) << "WS_SYSMENU";
  EXPECT_TRUE(style & 0x10000000) << "WS_VISIBLE";
  EXPECT_FALSE(style & 0x00040000) << "no sizing border";
  EXPECT_FALSE(style & 0x00030000) << "no minimise or maximise box";
  EXPECT_GT(std::stoi(window["width"]), 288);
  EXPECT_GT(std::stoi(window["height"]), 310);
}

TEST(Shell, MovedWindowReopensWhereItWasLeft) {
  std::string folder = MakePluginFolder("move");
  HostRun first = RunHost(folder, "0 play\n200 move 321 187\n300 quit\n");
  ASSERT_EQ(first.exitCode, 0) << first.stderrText;
  EXPECT_EQ(IniValue(Ini(folder), kSection, "SCREEN_X"), "321");
  EXPECT_EQ(IniValue(Ini(folder), kSection, "SCREEN_Y"), "187");
  HostRun second = RunHost(folder, "0 play\n200 probe\n300 quit\n");
  JournalEvent window = OnlyEvent(second, "window");
  EXPECT_EQ(window["x"], "321");
  EXPECT_EQ(window["y"], "187");
}

TEST(Shell, ConfigRereadsTheFileSoAnUnsavedMoveIsForgotten) {
  std::string folder = MakePluginFolder("config-reread");
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nSCREEN_X=40\r\nSCREEN_Y=60\r\n");
  HostRun run = RunHost(folder, "0 play\n200 move 300 200\n300 config\n700 dialog escape\n800 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(EventsNamed(run, "config-returned").size(), 1u);
  EXPECT_EQ(IniValue(Ini(folder), kSection, "SCREEN_X"), "40");
  EXPECT_EQ(IniValue(Ini(folder), kSection, "SCREEN_Y"), "60");
}

TEST(Shell, LogOffCreatesNoLog) {
  std::string folder = MakePluginFolder("log-off");
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=0\r\n");
  HostRun run = RunHost(folder, "0 play\n300 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_FALSE(FileExists(folder + "/StomparaLog.txt"));
}

TEST(Shell, LogOnRecordsStartUpFramesAndShutDownInOrder) {
  std::string folder = MakePluginFolder("log-on");
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\n");
  HostRun run = RunHost(folder, "0 play\n300 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  std::string bytes = ReadFile(folder + "/StomparaLog.txt");
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  EXPECT_EQ(bytes.find('\0'), std::string::npos);
  std::vector<std::string> lines = ReadLines(folder + "/StomparaLog.txt");
  const std::vector<std::string> startUp = {
      "Event log started.",     "Main frame created succeeded.", "Double buffer created.",
      "Creating GDI stuffs...",
  };
  ASSERT_GT(lines.size(), startUp.size());
  for (size_t i = 0; i < startUp.size(); ++i) EXPECT_EQ(lines[i], startUp[i]);
  const std::vector<std::string> shutDown = {
      "Double buffer deleted.", "GDI stuffs deleted.", "Flame DC and bitmap deleted.",
      "Main frame destroyed.",  "Event log shut down.",
  };
  std::vector<std::string> tail(lines.end() - shutDown.size(), lines.end());
  EXPECT_EQ(tail, shutDown);
  auto firstFrame = std::find(lines.begin(), lines.end(), "Start to render frame #0.");
  ASSERT_NE(firstFrame, lines.end());
  EXPECT_NE(std::find(firstFrame, lines.end(), "Frame #0 rendered."), lines.end());
  EXPECT_NE(std::find(firstFrame, lines.end(), "Start to render frame #1."), lines.end());
}

TEST(Shell, SecondRunLeavesOnlyItsOwnLogLines) {
  std::string folder = MakePluginFolder("log-twice");
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\n");
  RunHost(folder, "0 play\n600 quit\n");
  size_t firstSize = ReadFile(folder + "/StomparaLog.txt").size();
  RunHost(folder, "0 play\n150 quit\n");
  std::vector<std::string> lines = ReadLines(folder + "/StomparaLog.txt");
  EXPECT_LT(ReadFile(folder + "/StomparaLog.txt").size(), firstSize);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Event log started."), 1);
  EXPECT_EQ(lines.front(), "Event log started.");
  EXPECT_EQ(lines.back(), "Event log shut down.");
}

TEST(Shell, LoggingSwitchedOnWhileRunningWritesNoLog) {
  std::string folder = MakePluginFolder("log-late");
  // Once the plug-in runs, switch logging on in the file; Config re-reads it.
  // A run made again starts with logging off and is edited afresh.
  std::thread editor;
  auto editOnceRunning = [&folder, &editor] {
    if (editor.joinable()) editor.join();
    WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=0\r\n");
    editor = std::thread([&folder] {
      for (int tries = 0; tries < 600; ++tries) {
        if (ReadFile(folder + "/journal.jsonl").find("\"init\"") != std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\n");
    });
  };
  HostRun run = RunHost(folder, "0 play\n1500 config\n1900 dialog escape\n2000 quit\n", editOnceRunning);
  editor.join();
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(EventsNamed(run, "config-returned").size(), 1u);
  EXPECT_EQ(EventsNamed(run, "quit").size(), 1u);
  EXPECT_FALSE(FileExists(folder + "/StomparaLog.txt"));
  EXPECT_EQ(IniValue(Ini(folder), kSection, "WRITE_LOG"), "1");
}

TEST(Shell, UncreatableLogStopsInitWithABox) {
  std::string folder = MakePluginFolder("log-blocked");
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\n");
  std::system(("mkdir '" + folder + "/StomparaLog.txt'").c_str());  // a folder in the file's place
  HostRun run = RunHost(folder, "0 play\n300 probe\n400 quit\n");
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_EQ(OnlyEvent(run, "init")["result"], "1");
  JournalEvent box = OnlyEvent(run, "message-box");
  EXPECT_EQ(box["text"], "Log file create failed!");
  EXPECT_EQ(box["caption"], "Error");
  EXPECT_EQ(box["icon"], "error");
  EXPECT_EQ(box["owner"], "none");
  EXPECT_EQ(OnlyEvent(run, "window")["exists"], "0");
  EXPECT_TRUE(EventsNamed(run, "render").empty());
  EXPECT_TRUE(EventsNamed(run, "quit").empty());
}

TEST(Shell, InitAfterQuitInTheSameProcessSucceeds) {
  std::string folder = MakePluginFolder("reinit");
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\n");
  // The probe waits a second for the second Init: the emulated 32-bit CPU is slow to make the window.
  HostRun run = RunHost(folder, "0 play\n250 quit\n300 init\n1300 probe\n1400 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  std::vector<JournalEvent> inits = EventsNamed(run, "init");
  ASSERT_EQ(inits.size(), 2u);
  EXPECT_EQ(inits[0]["result"], "0");
  EXPECT_EQ(inits[1]["result"], "0");
  EXPECT_TRUE(EventsNamed(run, "message-box").empty());
  EXPECT_EQ(OnlyEvent(run, "window")["clientWidth"], "288");
  // The second Init created the log anew.
  std::vector<std::string> lines = ReadLines(folder + "/StomparaLog.txt");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Event log started."), 1);
}

TEST(Shell, ClosingTheGameWindowAsksTheHostToQuit) {
  std::string folder = MakePluginFolder("close");
  HostRun run = RunHost(folder, "0 play\n250 close\n500 probe\n600 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  EXPECT_EQ(OnlyEvent(run, "quit-message")["code"], "0");
  EXPECT_EQ(EventsNamed(run, "quit").size(), 1u);
  EXPECT_EQ(OnlyEvent(run, "window")["exists"], "0");
}

TEST(Shell, PainterRendersOnlyOnceTheHostHasPlayed) {
  std::string folder = MakePluginFolder("paint");
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\n");
  RunHost(folder, "100 paint\n300 quit\n");
  std::vector<std::string> stopped = ReadLines(folder + "/StomparaLog.txt");
  EXPECT_EQ(std::count(stopped.begin(), stopped.end(), "Next render is called by painter."), 0);

  RunHost(folder, "100 play\n200 paint\n300 stop\n400 paint\n500 quit\n");
  std::vector<std::string> played = ReadLines(folder + "/StomparaLog.txt");
  // Once the painter has rendered, it renders on every paint, playing or not.
  EXPECT_GE(std::count(played.begin(), played.end(), "Next render is called by painter."), 2);
}

TEST(Shell, HarnessRefusesWhatIsNoPlugIn) {
  std::string folder = MakePluginFolder("not-a-plugin");
  HostRun missing = RunHostWithArguments(folder, "--journal journal.jsonl no-such.dll");
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_NE(missing.stderrText.find("cannot load plug-in"), std::string::npos);
  HostRun noExport = RunHostWithArguments(folder, "--journal journal.jsonl C:\\\\windows\\\\system32\\\\version.dll");
  EXPECT_EQ(noExport.exitCode, 3);
  EXPECT_NE(noExport.stderrText.find("no winampVisGetHeader export"), std::string::npos);
  WriteFile(folder + "/null.dll", ReadFile(Tested().build + "/null_module_plugin.dll"));
  HostRun noModule = RunHostWithArguments(folder, "--journal journal.jsonl null.dll");
  EXPECT_EQ(noModule.exitCode, 4);
  EXPECT_NE(noModule.stderrText.find("gives no module 0"), std::string::npos);
  WriteFile(folder + "/bad.txt", "0 dance\n");
  HostRun badScenario = RunHostWithArguments(folder, "vis_stompara.dll bad.txt");
  EXPECT_EQ(badScenario.exitCode, 65);
  EXPECT_NE(badScenario.stderrText.find("line 1"), std::string::npos);
}

}  // namespace
