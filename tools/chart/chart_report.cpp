// chart_report.cpp -- reads an MSD file with the game's own code and collects the surprises in it.
#include "chart_report.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "chart/game_timing.h"
#include "chart/lane_capacity.h"

namespace {

const char* const kLevelNames[kReportedLevels] = {"Standard", "Advanced", "Expert"};
constexpr char kStepBytes[] = "0123456789AB";

uint32_t LineOfOriginal(const ChartReport& r, uint32_t original) {
  auto after = std::upper_bound(r.lineStarts.begin(), r.lineStarts.end(), original);
  return uint32_t(after - r.lineStarts.begin());
}

void Warn(ChartReport& r, uint32_t line, const std::string& message) {
  r.warnings.push_back({line, message});
}

void WarnAt(ChartReport& r, int64_t textOffset, const std::string& message) {
  Warn(r, OriginalLine(r, textOffset), message);
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// "chart 2 (level 1, Advanced)"; the fourth and later charts have no name.
std::string ChartName(size_t index) {
  std::string name = "chart " + std::to_string(index + 1) + " (level " + std::to_string(index);
  if (index < size_t(kReportedLevels)) name += std::string(", ") + kLevelNames[index];
  return name + ")";
}

// Where each line of the original bytes begins: after CR LF, a lone CR or a lone LF.
std::vector<uint32_t> FindLineStarts(const std::string& bytes) {
  std::vector<uint32_t> starts = {0};
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    if (bytes[i] == '\r' || bytes[i] == '\n') starts.push_back(uint32_t(i + 1));
  }
  return starts;
}

void StripText(ChartReport& r, const std::string& bytes) {
  std::vector<char> block(bytes.begin(), bytes.end());
  block.push_back('\0');  // the loader's spare byte
  r.keptFrom.assign(bytes.size() + 1, 0);
  uint32_t kept = stripLineBreaks(block.data(), uint32_t(bytes.size()), r.keptFrom.data());
  uint32_t length = textLengthOf(block.data(), kept);
  if (length < kept) {
    Warn(r, LineOfOriginal(r, r.keptFrom[length]),
         "a zero byte ends the text here: the game reads nothing after it");
  }
  r.text.assign(block.data(), length);
  // Every dropped pair whose second byte is no LF swallowed that byte.
  for (uint32_t w = 0; w < kept; ++w) {
    uint32_t cr = r.keptFrom[w] + 1;
    uint32_t next = w + 1 < kept ? r.keptFrom[w + 1] : uint32_t(bytes.size());
    if (next == cr + 2 && bytes[cr + 1] != '\n') r.swallowed.push_back({int64_t(w) + 1, cr + 1, bytes[cr + 1]});
  }
  r.keptFrom.resize(length);
}

// "#SINGLE" and "#BPM:" whose "#" a CR without LF swallowed: the game finds
// no tag there.
void WarnSwallowedTags(ChartReport& r, const std::string& bytes) {
  for (const SwallowedByte& lost : r.swallowed) {
    if (lost.byte != '#') continue;
    for (const char* tag : {kChartTag, kTempoTag}) {
      if (bytes.compare(lost.original, std::strlen(tag), tag) != 0) continue;
      r.lostChartTag = r.lostChartTag || tag == kChartTag;
      Warn(r, LineOfOriginal(r, lost.original),
           "the line before ends in a CR without an LF, and the game drops such a CR together with the "
           "byte after it: this line's \"#\" is lost, so \"" + std::string(tag) + "\" is not seen here");
    }
  }
}

// Tags written in other letter cases, which the game's exact search passes by.
void WarnOtherCase(ChartReport& r, const char* tag, const std::string& what) {
  size_t length = std::strlen(tag);
  for (size_t at = 0; at + length <= r.text.size(); ++at) {
    bool same = true;
    bool exact = true;
    for (size_t i = 0; i < length && same; ++i) {
      char c = r.text[at + i];
      same = std::tolower(static_cast<unsigned char>(c)) == std::tolower(static_cast<unsigned char>(tag[i]));
      exact = exact && c == tag[i];
    }
    if (same && !exact) {
      WarnAt(r, int64_t(at), "\"" + r.text.substr(at, length) + "\" is not " + what +
                                 ": the game matches \"" + tag + "\" in capitals only");
    }
  }
}

void InspectTempo(ChartReport& r) {
  const char* text = r.text.c_str();
  r.tempoOffset = findTempoTag(text);
  r.tempo = readTempo(text, r.bpm, r.msPerStep);
  WarnOtherCase(r, kTempoTag, "a tempo tag");
  std::string line = std::to_string(OriginalLine(r, r.tempoOffset));
  if (r.tempo == kTempoMissing) {
    Warn(r, 0, "the file has no \"#BPM:\" tempo tag: the game shows \"Bad MSD file header\"");
    r.notPlayable = "no \"#BPM:\" tempo tag";
  } else if (r.tempo == kTempoUnreadable) {
    WarnAt(r, r.tempoOffset, "\"#BPM:\" is not followed by a number the game can read: it shows "
                             "\"Bad MSD file header\"");
    r.notPlayable = "the tempo on line " + line + " cannot be read";
  } else if (r.tempo == kTempoUnplayable) {
    WarnAt(r, r.tempoOffset, "the tempo " + Number(r.bpm) + " cannot time a step (it must be above 0 "
                             "and not tiny): the game shows \"Bad MSD file header\"");
    r.notPlayable = "the tempo on line " + line + " (" + Number(r.bpm) + " BPM) cannot time a step";
  }
  if (r.tempoOffset != kNoOffset) {
    const char* second = std::strstr(text + r.tempoOffset + 1, kTempoTag);
    if (second != nullptr) {
      WarnAt(r, second - text, "a second \"#BPM:\" is ignored: the whole file plays at the first tempo");
    }
  }
}

void FindCharts(ChartReport& r) {
  const char* text = r.text.c_str();
  for (const char* at = std::strstr(text, kChartTag); at != nullptr; at = std::strstr(at + 1, kChartTag)) {
    r.charts.push_back(at - text);
  }
  r.stepCount = measureStepCount(text, uint32_t(r.text.size()));
  for (int32_t level = 0; level < kReportedLevels; ++level) {
    LevelChart& chart = r.levels[level];
    chart.chartOffset = findChart(text, level);
    if (chart.chartOffset == kNoOffset) continue;
    chart.dataOffset = findStepData(text, chart.chartOffset);
    if (chart.dataOffset == kNoOffset) continue;
    for (int32_t index = 1; index <= r.stepCount; ++index) {
      int64_t at = stepOffset(chart.dataOffset, index, uint32_t(r.text.size()));
      if (at == kNoOffset) break;
      chart.steps += r.text[size_t(at)];
    }
  }
}

void CheckFirstHeader(ChartReport& r) {
  const LevelChart& first = r.levels[0];
  if (first.dataOffset == kNoOffset) return;
  int64_t length = first.dataOffset - first.chartOffset;
  if (length == int64_t(kFixedHeaderLength)) return;
  int64_t change = length - int64_t(kFixedHeaderLength);
  std::string message = "the first chart's header is " + std::to_string(length) +
                        " characters long, not 16: the game counts steps from its 17th character, so ";
  if (change > 0) {
    message += "every chart plays " + std::to_string(change) +
               " steps more (the first chart's \";\" and what follows play as steps)";
  } else {
    message += "every chart plays " + std::to_string(-change) +
               " steps fewer (their last step characters are never played)";
  }
  WarnAt(r, first.chartOffset, message);
}

// Where the clock runs once it passes the ";" of a chart that is too short.
std::string RunsInto(const ChartReport& r, size_t index, int64_t data) {
  int64_t lastPlayed = data + int64_t(r.stepCount) - 1;
  if (index + 1 < r.charts.size() && lastPlayed >= r.charts[index + 1]) return "into the next chart";
  if (lastPlayed >= int64_t(r.text.size())) return "to the end of the file, where the chart ends early";
  return "into the text after it";
}

void CheckChartLength(ChartReport& r, size_t index, int64_t data, int64_t end) {
  int64_t length = end - data;
  std::string name = ChartName(index);
  if (end == int64_t(r.text.size())) {
    WarnAt(r, r.charts[index], name + " has no \";\" after its step data: it runs to the end of the file");
  } else if (length > r.stepCount) {
    WarnAt(r, r.charts[index], name + " has " + std::to_string(length) + " step characters but every chart "
           "plays " + std::to_string(r.stepCount) + ": its last " + std::to_string(length - r.stepCount) +
           " are never played");
  } else if (length < r.stepCount) {
    WarnAt(r, end, name + " ends at this \";\" after " + std::to_string(length) + " steps, but every chart "
           "plays " + std::to_string(r.stepCount) + ": the game plays on past its \";\" " +
           RunsInto(r, index, data));
  }
}

std::string DescribeByte(char c) {
  if (c == '\0') return "the end of the text";
  if (c == ' ') return "blank";
  if (c == '\t') return "tab";
  char text[16];
  if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
    std::snprintf(text, sizeof text, "byte 0x%02X", unsigned(static_cast<unsigned char>(c)));
  } else {
    std::snprintf(text, sizeof text, "\"%c\"", c);
  }
  return text;
}

void WarnNoSteps(ChartReport& r, uint32_t line, size_t index, const std::string& found, int count) {
  std::string message = ChartName(index) + ": " + std::to_string(count) +
                        (count == 1 ? " character here is no step and plays" : " characters here are no "
                         "steps and each plays") + " as an empty step:";
  for (char c : found) message += " " + DescribeByte(c);
  if (found.find_first_of("()<>{}[]") != std::string::npos) {
    message += " (DWI-style groups are not read: each character is one step)";
  }
  if (found.find_first_of("ab") != std::string::npos) message += " (lowercase \"a\" and \"b\" are no steps)";
  if (found.find_first_of(" \t") != std::string::npos) message += " (blanks and tabs take up a step each)";
  Warn(r, line, message);
}

// Line breaks left in the step data: each byte is one step without arrows.
void WarnLineBreak(ChartReport& r, int64_t at, size_t index, bool blankLine) {
  std::string name = ChartName(index);
  if (blankLine) {
    WarnAt(r, at, "blank line inside the step data of " + name + ": its CR LF stays as 2 empty steps, "
           "and every later step of the chart comes 2 eighth notes late");
  } else if (r.text[size_t(at)] == '\n') {
    WarnAt(r, at, "this line ends in a bare LF inside the step data of " + name + ": the LF is an empty "
           "step, and every later step of the chart comes one eighth note late");
  } else {
    WarnAt(r, at, "a CR that ends no line stays inside the step data of " + name + " as an empty step");
  }
}

// Bytes of the played step data (before the chart's own ";") that name no step.
void CheckStepBytes(ChartReport& r, size_t index, int64_t from, int64_t to) {
  uint32_t line = 0;
  std::string found;
  int count = 0;
  for (int64_t at = from; at < to; ++at) {
    char c = r.text[size_t(at)];
    if (c == '\r' || c == '\n') {
      bool blankLine = c == '\r' && at + 1 < to && r.text[size_t(at) + 1] == '\n';
      WarnLineBreak(r, at, index, blankLine);
      if (blankLine) ++at;
      continue;
    }
    if (c != '\0' && std::strchr(kStepBytes, c) != nullptr) continue;
    uint32_t here = OriginalLine(r, at);
    if (here != line) {
      if (count > 0) WarnNoSteps(r, line, index, found, count);
      found.clear();
      count = 0;
      line = here;
    }
    ++count;
    if (found.find(c) == std::string::npos) found += c;
  }
  if (count > 0) WarnNoSteps(r, line, index, found, count);
}

// Offsets of every ":" and ";" in the text, so each chart's checks find the
// next ones by a binary search: a file of thousands of charts with no ";"
// is read in linear time, not once per chart.
struct Punctuation {
  std::vector<int64_t> colons;
  std::vector<int64_t> semicolons;
};

Punctuation FindPunctuation(const std::string& text) {
  Punctuation found;
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == ':') found.colons.push_back(int64_t(at));
    if (text[at] == ';') found.semicolons.push_back(int64_t(at));
  }
  return found;
}

// The `skip`-th (from 0) offset at or after `from`, or kNoOffset.
int64_t NextAt(const std::vector<int64_t>& offsets, int64_t from, size_t skip = 0) {
  size_t at = size_t(std::lower_bound(offsets.begin(), offsets.end(), from) - offsets.begin()) + skip;
  return at < offsets.size() ? offsets[at] : kNoOffset;
}

// Step characters inside [from, to) that a CR without LF swallowed.
void WarnSwallowedSteps(ChartReport& r, size_t index, int64_t from, int64_t to) {
  auto first = std::lower_bound(r.swallowed.begin(), r.swallowed.end(), from + 1,
                                [](const SwallowedByte& lost, int64_t at) { return lost.before < at; });
  for (auto lost = first; lost != r.swallowed.end() && lost->before < to; ++lost) {
    if (std::strchr(kStepBytes, lost->byte) == nullptr || lost->byte == '\0') continue;
    Warn(r, LineOfOriginal(r, lost->original),
         ChartName(index) + ": the line before ends in a CR without an LF, and the game drops such a CR "
         "together with the byte after it: this line's first step " + DescribeByte(lost->byte) +
         " is lost and every later step comes one eighth note early");
  }
}

void CheckChart(ChartReport& r, const Punctuation& punctuation, size_t index) {
  int64_t chart = r.charts[index];
  const char* text = r.text.c_str();
  if (text[chart + 7] != ':') {
    WarnAt(r, chart, "\"#SINGLE\" followed by " + DescribeByte(text[chart + 7]) +
           " instead of \":\" still starts a chart");
  }
  if (index >= size_t(kReportedLevels)) {
    WarnAt(r, chart, ChartName(index) + " plays only at a level the configuration dialog does not offer");
  }
  // As findStepData: one past the third ":" after the chart's "#".
  int64_t thirdColon = NextAt(punctuation.colons, chart, 2);
  int64_t data = thirdColon == kNoOffset ? kNoOffset : thirdColon + 1;
  if (data == kNoOffset) {
    WarnAt(r, chart, ChartName(index) + "'s header has fewer than three \":\" before the end of the file: "
           "that level shows \"Bad MSD file header\"");
    return;
  }
  int64_t semicolon = NextAt(punctuation.semicolons, data);
  int64_t end = semicolon != kNoOffset ? semicolon : int64_t(r.text.size());
  CheckChartLength(r, index, data, end);
  // Bytes from the next chart on are that chart's to report.
  int64_t nextChart = index + 1 < r.charts.size() ? r.charts[index + 1] : int64_t(r.text.size());
  int64_t played = std::min({end, data + int64_t(r.stepCount), nextChart});
  CheckStepBytes(r, index, data, played);
  WarnSwallowedSteps(r, index, data, played);
}

void CheckLevels(ChartReport& r) {
  if (r.charts.empty()) return;
  for (int32_t level = 1; level < kReportedLevels; ++level) {
    if (r.charts.size() > size_t(level)) continue;
    Warn(r, 0, "the file has no chart for level " + std::to_string(level) + " (" + kLevelNames[level] +
         "): at that level the game shows \"Bad MSD file header\" and plays no steps");
  }
}

// Steps whose arrows find 19 of their lane still in flight, at the player's
// 25 ms frames: the game refuses those spawns.
void CheckFullLanes(ChartReport& r) {
  if (r.tempo != kTempoRead) return;
  for (int32_t level = 0; level < kReportedLevels; ++level) {
    const LevelChart& chart = r.levels[level];
    LaneCapacity capacity(kPlayerFrameMs);
    int refused = 0;
    int32_t first = 0;
    int firstLane = 0;
    for (size_t i = 0; i < chart.steps.size(); ++i) {
      int32_t named[2];
      int count = LanesOfStep(chart.steps[i], named);
      double spawn = double(StepDueAt(int32_t(i + 1), r.msPerStep));
      for (int a = 0; a < count; ++a) {
        if (capacity.Take(named[a], spawn)) continue;
        if (refused++ == 0) {
          first = int32_t(i + 1);
          firstLane = named[a];
        }
      }
    }
    if (refused == 0) continue;
    char when[32];
    std::snprintf(when, sizeof when, "%.1f s", double(StepDueAt(first, r.msPerStep)) / 1000.0);
    WarnAt(r, chart.dataOffset + first - 1,
           ChartName(size_t(level)) + ": at " + when + " the " + LanesOf(kStepLaneCharacters[firstLane]) +
           " lane already has " + std::to_string(kMaxArrowsInLane) + " arrows in flight (at " +
           std::to_string(kPlayerFrameMs) + " ms frames), and the game spawns no arrow into a full lane: " +
           std::to_string(refused) + (refused == 1 ? " arrow" : " arrows") +
           " of this chart are left out");
  }
}

void SettlePlayable(ChartReport& r) {
  if (!r.notPlayable.empty()) return;
  const LevelChart& first = r.levels[0];
  if (r.charts.empty()) {
    r.notPlayable = "no \"#SINGLE\" chart";
    if (r.lostChartTag) {
      r.notPlayable += ": lines that end in a CR without an LF lost the \"#\" of every chart header "
                       "(save the file with CR LF line ends)";
    }
  } else if (first.dataOffset == kNoOffset) {
    r.notPlayable = "the first chart's header on line " + std::to_string(OriginalLine(r, first.chartOffset)) +
                    " has fewer than three \":\"";
  } else if (first.steps.empty()) {
    r.notPlayable = "the first chart has no steps";
  }
}

}  // namespace

uint32_t OriginalLine(const ChartReport& r, int64_t textOffset) {
  if (textOffset < 0) return 0;
  if (textOffset >= int64_t(r.keptFrom.size())) return uint32_t(r.lineStarts.size());
  return LineOfOriginal(r, r.keptFrom[size_t(textOffset)]);
}

ChartReport InspectChart(const std::string& fileName, const std::string& bytes) {
  ChartReport r;
  r.fileName = fileName;
  r.titles = SongTitlesFor(fileName);
  if (bytes.size() >= size_t(UINT32_MAX)) {
    r.notPlayable = "the file is too big";
    return r;
  }
  r.fileSize = uint32_t(bytes.size());
  r.lineStarts = FindLineStarts(bytes);
  if (r.titles.empty()) {
    Warn(r, 0, "no song title leads the game to this file name: it opens the title's part before its "
         "first \".\" followed by \".msd\"");
  }
  StripText(r, bytes);
  WarnSwallowedTags(r, bytes);
  InspectTempo(r);
  FindCharts(r);
  WarnOtherCase(r, kChartTag, "a chart tag");
  CheckFirstHeader(r);
  Punctuation punctuation = FindPunctuation(r.text);
  for (size_t index = 0; index < r.charts.size(); ++index) CheckChart(r, punctuation, index);
  CheckLevels(r);
  CheckFullLanes(r);
  SettlePlayable(r);
  std::stable_sort(r.warnings.begin(), r.warnings.end(),
                   [](const ChartWarning& a, const ChartWarning& b) { return a.line < b.line; });
  return r;
}

int ChartExitStatus(const ChartReport& report) {
  if (!report.notPlayable.empty()) return 2;
  return report.warnings.empty() ? 0 : 1;
}
