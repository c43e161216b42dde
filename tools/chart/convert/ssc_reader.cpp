// ssc_reader.cpp -- StepMania 5's SSC step files: SM's tags, charts with tags and timing of their own.
//
// The song's tags come first: #OFFSET (beat 0's song time with its sign
// turned), #BPMS and #STOPS as in SM, #DELAYS ("beat=seconds": a pause
// before the beat's notes, where a stop pauses after them), #WARPS
// ("beat=beats": the beats skipped in no time) and #FAKES ("beat=beats":
// notes there are never judged). Each chart starts at "#NOTEDATA:;" and
// holds #STEPSTYPE, #DIFFICULTY, #METER and #NOTES (the measures alone); a
// chart that gives any timing tag of its own is timed by its own tags, the
// song's standing in for those it lacks.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>

#include "simfile.h"
#include "simfile_tags.h"

namespace {

// Delays stand just ahead of their beat, so they hold up its notes too.
constexpr double kDelayAhead = 1e-6;

const char* const kTimingTags[] = {"OFFSET", "BPMS", "STOPS", "DELAYS", "WARPS", "FAKES"};

bool IsTimingTag(const std::string& name) {
  for (const char* tag : kTimingTags) {
    if (name == tag) return true;
  }
  return false;
}

bool IsKnownChartTag(const std::string& name) {
  static const char* const kIgnored[] = {"CHARTNAME", "DESCRIPTION", "CHARTSTYLE", "CREDIT", "RADARVALUES",
                                         "DISPLAYBPM", "ATTACKS", "TIMESIGNATURES", "TICKCOUNTS", "COMBOS",
                                         "SPEEDS", "SCROLLS", "LABELS", "MUSIC"};
  for (const char* known : kIgnored) {
    if (name == known) return true;
  }
  return false;
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string Lowercase(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// One chart's (or the song's) timing tags, as written.
using TimingTags = std::map<std::string, SimTag>;

struct SscChart {
  std::string stepsType;
  std::string difficulty;
  std::string meter;
  SimTag notes;
  bool hasNotes = false;
  TimingTags timing;
  std::string where;  // "the Hard chart", for the notes left out
};

struct Segment {
  double beat;
  double length;  // beats
};

// The timing the game can play, built from `tags`; what it cannot is told
// in `leftOut` (prefixed by `where`).
struct Timing {
  Simfile song;  // its tempos, stops and beat 0 only
  std::vector<Segment> warps;
  std::vector<Segment> fakes;
};

bool ReadPairs(const TimingTags& tags, const char* name, std::vector<std::pair<double, double>>& pairs,
               std::string& error) {
  auto tag = tags.find(name);
  return tag == tags.end() || ReadPairsTag(tag->second, pairs, error);
}

bool BuildTiming(const TimingTags& tags, const std::string& where, Timing& timing,
                 std::vector<std::string>& leftOut, std::string& error) {
  auto offset = tags.find("OFFSET");
  if (offset != tags.end()) {
    double seconds = 0.0;
    if (!ReadDecimalTag(offset->second, "a number of seconds", seconds, error)) return false;
    timing.song.beatZeroSeconds = -seconds;
  }
  std::vector<std::pair<double, double>> bpms, stops, delays, warps, fakes;
  if (!ReadPairs(tags, "BPMS", bpms, error) || !ReadPairs(tags, "STOPS", stops, error) ||
      !ReadPairs(tags, "DELAYS", delays, error) || !ReadPairs(tags, "WARPS", warps, error) ||
      !ReadPairs(tags, "FAKES", fakes, error))
    return false;
  std::vector<std::pair<double, double>> tempos;
  for (const auto& [beat, bpm] : bpms) {
    if (bpm > 0.0) {
      tempos.push_back({beat, bpm});
    } else {
      leftOut.push_back(where + "tempo " + Number(bpm) + " at beat " + Number(beat) +
                        " left out (the game plays no tempo of 0 or below): the notes after it may be off");
    }
  }
  if (tempos.empty()) {
    error = "the file has no #BPMS tempo above 0";
    return false;
  }
  std::vector<std::pair<double, double>> pauses;
  for (bool delay : {false, true}) {
    for (const auto& [beat, seconds] : delay ? delays : stops) {
      if (seconds >= 0.0) {
        pauses.push_back({delay ? beat - kDelayAhead : beat, seconds});
      } else {
        leftOut.push_back(where + (delay ? "negative delay" : "negative stop") + " of " + Number(seconds) +
                          " s at beat " + Number(beat) + " left out: the notes after it come " +
                          Number(-seconds) + " s late");
      }
    }
  }
  if (!SetTiming(timing.song, tempos, pauses, error)) return false;
  for (bool fake : {false, true}) {
    for (const auto& [beat, length] : fake ? fakes : warps) {
      if (length > 0.0) (fake ? timing.fakes : timing.warps).push_back({beat, length});
    }
  }
  return true;
}

// Finds the segments that hold a beat in logarithmic time (a crafted file
// may have thousands of segments and notes), through the segments' order
// by beat; the file's own order, by which they are told, is kept.
class SegmentFinder {
 public:
  explicit SegmentFinder(const std::vector<Segment>& segments) : segments_(segments), byBeat_(segments.size()) {
    for (size_t i = 0; i < byBeat_.size(); ++i) byBeat_[i] = i;
    std::stable_sort(byBeat_.begin(), byBeat_.end(),
                     [&](size_t a, size_t b) { return segments[a].beat < segments[b].beat; });
    double farthest = -HUGE_VAL;
    for (size_t i : byBeat_) {
      farthest = std::max(farthest, segments[i].beat + segments[i].length);
      endsBy_.push_back(farthest);
    }
  }
  // Calls `each(index)` for every segment holding `beat`: from the last one
  // starting at or before it back to where no earlier one reaches it.
  template <typename Each>
  void ForEachHolding(double beat, Each each) const {
    auto after = std::upper_bound(byBeat_.begin(), byBeat_.end(), beat,
                                  [&](double b, size_t i) { return b < segments_[i].beat; });
    for (size_t n = size_t(after - byBeat_.begin()); n > 0 && endsBy_[n - 1] > beat; --n) {
      const Segment& segment = segments_[byBeat_[n - 1]];
      if (beat < segment.beat + segment.length) each(byBeat_[n - 1]);
    }
  }

 private:
  const std::vector<Segment>& segments_;
  std::vector<size_t> byBeat_;  // indices in beat order
  std::vector<double> endsBy_;  // the farthest end among the first n + 1 of byBeat_
};

// Song time of beats: the plain timing, less the time of every warp wholly
// before the beat (warped beats take no time).
class WarpedClock {
 public:
  explicit WarpedClock(const Timing& timing) : timing_(timing) {
    for (const Segment& warp : timing.warps) {
      double end = warp.beat + warp.length;
      ends_.push_back({end, SecondsAtBeat(timing.song, end) - SecondsAtBeat(timing.song, warp.beat)});
    }
    std::sort(ends_.begin(), ends_.end());
    double total = 0.0;
    for (auto& [end, seconds] : ends_) {
      total += seconds;
      seconds = total;
    }
  }
  double SecondsAt(double beat) const {
    auto after = std::upper_bound(ends_.begin(), ends_.end(), std::make_pair(beat, HUGE_VAL));
    double skipped = after == ends_.begin() ? 0.0 : std::prev(after)->second;
    return SecondsAtBeat(timing_.song, beat) - skipped;
  }

 private:
  const Timing& timing_;
  std::vector<std::pair<double, double>> ends_;  // warp ends, with the warped time up to each
};

void TellSegments(const std::vector<Segment>& segments, const char* what, const std::string& where,
                  const std::vector<int>& dropped, std::vector<std::string>& leftOut) {
  for (size_t i = 0; i < segments.size(); ++i) {
    leftOut.push_back(where + what + " at beat " + Number(segments[i].beat) + " (" + Number(segments[i].length) +
                      " beats): " + std::to_string(dropped[i]) + (dropped[i] == 1 ? " note" : " notes") +
                      " inside left out");
  }
}

bool ReadChart(const SscChart& ssc, const TimingTags& songTiming, Simfile& song, std::string& error) {
  SimChart chart;
  SetSmDifficulty(ssc.difficulty, chart);
  std::string where = (chart.difficulty.empty() ? "a" : chart.difficulty) + " chart: ";
  if (Lowercase(Trimmed(ssc.stepsType)) != "dance-single") {
    song.leftOut.push_back(Trimmed(ssc.stepsType) + " chart " + chart.difficulty +
                           " left out: only single-play charts play here");
    return true;
  }
  if (!ssc.hasNotes) {
    song.leftOut.push_back(where + "no #NOTES, left out");
    return true;
  }
  SetSmMeter(ssc.meter, chart);
  if (!ReadSmNotes(ssc.notes.value, chart, error)) return false;
  // Its own timing where it has any: the song's for the tags it lacks.
  bool own = !ssc.timing.empty();
  TimingTags tags = songTiming;
  for (const auto& [name, tag] : ssc.timing) tags[name] = tag;
  Timing timing;
  std::vector<std::string> told;
  if (!BuildTiming(tags, where, timing, told, error)) return false;
  if (own) song.leftOut.insert(song.leftOut.end(), told.begin(), told.end());
  std::vector<int> warped(timing.warps.size(), 0);
  std::vector<int> faked(timing.fakes.size(), 0);
  std::vector<SimNote> kept;
  SegmentFinder warps(timing.warps);
  SegmentFinder fakes(timing.fakes);
  WarpedClock clock(timing);
  for (SimNote note : chart.notes) {
    bool out = false;
    warps.ForEachHolding(note.beat, [&](size_t i) { ++warped[i], out = true; });
    fakes.ForEachHolding(note.beat, [&](size_t i) { ++faked[i], out = true; });
    if (out) continue;
    note.seconds = clock.SecondsAt(note.beat);
    kept.push_back(note);
  }
  TellSegments(timing.warps, "#WARPS", where, warped, song.leftOut);
  TellSegments(timing.fakes, "#FAKES", where, faked, song.leftOut);
  chart.notes = std::move(kept);
  song.charts.push_back(std::move(chart));
  return true;
}

}  // namespace

bool ReadSsc(const std::string& bytes, Simfile& song, std::string& error) {
  song = Simfile();
  song.format = "SSC";
  TimingTags songTiming;
  std::vector<SscChart> charts;
  for (const SimTag& tag : SplitTags(bytes)) {
    const std::string& name = tag.name;
    if (name == "NOTEDATA") {
      if (tag.cutShort) {
        error = "the file ends inside its #NOTEDATA tag";
        return false;
      }
      charts.emplace_back();
      continue;
    }
    if (charts.empty()) {
      bool handled = false;
      if (!ReadSharedTag(tag, "MUSIC", song, handled, error)) return false;
      if (handled) continue;
      if (IsTimingTag(name)) {
        songTiming[name] = tag;
      } else if (name == "NOTES" || name == "NOTES2") {
        song.leftOut.push_back("#" + name + " before any #NOTEDATA ignored");
      } else if (!IsKnownSmTag(name)) {
        song.leftOut.push_back("unknown tag #" + name + " ignored");
      }
      continue;
    }
    if (tag.cutShort) {
      error = "the file ends inside its #" + name + " tag";
      return false;
    }
    SscChart& chart = charts.back();
    if (name == "STEPSTYPE") {
      chart.stepsType = tag.value;
    } else if (name == "DIFFICULTY") {
      chart.difficulty = tag.value;
    } else if (name == "METER") {
      chart.meter = tag.value;
    } else if (name == "NOTES" || name == "NOTES2") {
      chart.notes = tag;
      chart.hasNotes = true;
    } else if (IsTimingTag(name)) {
      chart.timing[name] = tag;
    } else if (!IsKnownChartTag(name) && !IsKnownSmTag(name)) {
      song.leftOut.push_back("unknown chart tag #" + name + " ignored");
    }
  }
  // The song's own timing: its tags, else the first chart's that has any.
  TimingTags timingTags = songTiming;
  if (timingTags.find("BPMS") == timingTags.end()) {
    for (const SscChart& chart : charts) {
      if (chart.timing.count("BPMS")) {
        for (const auto& [name, tag] : chart.timing) timingTags.emplace(name, tag);
        break;
      }
    }
  }
  if (timingTags.find("BPMS") == timingTags.end()) {
    error = "the file has no #BPMS tempo";
    return false;
  }
  Timing timing;
  if (!BuildTiming(timingTags, "", timing, song.leftOut, error)) return false;
  song.beatZeroSeconds = timing.song.beatZeroSeconds;
  song.tempos = timing.song.tempos;
  song.stops = timing.song.stops;
  song.secondsAtTempo = timing.song.secondsAtTempo;
  song.stopsBefore = timing.song.stopsBefore;
  for (const SscChart& chart : charts) {
    if (!ReadChart(chart, timingTags, song, error)) return false;
  }
  if (song.charts.empty()) {
    error = "the file has no dance-single chart";
    return false;
  }
  return true;
}
