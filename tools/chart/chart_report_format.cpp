// chart_report_format.cpp -- song titles, lanes, and the report as text, JSON and timeline.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chart_report.h"
#include "chart/game_timing.h"
#include "chart/msd_format.h"

namespace {

const char* const kLevelNames[kReportedLevels] = {"Standard", "Advanced", "Expert"};

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The shortest decimal that reads back as the same 32-bit float, without an
// exponent while the value has at most nine digits before the point.
std::string FloatText(float value) {
  char text[48];
  double magnitude = value < 0.0f ? -double(value) : double(value);
  int digits = 1;
  while (digits < 9 && magnitude >= 10.0 * std::pow(10.0, digits - 1)) ++digits;
  if (magnitude >= 1e9) digits = 1;
  for (; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, double(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  return text;
}

std::string JsonFloat(float value, bool present) {
  if (!present || value != value || value - value != 0.0f) return "null";
  return FloatText(value);
}

std::string JsonOffset(int64_t offset) {
  return offset == kNoOffset ? "null" : std::to_string(offset);
}

// Each byte as the code point of the same value, escaped for JSON.
std::string JsonString(const std::string& bytes) {
  std::string out = "\"";
  for (char c : bytes) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(byte));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Line(uint32_t line) {
  return line == 0 ? std::string("file") : "line " + std::to_string(line);
}

std::string LevelSummary(const ChartReport& r, int32_t level) {
  const LevelChart& chart = r.levels[level];
  std::string text = "  level " + std::to_string(level) + " (" + kLevelNames[level] + "): ";
  if (chart.chartOffset == kNoOffset) return text + "no chart: the game shows \"Bad MSD file header\"\n";
  text += "chart on line " + std::to_string(OriginalLine(r, chart.chartOffset)) + " (offset " +
          std::to_string(chart.chartOffset) + ")";
  if (chart.dataOffset == kNoOffset) return text + ", header without three \":\"\n";
  return text + ", steps from line " + std::to_string(OriginalLine(r, chart.dataOffset)) + " (offset " +
         std::to_string(chart.dataOffset) + "), " + std::to_string(chart.steps.size()) + " steps played\n";
}

std::string TempoSummary(const ChartReport& r) {
  if (r.tempo == kTempoRead) {
    return "tempo: " + FloatText(r.bpm) + " BPM (line " + std::to_string(OriginalLine(r, r.tempoOffset)) +
           "), msPerStep " + FloatText(r.msPerStep) + " ms\n";
  }
  std::string line = std::to_string(OriginalLine(r, r.tempoOffset));
  if (r.tempo == kTempoMissing) return "tempo: none\n";
  if (r.tempo == kTempoUnreadable) return "tempo: cannot be read (line " + line + ")\n";
  return "tempo: " + FloatText(r.bpm) + " BPM (line " + line + ") cannot time a step\n";
}

}  // namespace

std::vector<std::string> SongTitlesFor(const std::string& fileName) {
  size_t slash = fileName.find_last_of("/\\");
  std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  std::vector<std::string> titles;
  if (base.size() < 4 || !SameIgnoringCase(base.substr(base.size() - 4), ".msd")) return titles;
  std::string stem = base.substr(0, base.size() - 4);
  std::vector<std::string> candidates = {stem + ".mp3"};
  if (!stem.empty()) candidates.push_back(stem);
  for (const std::string& title : candidates) {
    char path[1024];
    size_t length = buildChartPath("", title.c_str(), path, sizeof path);
    if (length < sizeof path && SameIgnoringCase(path, "\\" + base)) titles.push_back(title);
  }
  return titles;
}

std::string LanesOf(char step) {
  static const char* const kLaneNames[] = {"left", "down", "up", "right"};
  int32_t named[2];
  int count = LanesOfStep(step, named);
  std::string text;
  for (int i = 0; i < count; ++i) text += std::string(i ? " " : "") + kLaneNames[named[i]];
  return text;
}

std::string FormatChartText(const ChartReport& r) {
  std::string text = r.fileName + ": ";
  int status = ChartExitStatus(r);
  text += status == 0 ? "playable\n" : status == 1 ? "playable, with warnings\n" : "NOT playable\n";
  text += "song titles:";
  for (const std::string& title : r.titles) text += " " + title;
  text += r.titles.empty() ? " none\n" : " (any extension after the first \".\"; on Windows in any letter case)\n";
  text += TempoSummary(r);
  text += "stepCount: " + std::to_string(r.stepCount) + " (every chart)\n";
  text += "charts: " + std::to_string(r.charts.size()) + "\n";
  for (int32_t level = 0; level < kReportedLevels; ++level) text += LevelSummary(r, level);
  if (!r.warnings.empty()) text += "warnings:\n";
  for (const ChartWarning& warning : r.warnings) text += "  " + Line(warning.line) + ": " + warning.message + "\n";
  if (status == 2) text += "not playable: " + r.notPlayable + "\n";
  return text;
}

std::string FormatChartJson(const ChartReport& r) {
  bool readNumber = r.tempo == kTempoRead || r.tempo == kTempoUnplayable;
  std::string json = "{\"bpm\":" + JsonFloat(r.bpm, readNumber);
  json += ",\"msPerStep\":" + JsonFloat(r.msPerStep, r.tempo == kTempoRead);
  json += ",\"stepCount\":" + std::to_string(r.stepCount) + ",\"charts\":[";
  for (size_t i = 0; i < r.charts.size(); ++i) json += (i ? "," : "") + std::to_string(r.charts[i]);
  json += "],\"levels\":[";
  for (int32_t level = 0; level < kReportedLevels; ++level) {
    const LevelChart& chart = r.levels[level];
    json += std::string(level ? "," : "") + "{\"chartOffset\":" + JsonOffset(chart.chartOffset) +
            ",\"dataOffset\":" + JsonOffset(chart.dataOffset) + ",\"steps\":" + JsonString(chart.steps) + "}";
  }
  json += "],\"warnings\":[";
  for (size_t i = 0; i < r.warnings.size(); ++i) {
    const ChartWarning& warning = r.warnings[i];
    json += std::string(i ? "," : "") + "{\"line\":" + (warning.line ? std::to_string(warning.line) : "null") +
            ",\"message\":" + JsonString(warning.message) + "}";
  }
  return json + "]}\n";
}

std::string FormatTimeline(const ChartReport& r, int32_t level, std::string& reason) {
  if (!r.notPlayable.empty()) {
    reason = r.notPlayable;
    return "";
  }
  int64_t chart = findChart(r.text.c_str(), level);
  int64_t data = chart == kNoOffset ? kNoOffset : findStepData(r.text.c_str(), chart);
  if (data == kNoOffset) {
    reason = "level " + std::to_string(level) + " has no chart: the game shows \"Bad MSD file header\"";
    return "";
  }
  std::string text = "level " + std::to_string(level) + ", " + FloatText(r.bpm) + " BPM, msPerStep " +
                     FloatText(r.msPerStep) + " ms, playing from the start:\n";
  int32_t undelivered = 0;
  for (int32_t index = 1; index <= r.stepCount; ++index) {
    int64_t at = stepOffset(data, index, uint32_t(r.text.size()));
    if (at == kNoOffset) break;
    std::string laneNames = LanesOf(r.text[size_t(at)]);
    if (laneNames.empty()) continue;
    int64_t due = StepDueAt(index, r.msPerStep);
    // A step shorter than a millisecond can be passed over: the first
    // position that reaches it already names a later step.
    if (due < 0 || stepIndexAt(correctedPosition(int32_t(due), 0), r.msPerStep) != index) {
      ++undelivered;
      continue;
    }
    char row[160];
    std::snprintf(row, sizeof row, "%10ld ms  step %-6ld line %-5lu %c  %s\n", long(due), long(index),
                  static_cast<unsigned long>(OriginalLine(r, at)), r.text[size_t(at)], laneNames.c_str());
    text += row;
  }
  if (undelivered > 0) {
    text += std::to_string(undelivered) + " more steps with arrows are never delivered: no playback "
            "position in whole milliseconds falls on them\n";
  }
  return text;
}
