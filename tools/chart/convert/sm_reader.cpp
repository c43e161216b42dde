// sm_reader.cpp -- SM step files: measures of rows, one column a panel.
//
// #OFFSET is the song time of beat 0 with its sign turned; #BPMS and #STOPS
// list "beat=value" (stops in seconds). A chart is
// "#NOTES:type:author:difficulty:meter:radar:data;", the data measures of
// four beats separated by ",", each an even split into rows of one
// character a column: "1" tap, "2" hold head, "4" roll head, "3" tail,
// "M" mine, "L" lift, "F" fake, "K" keysound, "0" nothing.
#include <cctype>

#include "simfile.h"
#include "simfile_tags.h"

namespace {

constexpr size_t kColumns = 4;

struct Difficulty {
  const char* name;
  int level;
  bool standIn;
};
constexpr Difficulty kDifficulties[] = {
    {"beginner", 0, true}, {"easy", 0, false},     {"medium", 1, false},
    {"hard", 2, false},    {"challenge", 2, true}, {"edit", -1, true},
};

std::string Lowercase(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Reads one measure's rows into `chart`; false with `error` when its
// characters do not make whole rows of four.
bool ReadMeasure(const std::string& measure, size_t number, SimChart& chart, std::string& error) {
  std::string cells;
  for (char c : measure) {
    if (!std::isspace(static_cast<unsigned char>(c))) cells += c;
  }
  if (cells.size() % kColumns != 0) {
    error = "measure " + std::to_string(number + 1) + " of the " + chart.difficulty + " chart has " +
            std::to_string(cells.size()) + " cells, not whole rows of 4";
    return false;
  }
  size_t rows = cells.size() / kColumns;
  for (size_t row = 0; row < rows; ++row) {
    LaneBits lanes = 0;
    for (size_t column = 0; column < kColumns; ++column) {
      switch (cells[row * kColumns + column]) {
        case '1': case 'L': lanes |= LaneBits(1u << column); break;
        case '2': case '4':
          lanes |= LaneBits(1u << column);
          ++chart.holds;
          break;
        case 'M': ++chart.mines; break;
        case '0': case '3': case 'F': case 'K': break;
        default: ++chart.unknown; break;
      }
    }
    if (lanes != 0) chart.notes.push_back({4.0 * (double(number) + double(row) / double(rows)), lanes});
  }
  return true;
}

}  // namespace

void SetSmDifficulty(const std::string& name, SimChart& chart) {
  chart.difficulty = Trimmed(name);
  std::string difficulty = Lowercase(chart.difficulty);
  for (const Difficulty& d : kDifficulties) {
    if (difficulty == d.name) {
      chart.level = d.level;
      chart.standIn = d.standIn;
    }
  }
}

void SetSmMeter(const std::string& text, SimChart& chart) {
  double meter = 0.0;
  if (ParseDecimal(text, meter) && meter > 0.0 && meter < 1000.0) chart.meter = int(meter);
}

bool ReadSmNotes(const std::string& data, SimChart& chart, std::string& error) {
  std::vector<std::string> measures = SplitAt(data, ',');
  for (size_t number = 0; number < measures.size(); ++number) {
    if (!ReadMeasure(measures[number], number, chart, error)) return false;
  }
  return true;
}

bool IsKnownSmTag(const std::string& name) {
  static const char* const kIgnored[] = {
      "SUBTITLE",   "TITLETRANSLIT", "SUBTITLETRANSLIT", "ARTISTTRANSLIT", "GENRE",   "CREDIT",
      "BANNER",     "BACKGROUND",    "LYRICSPATH",       "CDTITLE",        "SAMPLESTART",
      "SAMPLELENGTH", "SELECTABLE",  "DISPLAYBPM",       "BGCHANGES",      "BGCHANGES2",
      "FGCHANGES",  "KEYSOUNDS",     "ATTACKS",          "TIMESIGNATURES", "TICKCOUNTS",
      "COMBOS",     "SPEEDS",        "SCROLLS",          "FAKES",          "LABELS",  "MUSICLENGTH",
      "LASTBEATHINT", "INSTRUMENTTRACK", "ORIGIN",      "PREVIEW",        "JACKET",  "CDIMAGE",
      "DISCIMAGE",  "VERSION",       "PREVIEWVID",
  };
  for (const char* known : kIgnored) {
    if (name == known) return true;
  }
  return false;
}

namespace {

bool ReadChart(const SimTag& tag, Simfile& song, std::string& error) {
  std::vector<std::string> fields = SplitAt(tag.value, ':');
  if (fields.size() < 6) {
    error = "#NOTES needs six fields separated by \":\" (type, author, difficulty, meter, radar, notes)";
    return false;
  }
  std::string type = Lowercase(Trimmed(fields[0]));
  SimChart chart;
  SetSmDifficulty(fields[2], chart);
  if (type != "dance-single") {
    song.leftOut.push_back(Trimmed(fields[0]) + " chart " + chart.difficulty +
                           " left out: only single-play charts play here");
    return true;
  }
  SetSmMeter(fields[3], chart);
  if (!ReadSmNotes(fields[5], chart, error)) return false;
  song.charts.push_back(std::move(chart));
  return true;
}

}  // namespace

bool ReadSm(const std::string& bytes, Simfile& song, std::string& error) {
  song = Simfile();
  song.format = "SM";
  std::vector<std::pair<double, double>> tempos;
  std::vector<std::pair<double, double>> stops;
  for (const SimTag& tag : SplitTags(bytes)) {
    bool handled = false;
    if (!ReadSharedTag(tag, "MUSIC", song, handled, error)) return false;
    const std::string& name = tag.name;
    if (handled) {
      continue;
    } else if (name == "OFFSET") {
      double offset = 0.0;
      if (!ReadDecimalTag(tag, "a number of seconds", offset, error)) return false;
      song.beatZeroSeconds = -offset;
    } else if (name == "BPMS" || name == "STOPS" || name == "FREEZES") {
      if (!ReadPairsTag(tag, name == "BPMS" ? tempos : stops, error)) return false;
    } else if (name == "NOTES") {
      if (!ReadChart(tag, song, error)) return false;
    } else if (name == "DELAYS" || name == "WARPS") {
      if (!Trimmed(tag.value).empty()) song.leftOut.push_back("#" + name + " ignored: the notes after each of them may be off");
    } else if (!IsKnownSmTag(name)) {
      song.leftOut.push_back("unknown tag #" + name + " ignored");
    }
  }
  if (tempos.empty()) {
    error = "the file has no #BPMS tempo";
    return false;
  }
  if (!SetTiming(song, tempos, stops, error)) return false;
  if (song.charts.empty()) {
    error = "the file has no dance-single chart";
    return false;
  }
  return true;
}
