// live_test.cpp -- songs with no chart and none to be made, played live from the sound the harness hands over.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e/host_support.h"

namespace {

// A synthetic song (drums and bass) at `bpm` for `seconds`, as a WAV in `folder`.
std::string SynthWav(const std::string& folder, double bpm, int seconds) {
  char name[64];
  std::snprintf(name, sizeof name, "/beat-%g-%d.wav", bpm, seconds);
  std::string wav = folder + name;
  char command[512];
  std::snprintf(command, sizeof command, "%s/tools/synth/stompara_synth --bpm %g --seconds %d '%s' >/dev/null",
                STOMPARA_BINARY_DIR, bpm, seconds, wav.c_str());
  std::system(command);
  return wav;
}

std::string LiveFolder(const std::string& name) {
  std::string folder = MakePluginFolder(name);
  std::system(("mkdir -p '" + folder + "/msd'").c_str());
  WriteFile(folder + "/plugin.ini", "[Stompara for Winamp]\r\nWRITE_LOG=1\r\nSHOW_FLAME=0\r\nMSD_PATH=" +
                                        WindowsPath(folder + "/msd") + "\r\n");
  return folder;
}

std::vector<std::string> LinesStarting(const std::string& folder, const std::string& start) {
  std::vector<std::string> found;
  for (const std::string& line : ReadLines(folder + "/StomparaLog.txt"))
    if (line.compare(0, start.size(), start) == 0) found.push_back(line);
  return found;
}

// The tempo of the lock the log tells for `title`, 0 for none.
double LockedBpm(const std::string& folder, const std::string& title) {
  std::string start = "Live chart for <" + title + ">: ";
  for (const std::string& line : LinesStarting(folder, start))
    if (line.find(" BPM, locked after ") != std::string::npos) return std::atof(line.c_str() + start.size());
  return 0;
}

void ExpectPlayedWithoutABox(const HostRun& run) {
  EXPECT_TRUE(EventsNamed(run, "message-box").empty());
  for (const JournalEvent& render : EventsNamed(run, "render")) ASSERT_EQ(render.at("result"), "0");
}

// A stream: no box, every Render 0, "LISTENING" until the lock, then arrows
// that a perfect player hits every one of. The music stops at 16 s; its
// silence ends the arrows, and the last are hit before the capture.
TEST(Live, AStreamPlaysLiveArrowsAndAPerfectPlayerHitsThemAll) {
  std::string folder = LiveFolder("live-stream");
  std::string wav = SynthWav(folder, 128, 16);
  HostRun run = RunHost(folder, "frame-ms 30\nplaylist http://radio.example/live\nsound " + WindowsPath(wav) +
                                    "\nautoplay-live " + WindowsPath(folder + "/StomparaLog.txt") +
                                    "\n0 play\n1000 capture listening.bmp\n22500 capture end.bmp\n22600 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  ExpectPlayedWithoutABox(run);
  const std::string title = "http://radio.example/live";
  EXPECT_TRUE(Logged(folder, "No chart made for <" + title + ">: the song is a stream, not a file."));
  EXPECT_NEAR(LockedBpm(folder, title), 128, 1.5);
  std::vector<std::string> arrows = LinesStarting(folder, "Live arrow ");
  ASSERT_GE(arrows.size(), 8u);
  // Each line: the arrow, the position of the frame, where it arrives. The
  // autoplayer presses each arrow where it reaches the target row: within a
  // frame of the arrival its line tells, however the frames wander on a
  // busy machine.
  std::vector<JournalEvent> presses = EventsNamed(run, "autoplay-press");
  EXPECT_EQ(std::stoul(EventsNamed(run, "autoplay-end").at(0).at("arrows")), arrows.size());
  ASSERT_EQ(presses.size(), arrows.size());
  std::vector<long> off;
  for (size_t i = 0; i < arrows.size(); ++i) {
    char step = 0;
    long at = 0, arrives = 0;
    ASSERT_EQ(std::sscanf(arrows[i].c_str(), "Live arrow %c at %ld ms for %ld ms.", &step, &at, &arrives), 3);
    EXPECT_GT(arrives - at, 2000) << arrows[i];
    off.push_back(std::labs(std::stol(presses[i].at("position")) - arrives));
  }
  // A press comes on a frame, so a frame longer than 30 ms on a busy
  // machine may take it further off.
  std::vector<long> spacing;
  std::vector<JournalEvent> renders = EventsNamed(run, "render");
  for (size_t i = 1; i < renders.size(); ++i)
    spacing.push_back(std::stol(renders[i].at("t")) - std::stol(renders[i - 1].at("t")));
  std::sort(spacing.begin(), spacing.end());
  std::sort(off.begin(), off.end());
  EXPECT_LE(off[off.size() / 2], std::max(30L, spacing.at(spacing.size() / 2) + 5))
      << "median ms between an arrow's arrival and its press";
  // Above the line where "LISTENING" shows (the silence after the music
  // is listened to afresh), the banner of every arrow hit.
  Picture end = ReadBmp(folder + "/end.bmp");
  EXPECT_EQ(Differing(end, ReferenceBanner(folder, int(arrows.size())), 0, 49, 288, 160), 0)
      << arrows.size() << " arrows";
  Picture background = ReadBmp(STOMPARA_SOURCE_DIR "/res/background.bmp");
  EXPECT_GT(Differing(ReadBmp(folder + "/listening.bmp"), background, 0, 160, 288, 190), 0) << "LISTENING shown";
  EXPECT_GT(Differing(end, background, 0, 160, 288, 190), 0) << "LISTENING again";
  EXPECT_EQ(LinesStarting(folder, "Live chart for <" + title + ">: listening.").size(), 2u)
      << "at the start, and in the silence after the music";
}

// The stream's next song, at another tempo, is told by its title: the chart
// listens afresh and locks on the new tempo.
TEST(Live, AStreamsNextSongAtAnotherTempoIsLockedAfresh) {
  std::string folder = LiveFolder("live-relock");
  std::string first = SynthWav(folder, 100, 18), second = SynthWav(folder, 140, 16);
  std::string both = folder + "/both.wav";
  std::system(("ffmpeg -loglevel error -y -i '" + first + "' -i '" + second +
               "' -filter_complex concat=n=2:v=0:a=1 '" + both + "'").c_str());
  HostRun run = RunHost(folder, "frame-ms 30\nplaylist http://radio.example/live\nsound " + WindowsPath(both) +
                                    "\n0 play\n18000 title 0 Band - Second Song\n32000 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  ExpectPlayedWithoutABox(run);
  EXPECT_NEAR(LockedBpm(folder, "http://radio.example/live"), 100, 1.5);
  EXPECT_TRUE(Logged(folder, "Live chart for <Band - Second Song>: listening."));
  EXPECT_NEAR(LockedBpm(folder, "Band - Second Song"), 140, 1.5);
}

// Silence locks on nothing and spawns nothing; a file that no decoder reads
// is listened to like a stream.
TEST(Live, SilenceSpawnsNothingAndAFileNoDecoderReadsPlaysLive) {
  std::string folder = LiveFolder("live-silence");
  std::string silence = folder + "/silence.wav";
  std::system(("ffmpeg -loglevel error -y -f lavfi -i anullsrc=r=44100:cl=stereo -t 10 -c:a pcm_s16le '" + silence +
               "'").c_str());
  HostRun run = RunHost(folder, "frame-ms 30\nplaylist http://radio.example/quiet\nsound " + WindowsPath(silence) +
                                    "\n0 play\n10000 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  ExpectPlayedWithoutABox(run);
  EXPECT_TRUE(Logged(folder, "Live chart for <http://radio.example/quiet>: listening."));
  EXPECT_EQ(LockedBpm(folder, "http://radio.example/quiet"), 0);
  EXPECT_TRUE(LinesStarting(folder, "Live arrow ").empty());

  folder = LiveFolder("live-unreadable");
  std::string song = folder + "/Song.xyz";
  WriteFile(song, std::string(40000, '\x5a'));
  run = RunHost(folder, "frame-ms 30\nplaylist " + WindowsPath(song) + "\nsound " +
                            WindowsPath(SynthWav(folder, 128, 14)) + "\n0 play\n14000 quit\n");
  ASSERT_EQ(run.exitCode, 0) << run.stderrText;
  ExpectPlayedWithoutABox(run);
  EXPECT_TRUE(Logged(folder, "No chart made for <Song.xyz> after "));
  EXPECT_TRUE(Logged(folder, "Live chart for <Song.xyz>: listening."));
  EXPECT_NEAR(LockedBpm(folder, "Song.xyz"), 128, 1.5);
  EXPECT_FALSE(LinesStarting(folder, "Live arrow ").empty());
}

}  // namespace
