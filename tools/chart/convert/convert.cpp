// convert.cpp -- levels, timing and the MSD text of one converted song.
#include "convert.h"

#include <cstdio>

#include "tool_files.h"
#include "tools/chart/checked_msd.h"

namespace {

const char* const kLevelNames[kLevels] = {"Standard", "Advanced", "Expert"};

std::string Extension(const std::string& fileName) {
  size_t dot = fileName.find_last_of('.');
  size_t slash = fileName.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return Lower(fileName.substr(dot + 1));
}

// Each level's own chart (the first of its difficulty, else a stand-in);
// then the missing levels from the nearest level that has one, the easier
// first; with none of the named difficulties, edits by rating.
void ChooseLevels(ConvertedSong& c) {
  const std::vector<SimChart>& charts = c.song.charts;
  for (int level = 0; level < kLevels; ++level) {
    for (bool standIn : {false, true}) {
      for (size_t i = 0; i < charts.size(); ++i) {
        if (c.sources[level] < 0 && charts[i].level == level && charts[i].standIn == standIn) {
          c.sources[level] = int(i);
        }
      }
    }
  }
  if (c.sources[0] < 0 && c.sources[1] < 0 && c.sources[2] < 0) {
    // Only edits or unnamed difficulties: the easiest is Standard, the hardest Expert.
    int easiest = 0;
    int hardest = 0;
    for (size_t i = 0; i < charts.size(); ++i) {
      if (charts[i].meter < charts[size_t(easiest)].meter) easiest = int(i);
      if (charts[i].meter > charts[size_t(hardest)].meter) hardest = int(i);
    }
    c.sources[0] = easiest;
    c.sources[2] = hardest;
  }
  const int own[kLevels] = {c.sources[0], c.sources[1], c.sources[2]};
  for (int level = 0; level < kLevels; ++level) {
    for (int distance = 1; distance < kLevels && c.sources[level] < 0; ++distance) {
      for (int other : {level - distance, level + distance}) {
        if (other < 0 || other >= kLevels || own[other] < 0 || c.sources[level] >= 0) continue;
        c.sources[level] = own[other];
        c.notes.push_back(std::string(kLevelNames[level]) + " has no chart of its own: it plays " +
                          kLevelNames[other] + "'s (" + charts[size_t(own[other])].difficulty + ")");
      }
    }
  }
}

const SimChart& SourceOf(const ConvertedSong& c, int level) { return c.song.charts[size_t(c.sources[level])]; }

std::string Plural(int count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

// True when `level` plays the same chart as an easier level.
bool SharesChart(const ConvertedSong& c, int level) {
  for (int before = 0; before < level; ++before) {
    if (c.sources[before] == c.sources[level]) return true;
  }
  return false;
}

void NoteLosses(ConvertedSong& c) {
  for (int level = 0; level < kLevels; ++level) {
    if (SharesChart(c, level)) continue;
    const LevelPlacement& p = c.placed.levels[level];
    std::string name = std::string(kLevelNames[level]) + ": ";
    struct Loss {
      int count;
      const char* one;
      const char* many;
      const char* what;
    };
    const Loss losses[] = {
        {p.merged, "note", "notes", " closer than one step to the one before, merged into a double"},
        {p.dropped, "note", "notes", " closer than one step to the one before in the same lanes (or beside a "
                                     "double), left out"},
        {p.cutArrows, "arrow", "arrows", " left out where three or more fall at once (two kept)"},
        {p.tooEarly, "note", "notes", " too early for an arrow to rise to the target row in time, left out"},
        {p.tooLate, "note", "notes", " more than four hours into the song, left out"},
        {p.laneFull, "arrow", "arrows", " left out: 19 arrows already in flight in the lane"},
    };
    for (const Loss& loss : losses) {
      if (loss.count > 0) c.notes.push_back(name + Plural(loss.count, loss.one, loss.many) + loss.what);
    }
  }
  for (int level = 0; level < kLevels; ++level) {
    if (SharesChart(c, level)) continue;
    const SimChart& chart = SourceOf(c, level);
    std::string name = chart.difficulty + " chart: ";
    if (chart.holds) c.notes.push_back(name + Plural(chart.holds, "hold plays", "holds play") + " as taps");
    if (chart.mines) c.notes.push_back(name + Plural(chart.mines, "mine", "mines") + " left out");
    if (chart.unknown) c.notes.push_back(name + Plural(chart.unknown, "character", "characters") +
                                         " that name no arrow, read as empty");
  }
  if (c.song.tempos.size() > 1 || !c.song.stops.empty()) {
    c.notes.push_back(Plural(int(c.song.tempos.size()) - 1, "tempo change", "tempo changes") + " and " +
                      Plural(int(c.song.stops.size()), "stop", "stops") + ": the file has one tempo, so each "
                      "note is placed by its own time");
  }
}

}  // namespace

bool ConvertSimfile(const std::string& fileName, const std::string& bytes, const PlacementOptions& options,
                    ConvertedSong& c, std::string& error) {
  std::string extension = Extension(fileName);
  bool read = false;
  if (extension == "dwi") {
    read = ReadDwi(bytes, c.song, error);
  } else if (extension == "sm") {
    read = ReadSm(bytes, c.song, error);
  } else if (extension == "ssc") {
    read = ReadSsc(bytes, c.song, error);
  } else {
    error = "not a DWI, SM or SSC file (the name must end in .dwi, .sm or .ssc)";
    return false;
  }
  if (!read) return false;
  c.notes = c.song.leftOut;
  ChooseLevels(c);
  std::vector<TimedNote> timed[kLevels];
  for (int level = 0; level < kLevels; ++level) {
    for (const SimNote& note : SourceOf(c, level).notes) {
      timed[level].push_back({SecondsOfNote(c.song, note) * 1000.0, note.lanes});
    }
  }
  if (!PlaceSteps(timed, 30000.0 / MainTempo(c.song), options, c.placed, error)) return false;
  if (c.placed.levels[0].arrows + c.placed.levels[1].arrows + c.placed.levels[2].arrows == 0) {
    error = "no chart has a note the game can play";
    return false;
  }
  NoteLosses(c);
  MsdText text;
  text.title = c.song.title;
  text.artist = c.song.artist;
  text.remark = "Converted from " + BaseName(fileName) + " by stompara_chart convert, " +
                std::to_string(c.placed.subdivision) + " steps to the eighth note";
  for (int level = 0; level < kLevels; ++level) text.meters[level] = SourceOf(c, level).meter;
  return WriteCheckedMsd(c.placed, text, c.msd, error);
}

std::string SummaryOf(const ConvertedSong& c) {
  std::string levels;
  int arrows = 0;
  double worst = 0;
  for (int level = 0; level < kLevels; ++level) {
    levels += std::string(level ? ", " : "") + kLevelNames[level] + " " + SourceOf(c, level).difficulty;
    arrows += c.placed.levels[level].arrows;
    worst = std::max(worst, c.placed.levels[level].worstErrorMs);
  }
  char text[256];
  std::snprintf(text, sizeof text, "%g BPM, %d step%s to the eighth (#BPM:%s); %d arrows; timing error median "
                "%.1f ms, mean %.1f ms, worst %.1f ms", MainTempo(c.song), c.placed.subdivision,
                c.placed.subdivision == 1 ? "" : "s", c.placed.bpmText.c_str(),
                arrows, c.placed.medianErrorMs, c.placed.meanErrorMs, worst);
  return levels + "; " + text;
}
