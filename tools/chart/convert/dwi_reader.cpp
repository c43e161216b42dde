// dwi_reader.cpp -- DWI step files: one character an eighth note, brackets for finer notes.
//
// #BPM and #GAP (ms to the first beat) time the song; #CHANGEBPM and
// #FREEZE list "index=value" with the index in sixteenth notes and freezes
// in milliseconds. A chart is "#SINGLE:difficulty:rating:steps;". In the
// steps "(...)" holds sixteenths, "[...]" 24ths, "{...}" 64ths, "`...'"
// 192nds; "<...>" plays its characters at once; "X!Y" starts a hold.
#include <cctype>
#include <cstring>

#include "simfile.h"
#include "simfile_tags.h"

namespace {

// Lanes of the DWI step characters, which number the pad like a keypad.
LaneBits DwiLanes(char c, bool& known) {
  static const char kCharacters[] = "012346789AB";
  static const LaneBits kLanes[] = {0, 0x3, 0x2, 0xA, 0x1, 0x8, 0x5, 0x4, 0xC, 0x6, 0x9};
  const char* at = c == '\0' ? nullptr : std::strchr(kCharacters, c);
  known = at != nullptr;
  return known ? kLanes[at - kCharacters] : 0;
}

struct Difficulty {
  const char* name;
  int level;
  bool standIn;
};
constexpr Difficulty kDifficulties[] = {
    {"BEGINNER", 0, true}, {"BASIC", 0, false}, {"ANOTHER", 1, false}, {"TRICK", 1, false},
    {"MANIAC", 2, false},  {"SMANIAC", 2, true}, {"CHALLENGE", 2, true},
};

void ReadSteps(const std::string& steps, SimChart& chart) {
  double beat = 0.0;
  double length = 0.5;  // beats per character: an eighth note
  bool together = false;
  LaneBits jump = 0;
  auto add = [&](LaneBits lanes) {
    if (lanes != 0) chart.notes.push_back({beat, lanes});
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    char c = steps[i];
    switch (c) {
      case '(': length = 0.25; continue;
      case '[': length = 1.0 / 6; continue;
      case '{': length = 1.0 / 16; continue;
      case '`': length = 1.0 / 48; continue;
      case ')': case ']': case '}': case '\'': length = 0.5; continue;
      case '<': together = true; jump = 0; continue;
      case '>':
        together = false;
        add(jump);
        beat += length;
        continue;
      case '!':
        // The character after "!" names the held arrows; the hold's head
        // is the step before it.
        if (i + 1 < steps.size()) ++i;
        if (!chart.notes.empty()) ++chart.holds;
        continue;
      default:
        break;
    }
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    bool known = false;
    LaneBits lanes = DwiLanes(c, known);
    if (!known) ++chart.unknown;
    if (together) {
      jump |= lanes;
    } else {
      add(lanes);
      beat += length;
    }
  }
  if (together) add(jump);
}

bool ReadChart(const SimTag& tag, Simfile& song, std::string& error) {
  std::vector<std::string> fields = SplitAt(tag.value, ':');
  if (fields.size() < 3) {
    error = "#SINGLE needs difficulty, rating and steps separated by \":\"";
    return false;
  }
  SimChart chart;
  chart.difficulty = Trimmed(fields[0]);
  for (char& c : chart.difficulty) c = char(std::toupper(static_cast<unsigned char>(c)));
  for (const Difficulty& d : kDifficulties) {
    if (chart.difficulty == d.name) {
      chart.level = d.level;
      chart.standIn = d.standIn;
    }
  }
  double meter = 0.0;
  if (ParseDecimal(fields[1], meter) && meter > 0.0 && meter < 1000.0) chart.meter = int(meter);
  ReadSteps(fields[2], chart);
  song.charts.push_back(std::move(chart));
  return true;
}

}  // namespace

bool ReadDwi(const std::string& bytes, Simfile& song, std::string& error) {
  song = Simfile();
  song.format = "DWI";
  std::vector<std::pair<double, double>> tempos;
  std::vector<std::pair<double, double>> stops;
  bool haveBpm = false;
  for (const SimTag& tag : SplitTags(bytes)) {
    bool handled = false;
    if (!ReadSharedTag(tag, "FILE", song, handled, error)) return false;
    const std::string& name = tag.name;
    if (handled) {
      continue;
    } else if (name == "BPM") {
      double bpm = 0.0;
      if (!ReadDecimalTag(tag, "a number", bpm, error)) return false;
      tempos.insert(tempos.begin(), {0.0, bpm});
      haveBpm = true;
    } else if (name == "GAP") {
      double gap = 0.0;
      if (!ReadDecimalTag(tag, "a number of milliseconds", gap, error)) return false;
      song.beatZeroSeconds = gap / 1000.0;
    } else if (name == "CHANGEBPM" || name == "BPMCHANGE" || name == "FREEZE") {
      std::vector<std::pair<double, double>> pairs;
      if (!ReadPairsTag(tag, pairs, error)) return false;
      // Indices count sixteenth notes; freezes last milliseconds.
      for (auto& [index, value] : pairs) {
        if (name == "FREEZE") {
          stops.emplace_back(index / 4.0, value / 1000.0);
        } else {
          tempos.emplace_back(index / 4.0, value);
        }
      }
    } else if (name == "SINGLE") {
      if (!ReadChart(tag, song, error)) return false;
    } else if (name == "DOUBLE" || name == "COUPLE" || name == "SOLO") {
      song.leftOut.push_back("#" + name + " chart " + Trimmed(SplitAt(tag.value, ':')[0]) +
                             " left out: only single-play charts play here");
    } else if (name != "DISPLAYBPM" && name != "SAMPLESTART" && name != "SAMPLELENGTH" && name != "CDTITLE" &&
               name != "MD5" && name != "STATUS" && name != "GENRE" && name != "DISPLAYTITLE" &&
               name != "DISPLAYARTIST") {
      song.leftOut.push_back("unknown tag #" + name + " ignored");
    }
  }
  if (!haveBpm) {
    error = "the file has no #BPM tempo";
    return false;
  }
  if (!SetTiming(song, tempos, stops, error)) return false;
  if (song.charts.empty()) {
    error = "the file has no #SINGLE chart";
    return false;
  }
  return true;
}
