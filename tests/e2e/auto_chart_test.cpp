// auto_chart_test.cpp -- a song without a chart: made from its audio in every format, or reported as before.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chart/msd_format.h"
#include "e2e/host_support.h"

namespace {

const char kSection[] = "Stompara for Winamp";

// A synthetic song (drums and bass at 128 BPM) as `file` in `folder`, in the
// format its extension names, encoded by ffmpeg. Made once per folder.
std::string MakeSong(const std::string& folder, const std::string& file, int seconds = 30) {
  std::string wav = folder + "/synth-" + std::to_string(seconds) + ".wav";
  if (!FileExists(wav))
    std::system((std::string(STOMPARA_BINARY_DIR "/tools/synth/stompara_synth --bpm 128 --seconds ") +
                 std::to_string(seconds) + " '" + wav + "' >/dev/null").c_str());
  std::string codec = file.find(".mp3") != std::string::npos    ? "-codec:a libmp3lame -b:a 128k"
                      : file.find(".ogg") != std::string::npos  ? "-codec:a libvorbis"
                      : file.find(".m4a") != std::string::npos  ? "-codec:a aac -b:a 160k"
                      : file.find(".flac") != std::string::npos ? "-codec:a flac"
                                                                : "-codec:a pcm_s16le";
  std::system(("ffmpeg -loglevel error -y -i '" + wav + "' " + codec + " '" + folder + "/" + file + "'").c_str());
  return folder + "/" + file;
}

// The files in `folder`.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Ini(const std::string& charts, const std::string& extra = "", bool log = true) {
  return std::string("[") + kSection + "]\r\nWRITE_LOG=" + (log ? "1" : "0") + "\r\nSHOW_FLAME=0\r\nMSD_PATH=" +
         WindowsPath(charts) + "\r\n" + extra;
}

// The times (ms) of each level's arrows in a chart's text.
std::vector<std::vector<double>> ArrowTimes(const std::string& msd) {
  std::vector<std::vector<double>> levels;
  size_t tempo = msd.find("#BPM:");
  if (tempo == std::string::npos) return levels;
  double msPerStep = msPerStepFor(std::strtof(msd.c_str() + tempo + 5, nullptr));
  for (size_t at = msd.find("#SINGLE:"); at != std::string::npos; at = msd.find("#SINGLE:", at + 1)) {
    size_t steps = msd.find(':', msd.find(':', at + 8) + 1) + 1;
    levels.emplace_back();
    int32_t index = 0;
    for (size_t i = steps; i < msd.size() && msd[i] != ';'; ++i) {
      if (msd[i] == '\r' || msd[i] == '\n') continue;
      if (msd[i] != '0') levels.back().push_back(index * msPerStep);
      ++index;
    }
  }
  return levels;
}

// The share of `arrows` with one of `others` within 2 ms.
double SharedWithin2Ms(const std::vector<double>& arrows, const std::vector<double>& others) {
  size_t near = 0;
  for (double t : arrows)
    near += std::any_of(others.begin(), others.end(), [t](double o) { return std::fabs(o - t) <= 2; });
  return arrows.empty() ? 1 : double(near) / double(arrows.size());
}

// No chart, a song in each format: the chart is made, no box opens, every
// Render returns 0, and a perfect player ends on "GREAT!!" with a combo of
// every arrow the made chart spawned. The charts made through Media
// Foundation (FLAC and M4A) have the WAV's
// arrows within 2 ms: FLAC's are the WAV's, and a lossy codec only changes
// which weak onsets count (as the MP3's and the Ogg's do).
TEST(AutoChart, EverySongFormatGetsAChartThatPlays) {
  const std::vector<std::string> songs = {"Synth Song.wav", "Synth Song.mp3", "Synth Song.ogg", "Synth Song.m4a",
                                          "Synth Song.flac"};
  std::vector<std::vector<double>> wavArrows;
  for (const std::string& songName : songs) {
    const char* song = songName.c_str();
    std::string folder = MakePluginFolder(std::string("auto-chart-") + (std::strrchr(song, '.') + 1));
    std::string charts = folder + "/msd";
    std::system(("mkdir -p '" + charts + "'").c_str());
    WriteFile(folder + "/plugin.ini", Ini(charts));
    std::string path = MakeSong(folder, song, 12);
    // The chart ends with the song: its last arrows are hit before the capture.
    HostRun run = RunHost(folder, "frame-ms 30\nplaylist " + WindowsPath(path) + "\nautoplay " +
                                      WindowsPath(charts + "/Synth Song.msd") +
                                      " 0\n0 play\n16000 capture great.bmp\n16100 quit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(FilesIn(charts), std::vector<std::string>{"Synth Song.msd"}) << song << ": no temporary file left";
    EXPECT_TRUE(EventsNamed(run, "message-box").empty()) << song;
    for (const JournalEvent& render : EventsNamed(run, "render")) ASSERT_EQ(render.at("result"), "0") << song;
    EXPECT_TRUE(Logged(folder, "Chart made for <" + std::string(song) + "> in ")) << song;
    ASSERT_EQ(EventsNamed(run, "autoplay").size(), 1u) << song;
    EXPECT_EQ(EventsNamed(run, "autoplay")[0]["error"], "null") << song;
    int arrows = std::stoi(EventsNamed(run, "autoplay-end").at(0).at("arrows"));
    // How many depends on how soon the chart is ready: Standard has about
    // nine after the first 3 s of this 12 s song.
    EXPECT_GE(arrows, 5) << song;
    EXPECT_EQ(DifferingFromBanner(ReadBmp(folder + "/great.bmp"), ReferenceBanner(folder, arrows)), 0)
        << song << ": " << arrows << " arrows";
    std::vector<std::vector<double>> levels = ArrowTimes(ReadFile(charts + "/Synth Song.msd"));
    ASSERT_EQ(levels.size(), 3u) << song;
    if (wavArrows.empty()) wavArrows = levels;
    // Which of the beats a level keeps may differ (Basic's every other bar
    // one beat on), so each level is held to every arrow of the other chart.
    auto all = [](const std::vector<std::vector<double>>& chart) {
      std::vector<double> merged;
      for (const std::vector<double>& level : chart) merged.insert(merged.end(), level.begin(), level.end());
      return merged;
    };
    for (size_t level = 0; level < levels.size(); ++level) {
      double shared = SharedWithin2Ms(levels[level], all(wavArrows));
      double back = SharedWithin2Ms(wavArrows[level], all(levels));
      std::printf("  %s, level %zu: %zu arrows, %.1f %% of them within 2 ms of the WAV chart's (%.1f %% back)\n", song,
                  level, levels[level].size(), 100 * shared, 100 * back);
      if (songName.find(".flac") != std::string::npos) {
        EXPECT_EQ(levels[level], wavArrows[level]) << song << " level " << level;
      } else {
        // A lossy codec blurs the song's very first onset, and some weak ones.
        EXPECT_GE(shared, 0.9) << song << " level " << level;
        EXPECT_GE(back, 0.85) << song << " level " << level;
      }
    }
  }
}

// What cannot be made takes the loader's path exactly (its box, the
// configuration, Render 1) after one line that says why; so does every song
// with AUTO_CHART=0, and a song whose chart cannot be written. Nothing is
// left in the chart folder.
TEST(AutoChart, SongsThatCannotBeMadePlayLive) {
  std::string folder = MakePluginFolder("auto-chart-refused");
  std::string charts = folder + "/msd";
  std::system(("mkdir -p '" + charts + "'").c_str());
  std::string song = MakeSong(folder, "Song.mp3");
  std::string shortSong = MakeSong(folder, "Short.mp3", 6);
  // Half the MP3 is still a song; a sixth of it is too short.
  std::string whole = ReadFile(song);
  WriteFile(folder + "/Cut.mp3", whole.substr(0, whole.size() / 2));
  WriteFile(folder + "/Stub.mp3", whole.substr(0, whole.size() / 6));
  WriteFile(folder + "/Text.mp3", "not a song at all, only words\r\n");
  std::string m4a = MakeSong(folder, "Song.m4a");
  const std::string noMf = "an MPEG-4 (M4A) file, and ";
  struct Case {
    std::string name, header, song, why;  // `why` "" for no line
    bool made;
    bool logged = true;  // the log's own writes fail with WriteFile
    std::string reason = "";  // a part of the `why` line
  };
  const std::vector<Case> cases = {
      {"off", "", WindowsPath(song), "", false},
      {"stream", "", "http://radio.example/live.mp3",
       "No chart made for <http://radio.example/live.mp3>: the song is a stream", false},
      {"too short", "", WindowsPath(shortSong), "No chart made for <Short.mp3> after ", false},
      {"cut short", "", WindowsPath(folder + "/Stub.mp3"), "No chart made for <Stub.mp3> after ", false},
      {"not audio", "", WindowsPath(folder + "/Text.mp3"), "No chart made for <Text.mp3> after ", false},
      {"truncated", "", WindowsPath(folder + "/Cut.mp3"), "Chart made for <Cut.mp3> in ", true},
      {"read fails", "fault ReadFile\n", WindowsPath(song), "No chart made for <Song.mp3> after ", false},
      {"open fails", "fault CreateFileW\n", WindowsPath(song), "No chart made for <Song.mp3> after ", false},
      {"codec open fails", "fault acmStreamOpen\n", WindowsPath(song), "No chart made for <Song.mp3> after ", false},
      {"codec fails", "fault acmStreamConvert 3\n", WindowsPath(song), "No chart made for <Song.mp3> after ", false},
      {"no thread", "fault CreateThread 2\n", WindowsPath(song),
       "No chart made for <Song.mp3>: no worker thread can be started", false},
      {"write fails", "fault WriteFile\n", WindowsPath(song), "", false, false},
      {"flush fails", "fault FlushFileBuffers\n", WindowsPath(song), "No chart made for <Song.mp3> after ", false},
      // Without Media Foundation the plug-in's own decoders still make
      // charts; what only it reads is refused, saying why.
      {"no media foundation", "fault LoadLibraryW\n", WindowsPath(m4a), "No chart made for <Song.m4a> after ", false,
       true, noMf + "this system has no Media Foundation to decode it."},
      {"media foundation fails", "fault MFStartup\n", WindowsPath(m4a), "No chart made for <Song.m4a> after ", false,
       true, noMf + "Media Foundation does not start (Media Foundation error 0x8007000E)."},
      {"its reader fails", "fault MFCreateSourceReaderFromURL\n", WindowsPath(m4a),
       "No chart made for <Song.m4a> after ", false, true,
       noMf + "no decoder on this system reads it (Media Foundation error 0x8007000E)."},
      {"an MP3 needs none", "fault LoadLibraryW\n", WindowsPath(song), "Chart made for <Song.mp3> in ", true},
  };
  for (const Case& c : cases) {
    std::system(("rm -f '" + charts + "'/* '" + folder + "/StomparaLog.txt'").c_str());
    WriteFile(folder + "/plugin.ini", Ini(charts, c.name == "off" ? "AUTO_CHART=0\r\n" : "", c.logged));
    // The configuration the missing chart opens is closed as a user would.
    HostRun run = RunHost(folder, c.header + "playlist " + c.song +
                                      "\n0 play\n3000 dialog escape\n4000 resources\n4100 quit\n");
    ASSERT_EQ(run.exitCode, 0) << c.name << run.stderrText;
    if (c.logged) {
      if (!c.why.empty()) {
        EXPECT_TRUE(Logged(folder, c.why, c.reason)) << c.name << ": " << ReadFile(folder + "/StomparaLog.txt");
      }
      EXPECT_EQ(Logged(folder, "Making a chart"), c.name != "off" && c.name != "stream" && c.name != "no thread")
          << c.name;
      EXPECT_EQ(Logged(folder, "Data buffer in MSD not allocated yet!"), c.name == "off") << c.name;
    }
    std::vector<JournalEvent> renders = EventsNamed(run, "render");
    if (c.made) {
      ASSERT_FALSE(renders.empty()) << c.name;
      std::string made = c.song.substr(c.song.find_last_of('\\') + 1);
      EXPECT_EQ(FilesIn(charts), std::vector<std::string>{made.substr(0, made.rfind('.')) + ".msd"}) << c.name;
      EXPECT_EQ(renders.back().at("result"), "0") << c.name;
      continue;
    }
    EXPECT_TRUE(FilesIn(charts).empty()) << c.name << ": " << (FilesIn(charts).empty() ? "" : FilesIn(charts)[0]);
    std::vector<JournalEvent> boxes = EventsNamed(run, "message-box");
    if (c.name != "off") {
      // Listened to instead: no box, and every frame plays.
      EXPECT_TRUE(boxes.empty()) << c.name;
      for (const JournalEvent& render : renders) EXPECT_EQ(render.at("result"), "0") << c.name;
      if (c.logged) {
        EXPECT_TRUE(Logged(folder, "Live chart for <", ">: listening.")) << c.name;
      }
      continue;
    }
    ASSERT_EQ(boxes.size(), 1u) << c.name;
    EXPECT_EQ(boxes[0]["text"].compare(0, 22, "Cannot open msd file -"), 0) << c.name;
    // The Render that opened the configuration ends the game; a harness
    // told to quit meanwhile may not journal its return.
    if (!renders.empty()) {
      EXPECT_EQ(renders.back().at("result"), "1") << c.name;
    }
  }
}

// Quit while a long song is analysed returns at once and leaves no file;
// a song change drops the old song's work for the new one's; a chart
// folder the player cannot write sends the chart beside the settings.
TEST(AutoChart, QuitSongChangeAndAReadOnlyChartFolder) {
  std::string folder = MakePluginFolder("auto-chart-busy");
  std::string charts = folder + "/msd";
  std::system(("mkdir -p '" + charts + "'").c_str());
  WriteFile(folder + "/plugin.ini", Ini(charts));
  std::string longSong = MakeSong(folder, "Long.mp3", 600);
  std::string song = MakeSong(folder, "Song.ogg");
  HostRun quit = RunHost(folder, "playlist " + WindowsPath(longSong) + "\n0 play\n150 quit\n");
  ASSERT_EQ(quit.exitCode, 0) << quit.stderrText;
  EXPECT_TRUE(Logged(folder, "Making a chart for <Long.mp3>"));
  EXPECT_LT(std::stoi(EventsNamed(quit, "quit").at(0).at("ms")), 5000) << "Quit waits for no analysis";
  EXPECT_TRUE(FilesIn(charts).empty());

  HostRun change = RunHost(folder, "playlist " + WindowsPath(longSong) + "\nplaylist " + WindowsPath(song) +
                                       "\n0 play\n200 select 1\n4000 quit\n");
  ASSERT_EQ(change.exitCode, 0) << change.stderrText;
  EXPECT_TRUE(Logged(folder, "Chart for <Long.mp3> not made: the song changed."));
  EXPECT_EQ(FilesIn(charts), std::vector<std::string>{"Song.msd"});

  std::system(("rm -f '" + charts + "'/*").c_str());
  HostRun readOnly;
  {
    ReadOnlyFolder locked(charts);
    ASSERT_TRUE(locked.mounted());
    readOnly = RunHost(folder, "playlist " + WindowsPath(song) + "\n0 play\n3000 quit\n");
  }
  ASSERT_EQ(readOnly.exitCode, 0) << readOnly.stderrText;
  EXPECT_TRUE(FilesIn(charts).empty());
  EXPECT_EQ(FilesIn(folder + "/Charts"), std::vector<std::string>{"Song.msd"});
  EXPECT_TRUE(EventsNamed(readOnly, "message-box").empty());
  // The next play finds it there.
  RunHost(folder, "playlist " + WindowsPath(song) + "\n0 play\n500 quit\n");
  EXPECT_TRUE(Logged(folder, "Open MSD file <" + WindowsPath(folder) + "\\Charts\\Song.msd> success."));

  // Two players make the same chart at once: one whole file is left.
  std::system(("rm -rf '" + charts + "'/* '" + folder + "/Charts'").c_str());
  std::string other = MakePluginFolder("auto-chart-busy-other");
  WriteFile(other + "/plugin.ini", Ini(charts));
  std::string command;
  for (const std::string& player : {folder, other}) {
    WriteFile(player + "/scenario.txt", "playlist " + WindowsPath(song) + "\n0 play\n3000 quit\n");
    // Both in one Wine server: the 32-bit runner would otherwise end the other's.
    command += "(cd '" + player + "' && STOMPARA_WINE32_KEEP_SERVER=1 timeout -k 5 120 " + Tested().runner + " " +
               Tested().build +
               "/stompara_host.exe --journal journal.jsonl vis_stompara.dll scenario.txt 2>stderr.txt) & ";
  }
  ASSERT_EQ(std::system(("bash -c \"" + command + "wait\"").c_str()), 0);
  EXPECT_EQ(FilesIn(charts), std::vector<std::string>{"Song.msd"});
  std::string chart = ReadFile(charts + "/Song.msd");
  EXPECT_EQ(chart.compare(0, 27, "Generated from the audio by"), 0);
  EXPECT_EQ(chart.substr(chart.size() - 3), ";\r\n") << "a whole file";
  for (const std::string& player : {folder, other}) {
    // A player that starts late finds the other's chart already made.
    EXPECT_TRUE(Logged(player, "Chart made for <Song.ogg> in ") ||
                Logged(player, "Open MSD file <" + WindowsPath(charts) + "\\Song.msd> success."))
        << player;
    EXPECT_EQ(ReadFile(player + "/journal.jsonl").find("message-box"), std::string::npos) << player;
  }
}

}  // namespace

namespace {

// The release's chart tool makes charts with the same decoders on Windows.
TEST(AutoChart, WindowsChartToolGeneratesFromEveryFormat) {
  std::string folder = MakePluginFolder("auto-chart-tool");
  for (const char* song : {"a.mp3", "b.wav", "c.ogg", "e.m4a", "f.flac"}) MakeSong(folder, song, 12);
  WriteFile(folder + "/d.mp3", "not a song\r\n");
  std::string command = "cd '" + folder + "' && " + Tested().runner + " " + Tested().build +
                        "/stompara_chart.exe generate '" + WindowsPath(folder) + "' >out.txt 2>err.txt";
  int status = std::system(command.c_str());
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << "one of six failed";
  for (const char* chart : {"a.msd", "b.msd", "c.msd", "e.msd", "f.msd"}) {
    std::string text = ReadFile(folder + "/" + chart);
    EXPECT_NE(text.find("#BPM:"), std::string::npos) << chart;
    EXPECT_NE(text.find("#SINGLE:EXPER:8:"), std::string::npos) << chart;
  }
  EXPECT_FALSE(FileExists(folder + "/d.msd"));
  EXPECT_NE(ReadFile(folder + "/err.txt").find("not an MP3, WAV or Ogg Vorbis file"), std::string::npos);
}

}  // namespace
