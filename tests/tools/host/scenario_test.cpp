// scenario_test.cpp -- the host harness's scenario files, playback answers and journal text.
#include <gtest/gtest.h>

#include <iterator>

#include "tools/host/journal.h"
#include "tools/host/scenario.h"

namespace {

TEST(Scenario, ParsesPlaylistAndTimedActionsInTimeOrder) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ParseScenario("# a comment\r\n"
                            "playlist C:\\Music\\Demo Song.mp3\r\n"
                            "  playlist C:\\Music\\Two.mp3\n"
                            "500 keydown LEFT\n"
                            "100 play\n"
                            "\n"
                            "500 keyup left_is_not_a_key_name_but_this_line_is_never_reached\n",
                            scenario, error) == false);
  EXPECT_EQ(error, "scenario line 7 'keyup' names no key");

  ASSERT_TRUE(ParseScenario("playlist C:\\Music\\Demo Song.mp3\n"
                            "500 keydown LEFT\n100 play\n500 capture out.bmp\n900 move -20 35\n",
                            scenario, error))
      << error;
  ASSERT_EQ(scenario.playlist.size(), 1u);
  EXPECT_EQ(scenario.playlist[0], "C:\\Music\\Demo Song.mp3");
  ASSERT_EQ(scenario.actions.size(), 4u);
  EXPECT_EQ(scenario.actions[0].kind, ActionKind::Play);
  EXPECT_EQ(scenario.actions[1].kind, ActionKind::KeyDown);  // same time: file order kept
  EXPECT_EQ(scenario.actions[1].first, 0x25);
  EXPECT_EQ(scenario.actions[2].text, "out.bmp");
  EXPECT_EQ(scenario.actions[3].first, -20);
  EXPECT_EQ(scenario.actions[3].second, 35);
  EXPECT_EQ(scenario.actions[3].line, 5);
}

TEST(Scenario, RejectsMalformedLinesNamingThem) {
  const std::pair<const char*, const char*> cases[] = {
      {"soon play\n", "scenario line 1 does not start with a time in ms"},
      {"-5 play\n", "scenario line 1 does not start with a time in ms"},
      {"0 play\n10 dance\n", "scenario line 2 has an unknown action 'dance'"},
      {"10 seek\n", "scenario line 1 'seek' needs a number"},
      {"10 seek 12x\n", "scenario line 1 'seek' needs a number"},
      {"10 move 3\n", "scenario line 1 'move' needs x and y"},
      {"10 capture\n", "scenario line 1 'capture' needs a file name"},
      {"10 filename maybe\n", "scenario line 1 'filename' takes null or normal"},
      {"10 keypress\n", "scenario line 1 'keypress' names no key"},
      {"2147483640 keypress UP\n", "scenario line 1 'keypress' comes too late to release its key"},
      {"10 stall 0\n", "scenario line 1 'stall' needs a whole number of ms from 1 to 60000"},
      {"10 stall 60001\n", "scenario line 1 'stall' needs a whole number of ms from 1 to 60000"},
      {"10 stall\n", "scenario line 1 'stall' needs a whole number of ms from 1 to 60000"},
      {"host-thread\n", "scenario line 1 'host-thread' takes vis or main"},
      {"host-thread gui\n", "scenario line 1 'host-thread' takes vis or main"},
      {"host-thread main vis\n", "scenario line 1 'host-thread' takes vis or main"},
      {"10 dialog\n", "scenario line 1 has an unknown action 'dialog'"},
      {"10 dialog wave\n", "scenario line 1 has an unknown action 'dialog wave'"},
      {"10 dialog click\n", "scenario line 1 'dialog click' needs a control id from 0 to 65535"},
      {"10 dialog hover 65536\n", "scenario line 1 'dialog hover' needs a control id from 0 to 65535"},
      {"10 dialog leave -1\n", "scenario line 1 'dialog leave' needs a control id from 0 to 65535"},
      {"10 capture-dialog\n", "scenario line 1 'capture-dialog' needs a file name"},
  };
  for (const auto& c : cases) {
    Scenario scenario;
    std::string error;
    EXPECT_FALSE(ParseScenario(c.first, scenario, error)) << c.first;
    EXPECT_EQ(error, c.second);
  }
}

TEST(Scenario, FrameMsIsAHeaderLineFromOneToOneThousand) {
  const std::pair<const char*, int32_t> good[] = {
      {"0 play\n", 0}, {"frame-ms 30\n0 play\n", 30}, {"\tframe-ms 1\n", 1}, {"frame-ms 1000\n", 1000}};
  const char* const bad[] = {"frame-ms 0", "frame-ms 1001", "frame-ms 30ms", "frame-ms 30 40", "frame-ms"};
  Scenario scenario;
  std::string error;
  for (const auto& c : good) {
    EXPECT_TRUE(ParseScenario(c.first, scenario, error)) << error;
    EXPECT_EQ(scenario.frameMs, c.second) << c.first;
  }
  for (const char* line : bad) {
    EXPECT_FALSE(ParseScenario(std::string("0 play\n") + line + "\n", scenario, error)) << line;
    EXPECT_EQ(error, "scenario line 2 'frame-ms' needs a whole number of ms from 1 to 1000");
  }
  ASSERT_TRUE(ParseScenario("wide-names off\nrequest-journal off\nsettings-folder C:\\My Player\n", scenario,
                            error)) << error;
  EXPECT_EQ(scenario.wideNames, 0);
  EXPECT_EQ(scenario.requestJournal, 0);
  EXPECT_EQ(scenario.settingsFolder, "C:\\My Player");
  EXPECT_TRUE(scenario.answerSettingsFolder);
  ASSERT_TRUE(ParseScenario("settings-folder none\n", scenario, error)) << error;
  EXPECT_FALSE(scenario.answerSettingsFolder);
  ASSERT_TRUE(ParseScenario("box-ms 0\nbox-ms 60000\n", scenario, error)) << error;
  EXPECT_EQ(scenario.boxMs, 60000);
  EXPECT_FALSE(ParseScenario("box-ms -1\n", scenario, error));
  EXPECT_EQ(error, "scenario line 1 'box-ms' needs a whole number of ms from 0 to 60000");
}

TEST(Scenario, AutoplayRecordAndAudioAreHeaderLines) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ParseScenario("autoplay Z:\\demo\\Neon Stairs.msd 2\nrecord C:\\frames\naudio C:\\a b.wav\n",
                            scenario, error)) << error;
  EXPECT_EQ(scenario.autoplayChart, "Z:\\demo\\Neon Stairs.msd");
  EXPECT_EQ(scenario.autoplayLevel, 2);
  EXPECT_EQ(scenario.recordFolder, "C:\\frames");
  EXPECT_EQ(scenario.audioFile, "C:\\a b.wav");
  for (const char* bad : {"autoplay Song.msd 3\n", "autoplay Song.msd\n", "autoplay 1\n"}) {
    EXPECT_FALSE(ParseScenario(bad, scenario, error)) << bad;
    EXPECT_NE(error.find("'autoplay' takes a chart file and a level"), std::string::npos) << error;
  }
  ASSERT_TRUE(ParseScenario("fault CreateThread\nfault ReadFile 3\n5 unfault\n", scenario, error)) << error;
  ASSERT_EQ(scenario.faults.size(), 2u);
  EXPECT_EQ(scenario.faults[1].name, "ReadFile");
  EXPECT_EQ(scenario.faults[1].failFrom, 3);
  EXPECT_EQ(scenario.actions.at(0).kind, ActionKind::Unfault);
  for (const char* bad : {"fault malloc\n", "fault ReadFile 0\n", "fault ReadFile 2 3\n"}) {
    EXPECT_FALSE(ParseScenario(bad, scenario, error)) << bad;
  }
}

TEST(Scenario, StreamsHaveSoundsTitlesAndALiveLog) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ParseScenario("playlist C:\\Music\\One.mp3\nsound Z:\\tmp\\one click.wav\n"
                            "playlist http://radio.example/live\nautoplay-live C:\\P\\StomparaLog.txt\n"
                            "900 title 1 Artist -  Song\n",
                            scenario, error)) << error;
  EXPECT_EQ(scenario.sounds, (std::vector<std::string>{"Z:\\tmp\\one click.wav", ""}));
  EXPECT_EQ(scenario.autoplayLive, "C:\\P\\StomparaLog.txt");
  ASSERT_EQ(scenario.actions.size(), 1u);
  EXPECT_EQ(scenario.actions[0].kind, ActionKind::Title);
  EXPECT_EQ(scenario.actions[0].first, 1);
  EXPECT_EQ(scenario.actions[0].text, "Artist -  Song");

  const std::pair<const char*, const char*> bad[] = {
      {"sound C:\\a.wav\nplaylist C:\\a.mp3\n", "scenario line 1 'sound' comes before any playlist entry"},
      {"playlist C:\\a.mp3\n10 title 0\n", "scenario line 2 'title' needs an entry and a title"},
      {"playlist C:\\a.mp3\n10 title first Song\n", "scenario line 2 'title' needs an entry and a title"},
      {"playlist C:\\a.mp3\n10 title 1 Song\n", "scenario line 2 'title' names no playlist entry"},
      {"10 title -1 Song\n", "scenario line 1 'title' names no playlist entry"},
      {"autoplay-live C:\\log.txt\nautoplay C:\\a.msd 0\n", "scenario line 2 'autoplay' cannot go with 'autoplay-live'"},
      {"autoplay C:\\a.msd 0\nautoplay-live C:\\log.txt\n", "scenario line 2 'autoplay-live' cannot go with 'autoplay'"},
  };
  for (const auto& c : bad) {
    EXPECT_FALSE(ParseScenario(c.first, scenario, error)) << c.first;
    EXPECT_EQ(error, c.second);
  }
}

TEST(Scenario, FileTitleIsTheLastPathPartOrAStreamsWholeName) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Music\\Demo Song.mp3", "Demo Song"}, {"C:\\Music\\a.b.ogg", "a.b"},
      {"Z:/tmp/Song", "Song"},                   {"http://radio.example/live.mp3", "http://radio.example/live.mp3"},
      {"C:\\v1.2\\Song", "Song"},                {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FileTitle(c.first), c.second) << c.first;
}

TEST(Scenario, HostThreadIsAHeaderLineAndStallTakesItsMs) {
  const std::pair<const char*, int32_t> threads[] = {
      {"0 play\n", kHostThreadVis},
      {"host-thread main\n0 play\n", kHostThreadMain},
      {"host-thread main\nhost-thread vis\n", kHostThreadVis},
  };
  Scenario scenario;
  std::string error;
  for (const auto& c : threads) {
    EXPECT_TRUE(ParseScenario(c.first, scenario, error)) << error;
    EXPECT_EQ(scenario.hostThread, c.second) << c.first;
  }
  ASSERT_TRUE(ParseScenario("600 stall 1\n600 stall 60000\n", scenario, error)) << error;
  ASSERT_EQ(scenario.actions.size(), 2u);
  EXPECT_EQ(scenario.actions[0].kind, ActionKind::Stall);
  EXPECT_EQ(scenario.actions[0].first, 1);
  EXPECT_EQ(scenario.actions[1].first, 60000);
}

TEST(Scenario, DialogVerbsPickTheirActionAndTakeAControlId) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ParseScenario("10 dialog click 1\n10 dialog hover 0x3F7\n10 dialog leave 65535\n"
                            "10 dialog escape\n10 dialog probe\n10 dialog browse\n"
                            "10 capture-dialog d.bmp\n",
                            scenario, error))
      << error;
  struct Expected { ActionKind kind; int32_t first; const char* text; };
  const Expected expected[] = {
      {ActionKind::DialogClick, 1, ""},     {ActionKind::DialogHover, 1015, ""},
      {ActionKind::DialogLeave, 65535, ""}, {ActionKind::DialogEscape, 0, ""},
      {ActionKind::DialogProbe, 0, ""},     {ActionKind::DialogBrowse, 0, ""},
      {ActionKind::CaptureDialog, 0, "d.bmp"},
  };
  ASSERT_EQ(scenario.actions.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(scenario.actions[i].kind, expected[i].kind) << i;
    EXPECT_EQ(scenario.actions[i].first, expected[i].first) << i;
    EXPECT_EQ(scenario.actions[i].text, expected[i].text) << i;
  }
}

TEST(Scenario, PadVerbsPlayAPadThatGoneUnplugsAndAnyLaterActionPlugsInAfresh) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ParseScenario("autoplay-pad 5,6,7,32\n10 pad hat down-left\n10 pad down 3\n10 pad down 32\n"
                            "10 pad up 3\n10 pad gone\n10 pad up 1\n",
                            scenario, error))
      << error;
  EXPECT_TRUE(scenario.autoplayPad);
  EXPECT_EQ(scenario.autoplayPadButtons[3], 32);
  const PadModel after[] = {{true, 0, 22500},           {true, 0b100, 22500}, {true, 0x80000004u, 22500},
                            {true, 0x80000000u, 22500}, {false, 0, kPadHatCentred}, {true, 0, kPadHatCentred}};
  ASSERT_EQ(scenario.actions.size(), std::size(after));
  PadModel pad;
  for (size_t i = 0; i < std::size(after); ++i) {
    ApplyPadAction(pad, scenario.actions[i]);
    EXPECT_TRUE(pad == after[i]) << i;
  }
  const std::pair<const char*, std::string> bad[] = {
      {"10 pad down 0\n", "scenario line 1 'pad down' needs a button from 1 to 32"},
      {"10 pad hat north\n", "scenario line 1 'pad hat' takes up, down, left, right, a diagonal such as up-left, or centre"},
      {"autoplay-pad 1,2,3,3\n", "scenario line 1 'autoplay-pad' takes four different buttons from 1 to 32, such as 1,2,3,4"},
      {"autoplay-pad 1,2,3,4,\n", "scenario line 1 'autoplay-pad' takes four different buttons from 1 to 32, such as 1,2,3,4"},
  };
  for (const auto& c : bad) {
    EXPECT_FALSE(ParseScenario(c.first, scenario, error)) << c.first;
    EXPECT_EQ(error, c.second);
  }
}

TEST(Scenario, KeypressBecomesDownThenUpFortyMsLaterInFileOrder) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(ParseScenario("2910 keypress LEFT\n"
                            "2950 keydown UP\n"
                            "2950 capture a.bmp\n"
                            "2920 keypress 0x41\n"
                            "3000 wait\n",
                            scenario, error))
      << error;
  struct Expected { int32_t atMs; ActionKind kind; int32_t first; int line; };
  const Expected expected[] = {
      {2910, ActionKind::KeyDown, 0x25, 1}, {2920, ActionKind::KeyDown, 0x41, 4},
      {2950, ActionKind::KeyUp, 0x25, 1},   {2950, ActionKind::KeyDown, 0x26, 2},
      {2950, ActionKind::Capture, 0, 3},    {2960, ActionKind::KeyUp, 0x41, 4},
      {3000, ActionKind::Wait, 0, 5},
  };
  ASSERT_EQ(scenario.actions.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const ScenarioAction& action = scenario.actions[i];
    EXPECT_EQ(action.atMs, expected[i].atMs) << i;
    EXPECT_EQ(action.kind, expected[i].kind) << i;
    EXPECT_EQ(action.first, expected[i].first) << i;
    EXPECT_EQ(action.line, expected[i].line) << i;
  }
}

TEST(Scenario, KeyDataCarriesScanCodeAndPreviousState) {
  struct Case { const char* name; ActionKind kind; int64_t data; };
  const Case cases[] = {
      {"LEFT", ActionKind::KeyDown, 0x014B0001},
      {"LEFT", ActionKind::KeyRepeat, 0x414B0001},
      {"LEFT", ActionKind::KeyUp, 0xC14B0001},
      {"DOWN", ActionKind::KeyDown, 0x01500001},
      {"UP", ActionKind::KeyDown, 0x01480001},
      {"RIGHT", ActionKind::KeyUp, 0xC14D0001},
      {"SPACE", ActionKind::KeyDown, 0x00390001},
      {"Z", ActionKind::KeyDown, 0x00000001},
  };
  for (const Case& c : cases)
    EXPECT_EQ(KeyMessageData(KeyCodeByName(c.name), c.kind), c.data) << c.name;
  EXPECT_EQ(KeyCodeByName("0x41"), 0x41);
  EXPECT_EQ(KeyCodeByName("7"), '7');
  EXPECT_EQ(KeyCodeByName("NOPE"), -1);
  EXPECT_EQ(KeyCodeByName("300"), -1);
}

ScenarioAction Action(ActionKind kind, int32_t first = 0) {
  ScenarioAction action;
  action.kind = kind;
  action.first = first;
  return action;
}

TEST(Playback, AnswersAsThePlayerDoes) {
  Scenario scenario;
  scenario.playlist = {"C:\\a.mp3", "C:\\b.mp3"};
  Playback playback;
  EXPECT_EQ(IsPlayingAnswer(playback), 0);
  EXPECT_EQ(PositionAnswer(playback, 0), -1);
  ApplyPlaybackAction(playback, Action(ActionKind::Play), 1000);
  EXPECT_EQ(IsPlayingAnswer(playback), 1);
  EXPECT_EQ(PositionAnswer(playback, 1250), 250);
  ApplyPlaybackAction(playback, Action(ActionKind::Pause), 1500);
  EXPECT_EQ(IsPlayingAnswer(playback), 3);
  EXPECT_EQ(PositionAnswer(playback, 9000), 500);
  ApplyPlaybackAction(playback, Action(ActionKind::Play), 9000);  // resumes where it paused
  EXPECT_EQ(PositionAnswer(playback, 9100), 600);
  ApplyPlaybackAction(playback, Action(ActionKind::Seek, 60000), 9100);
  EXPECT_EQ(PositionAnswer(playback, 9200), 60100);
  ApplyPlaybackAction(playback, Action(ActionKind::Stop), 9300);
  EXPECT_EQ(PositionAnswer(playback, 9400), -1);
  ApplyPlaybackAction(playback, Action(ActionKind::Play), 10000);  // from the start again
  EXPECT_EQ(PositionAnswer(playback, 10040), 40);

  EXPECT_STREQ(FileNameAnswer(playback, scenario, 1), "C:\\b.mp3");
  EXPECT_EQ(FileNameAnswer(playback, scenario, 2), nullptr);
  EXPECT_EQ(FileNameAnswer(playback, scenario, -1), nullptr);
  ApplyPlaybackAction(playback, Action(ActionKind::Select, 1), 10050);
  EXPECT_EQ(playback.entry, 1);
  ApplyPlaybackAction(playback, Action(ActionKind::FileName, 1), 10060);
  EXPECT_EQ(FileNameAnswer(playback, scenario, 1), nullptr);
  EXPECT_EQ(PositionAnswer(playback, 10100), 100);  // other actions keep the clock running
}

TEST(Journal, LinesAreFlatJsonWithEveryByteKept) {
  EXPECT_EQ(JournalLine(12, "request", {Field("request", int64_t(211)), Field("answer", nullptr)}),
            "{\"t\":12,\"event\":\"request\",\"request\":211,\"answer\":null}");
  EXPECT_EQ(JsonString("a\"b\\c\r\n\t\x01\xE9"), "\"a\\\"b\\\\c\\r\\n\\t\\u0001\\u00e9\"");
}

}  // namespace
