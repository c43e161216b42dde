// simfile.h -- DWI and SM step files, read into one model for the converter.
//
// Both formats are read from their public descriptions: tags "#NAME:value;",
// "//" remarks to the end of a line. Beats count quarter notes from beat 0;
// song time counts seconds from the start of the audio file. Only the
// single-play (four-panel) charts are kept; what is left out is listed in
// `leftOut` for the report. Plain computation, any thread.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Lane bits of a note: bit n is lane n (0 left, 1 down, 2 up, 3 right).
using LaneBits = uint8_t;

struct SimNote {
  double beat;
  LaneBits lanes;
  double seconds = kUntimed;  // song time, where the chart's own timing gave it
  static constexpr double kUntimed = -1e300;
};

struct SimChart {
  std::string difficulty;  // as the file names it: "BASIC", "Hard", ...
  int level = -1;          // the game's level it stands for: 0 Standard,
                           // 1 Advanced, 2 Expert; -1 none
  bool standIn = false;    // a neighbour's difficulty (Beginner, Challenge,
                           // SMANIAC, Edit): used only where the level has none
  int meter = 0;           // the file's difficulty rating, 0 when none
  std::vector<SimNote> notes;  // taps and hold or roll heads, by beat
  int holds = 0;           // hold and roll heads among them (played as taps)
  int mines = 0;           // mines, left out
  int unknown = 0;         // step characters that name no arrow, read as empty
};

struct TempoChange {
  double beat;
  double bpm;
};

struct Stop {
  double beat;
  double seconds;
};

struct Simfile {
  std::string format;       // "DWI", "SM" or "SSC"
  std::string title;
  std::string artist;
  std::string music;        // the audio file the simfile names, "" for none
  double beatZeroSeconds = 0.0;  // song time of beat 0 (DWI #GAP, SM -#OFFSET)
  std::vector<TempoChange> tempos;  // by beat; the first at beat 0 holds from the start
  std::vector<Stop> stops;          // by beat
  std::vector<double> secondsAtTempo;  // seconds from beat 0 to each tempo change
  std::vector<double> stopsBefore;     // seconds of all stops before each stop
  std::vector<SimChart> charts;     // single-play charts, in file order
  std::vector<std::string> leftOut; // one sentence each: charts and tags not used
};

// Reads a DWI or SM file. False with `error` set (one sentence, no file
// name) when the file cannot give a playable song: no tempo, a tempo of 0
// or below, no single-play chart, a file cut short inside a tag.
bool ReadDwi(const std::string& bytes, Simfile& song, std::string& error);
bool ReadSm(const std::string& bytes, Simfile& song, std::string& error);
// StepMania 5's SSC: SM's tags, and charts of their own tags after each
// "#NOTEDATA:;", each with its own timing where it gives one. Timing the
// game cannot play (warps, fakes, negative stops and tempos) is told in
// `leftOut`; notes inside warps and fakes are left out.
bool ReadSsc(const std::string& bytes, Simfile& song, std::string& error);

// For the SM and SSC readers: a chart's difficulty name and level, its
// meter, its note data ("," between measures), the tags they ignore.
void SetSmDifficulty(const std::string& name, SimChart& chart);
void SetSmMeter(const std::string& text, SimChart& chart);
bool ReadSmNotes(const std::string& data, SimChart& chart, std::string& error);
bool IsKnownSmTag(const std::string& name);

// Song time in seconds of `note`: its own when its chart's timing gave one.
double SecondsOfNote(const Simfile& song, const SimNote& note);

// For the readers: sets the tempo changes and stops from "beat=value" pairs
// (stops in seconds). False with `error` set for a tempo of 0 or below, a
// stop below 0, or no tempo at all. Changes at or before beat 0 give the
// starting tempo.
bool SetTiming(Simfile& song, std::vector<std::pair<double, double>> tempos,
               std::vector<std::pair<double, double>> stops, std::string& error);

// Song time in seconds of `beat`: the tempo changes before it, and the stops
// before it (a stop on the beat itself delays only the notes after it).
double SecondsAtBeat(const Simfile& song, double beat);

// The tempo that holds for the most song time between the first and the
// last note of all charts: the song's main tempo.
double MainTempo(const Simfile& song);
