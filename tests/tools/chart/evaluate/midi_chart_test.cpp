// midi_chart_test.cpp -- the MIDI reader on files built here: tempo map, note times, broken files.
#include "tools/chart/evaluate/midi_chart.h"

#include <gtest/gtest.h>

#include "midi_bytes.h"

namespace {

// 96 ticks a quarter: 120 BPM, then 240 BPM from tick 192 (1000 ms). An
// easy note, an expert note in each tempo (one a chord, one given in
// running status), and a note-on of velocity 0 that only ends a note.
std::string TwoTempoSong() {
  std::string tempos = TempoEvent(0, 500000) + TempoEvent(192, 250000);
  std::string notes = NoteOn(0, 60) + NoteOn(96, 96) + NoteOn(48, 96, 0) + NoteOn(144, 98) +
                      Variable(0) + Bytes({97, 90});
  return MidiHeader(1, 2, 96) + Track(tempos) + Track(notes);
}

TEST(Midi, TempoMapTimesNotesAndHardestRowIsCountedOncePerChord) {
  MidiFile midi;
  std::string error;
  ASSERT_TRUE(ReadMidi(TwoTempoSong(), midi, error)) << error;
  EXPECT_EQ(midi.ticksPerQuarter, 96);
  ASSERT_EQ(midi.tempos.size(), 2u);
  EXPECT_DOUBLE_EQ(midi.tempos[1].ms, 1000.0);
  EXPECT_DOUBLE_EQ(MidiMsAt(midi, 96 * 3), 1250.0);
  ASSERT_EQ(midi.notes.size(), 4u);  // the velocity-0 note-on is no note
  EXPECT_EQ(HardestFofLevel(midi), 3);
  std::vector<double> expert = FofNoteTimes(midi, 3);
  ASSERT_EQ(expert.size(), 2u);
  EXPECT_DOUBLE_EQ(expert[0], 500.0);
  EXPECT_DOUBLE_EQ(expert[1], 1250.0);
  EXPECT_EQ(FofNoteTimes(midi, 0), std::vector<double>{0.0});
}

TEST(Midi, WithoutTempoEventsPlaysAt120Bpm) {
  MidiFile midi;
  std::string error;
  ASSERT_TRUE(ReadMidi(MidiHeader(0, 1, 480) + Track(NoteOn(960, 100)), midi, error)) << error;
  ASSERT_EQ(midi.notes.size(), 1u);
  EXPECT_DOUBLE_EQ(midi.notes[0].ms, 1000.0);
}

TEST(Midi, EveryCutShortFileIsRefusedWithAReason) {
  std::string whole = TwoTempoSong();
  for (size_t size = 0; size < whole.size(); ++size) {
    MidiFile midi;
    std::string error;
    EXPECT_FALSE(ReadMidi(whole.substr(0, size), midi, error)) << size;
    EXPECT_FALSE(error.empty()) << size;
  }
}

TEST(Midi, MalformedFilesAreRefusedWithAReason) {
  struct Case { const char* what; std::string bytes; const char* says; };
  const Case cases[] = {
      {"no header", "MTrk" + Big(0, 4), "MThd"},
      {"SMPTE time", MidiHeader(0, 1, 0xe728) + Track(""), "SMPTE"},
      {"format 2", MidiHeader(2, 1, 96) + Track(""), "format 2"},
      {"zero division", MidiHeader(0, 1, 0) + Track(""), "zero ticks"},
      {"track longer than the file", MidiHeader(0, 1, 96) + "MTrk" + Big(1000, 4) + Bytes({0, 0x90}), "past the end"},
      {"five-byte delta", MidiHeader(0, 1, 96) + Track(Bytes({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1})),
       "four bytes"},
      {"data with no status", MidiHeader(0, 1, 96) + Track(Bytes({0, 60, 100})), "no status"},
      {"short tempo", MidiHeader(0, 1, 96) + Track(Bytes({0, 0xff, 0x51, 0x02, 1, 2})), "three bytes"},
      {"meta past its track", MidiHeader(0, 1, 96) + Track(Bytes({0, 0xff, 0x01, 0x7f, 1})), "past the end"},
  };
  for (const Case& c : cases) {
    MidiFile midi;
    std::string error;
    EXPECT_FALSE(ReadMidi(c.bytes, midi, error)) << c.what;
    EXPECT_NE(error.find(c.says), std::string::npos) << c.what << ": " << error;
  }
}

}  // namespace
