// midi_chart.h -- a Standard MIDI File's tempo map and note-ons, and the Frets on Fire chart in them.
//
// Reads format 0 and 1 files (a format 2 file holds unrelated sequences,
// and SMPTE time has no beat: both are refused). Every byte is checked
// against the file's end, so any input gives either a result or a one-line
// reason. Plain computation, any thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The tempo from `tick` on: microseconds a quarter note, and the song time there.
struct MidiTempo {
  int64_t tick = 0;
  double ms = 0;
  uint32_t usPerQuarter = 500000;
};

struct MidiNote {
  int64_t tick = 0;
  double ms = 0;
  uint8_t key = 0;
};

struct MidiFile {
  int format = 0;
  int ticksPerQuarter = 0;
  std::vector<MidiTempo> tempos;  // by tick; the first at tick 0 (120 BPM when the file sets none)
  std::vector<MidiNote> notes;    // note-ons with a velocity above 0, every track, by tick
  int64_t endTick = 0;            // the latest event of any track
  double endMs = 0;
};

// Parses `bytes` as a Standard MIDI File. False with `error` (one sentence)
// when it is none, is SMPTE-timed, or is cut short or malformed.
bool ReadMidi(const std::string& bytes, MidiFile& midi, std::string& error);

// Song time in ms of `tick` (fractions allowed) through the tempo map.
double MidiMsAt(const MidiFile& midi, double tick);

// The Frets on Fire layout: each difficulty is a row of five keys, one
// octave apart: easy 60..64, medium 72..76, hard 84..88, expert 96..100.
constexpr int kFofLevels = 4;
constexpr int kFofFirstKey = 60;
constexpr int kFofKeysPerLevel = 5;

// The hardest difficulty with any note (0 easy .. 3 expert); -1 when none.
int HardestFofLevel(const MidiFile& midi);

// Times in ms of the notes of difficulty `level`, in order, a chord once.
std::vector<double> FofNoteTimes(const MidiFile& midi, int level);
