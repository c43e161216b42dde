// evaluate_command.cpp -- song folders in, one row of scores per song and their means out.
#include "evaluate_command.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "stem_mix.h"
#include "tools/chart/convert/tool_files.h"
#include "tools/chart/generate/generate.h"

namespace fs = std::filesystem;

namespace {

int Usage(const std::string& why) {
  std::fprintf(stderr,
               "stompara_chart evaluate: %s\n"
               "usage: stompara_chart evaluate [--json] SONG-FOLDER...\n"
               "  (a song folder holds notes.mid and song.ogg, and may hold guitar.ogg and rhythm.ogg)\n",
               why.c_str());
  return kUsageStatus;
}

bool IsSongFolder(const fs::path& folder) {
  std::error_code ec;
  return fs::is_regular_file(folder / "notes.mid", ec);
}

std::string SongName(const fs::path& folder) {
  fs::path name = folder.filename();
  return name.empty() ? folder.parent_path().filename().string() : name.string();
}

// A scratch WAV of this process, removed when it goes.
struct ScratchMix {
  fs::path path = fs::temp_directory_path() / ("stompara_evaluate_" + std::to_string(getpid()) + ".wav");
  ~ScratchMix() {
    std::error_code ec;
    fs::remove(path, ec);
  }
};

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    char escaped[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

struct Row {
  std::string name;
  ChartScore score;
};

const char* kHeader = "song                      ref BPM  found BPM  octave  tempo err  on-grid  Expert F1"
                      "  arrows/s S/A/E   notes/s\n";

// Arrows a second of the three levels, "S/A/E".
std::string DensityText(const ChartScore& s) {
  char text[48];
  std::snprintf(text, sizeof text, "%.2f/%.2f/%.2f", s.arrowsPerSecond[0], s.arrowsPerSecond[1],
                s.arrowsPerSecond[2]);
  return text;
}

void PrintRow(const Row& row) {
  const ChartScore& s = row.score;
  std::printf("%-24.24s  %7.2f  %9.2f  %6s  %+8.2f%%  %6.1f%%  %9.3f  %-15s  %7.2f\n", row.name.c_str(),
              s.referenceBpm, s.foundBpm, OctaveName(s.octave).c_str(), s.tempoErrorPercent, s.onGridShare * 100,
              s.expertF1, DensityText(s).c_str(), s.notesPerSecond);
}

// The means over `rows` (not empty); the tempo error as a mean of sizes.
ChartScore MeanOf(const std::vector<Row>& rows) {
  ChartScore mean;
  double share = 1.0 / double(rows.size());
  for (const Row& row : rows) {
    const ChartScore& s = row.score;
    mean.tempoErrorPercent += std::fabs(s.tempoErrorPercent) * share;
    mean.onGridShare += s.onGridShare * share;
    mean.expertF1 += s.expertF1 * share;
    mean.notesPerSecond += s.notesPerSecond * share;
    for (int level = 0; level < kLevels; ++level) mean.arrowsPerSecond[level] += s.arrowsPerSecond[level] * share;
  }
  return mean;
}

void PrintMeans(const std::vector<Row>& rows) {
  ChartScore m = MeanOf(rows);
  long octaveOne = std::count_if(rows.begin(), rows.end(), [](const Row& row) { return row.score.octave == 1; });
  std::printf("%-24s  %7s  %9s  %3d/%-2zu  %8.2f%%  %6.1f%%  %9.3f  %-15s  %7.2f\n", "mean", "", "", int(octaveOne),
              rows.size(), m.tempoErrorPercent, m.onGridShare * 100, m.expertF1, DensityText(m).c_str(),
              m.notesPerSecond);
  std::printf("(octave: songs found at x1 of all; tempo err: mean size of the error within the octave found)\n");
}

std::string JsonScore(const ChartScore& s) {
  char text[512];
  std::snprintf(text, sizeof text,
                "\"referenceBpm\": %.3f, \"foundBpm\": %.3f, \"octave\": %g, \"tempoErrorPercent\": %.3f, "
                "\"standardArrows\": %d, \"onGridShare\": %.4f, \"expertPrecision\": %.4f, \"expertRecall\": %.4f, "
                "\"expertF1\": %.4f, \"arrowsPerSecond\": [%.3f, %.3f, %.3f], \"notesPerSecond\": %.3f",
                s.referenceBpm, s.foundBpm, s.octave, s.tempoErrorPercent, s.standardArrows, s.onGridShare,
                s.expertPrecision, s.expertRecall, s.expertF1, s.arrowsPerSecond[0], s.arrowsPerSecond[1],
                s.arrowsPerSecond[2], s.notesPerSecond);
  return text;
}

void PrintJson(const std::vector<Row>& rows, const std::vector<std::pair<std::string, std::string>>& failed) {
  std::string out = "{\"songs\": [";
  for (size_t i = 0; i < rows.size(); ++i) {
    out += std::string(i ? ",\n  " : "\n  ") + "{\"name\": " + JsonString(rows[i].name) + ", " +
           JsonScore(rows[i].score) + "}";
  }
  out += "],\n \"failed\": [";
  for (size_t i = 0; i < failed.size(); ++i) {
    out += std::string(i ? ", " : "") + "{\"name\": " + JsonString(failed[i].first) +
           ", \"error\": " + JsonString(failed[i].second) + "}";
  }
  out += "]";
  if (!rows.empty()) {
    ChartScore m = MeanOf(rows);
    char text[256];
    std::snprintf(text, sizeof text,
                  ",\n \"means\": {\"absTempoErrorPercent\": %.3f, \"onGridShare\": %.4f, \"expertF1\": %.4f, "
                  "\"arrowsPerSecond\": [%.3f, %.3f, %.3f], \"notesPerSecond\": %.3f}",
                  m.tempoErrorPercent, m.onGridShare, m.expertF1, m.arrowsPerSecond[0], m.arrowsPerSecond[1],
                  m.arrowsPerSecond[2], m.notesPerSecond);
    out += text;
  }
  std::printf("%s}\n", out.c_str());
}

}  // namespace

std::vector<fs::path> FindSongFolders(const std::vector<std::string>& inputs, int& failures) {
  std::vector<fs::path> folders;
  for (const std::string& input : inputs) {
    std::error_code ec;
    std::vector<fs::path> found;
    if (IsSongFolder(input)) {
      found.push_back(input);
    } else if (fs::is_directory(input, ec)) {
      for (auto it = fs::recursive_directory_iterator(input, ec); !ec && it != fs::recursive_directory_iterator();
           it.increment(ec)) {
        if (it->is_directory(ec) && IsSongFolder(it->path())) found.push_back(it->path());
      }
      std::sort(found.begin(), found.end());
    }
    if (found.empty()) {
      std::fprintf(stderr, "%s: cannot score: no song folder (one with notes.mid) here\n", input.c_str());
      ++failures;
    }
    folders.insert(folders.end(), found.begin(), found.end());
  }
  return folders;
}

bool ReadReference(const fs::path& folder, ScoreReference& reference, std::string& error) {
  std::string bytes;
  MidiFile midi;
  if (!ReadWholeFile(folder / "notes.mid", bytes, error)) return false;
  if (ReadMidi(bytes, midi, error) && ReferenceFromMidi(midi, reference, error)) return true;
  error = "notes.mid: " + error;
  return false;
}

bool MixSongStems(const fs::path& folder, const fs::path& wav, std::string& error) {
  std::vector<std::string> stems;
  for (const char* name : {"song.ogg", "guitar.ogg", "rhythm.ogg"}) {
    std::error_code ec;
    if (fs::is_regular_file(folder / name, ec)) stems.push_back((folder / name).string());
  }
  if (stems.empty() || fs::path(stems.front()).filename() != "song.ogg") {
    error = "no song.ogg";
    return false;
  }
  return MixStems(stems, wav.string(), error);
}

bool ScoreSongFolder(const fs::path& folder, ChartScore& score, std::string& error) {
  ScoreReference reference;
  if (!ReadReference(folder, reference, error)) return false;
  ScratchMix mix;
  GeneratedSong song;
  if (!MixSongStems(folder, mix.path, error)) return false;
  if (!GenerateChart(mix.path.string(), PlacementOptions(), song, error)) return false;
  ScoredChart chart = ChartFromReport(InspectChart("Song.msd", song.msd));
  chart.beatMs = song.grid.beatMs;  // the generator's own beat, subdivision or not
  score = ScoreChart(chart, reference);
  return true;
}

int RunEvaluate(int argc, char** argv) {
  bool json = false;
  std::vector<std::string> inputs;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else if (argv[i][0] == '-') {
      return Usage(std::string("unknown option ") + argv[i]);
    } else {
      inputs.push_back(argv[i]);
    }
  }
  if (inputs.empty()) return Usage("no song folder given");
  int failures = 0;
  std::vector<fs::path> folders = FindSongFolders(inputs, failures);
  std::vector<Row> rows;
  std::vector<std::pair<std::string, std::string>> failed;
  if (!json) std::fputs(kHeader, stdout);
  for (const fs::path& folder : folders) {
    Row row{SongName(folder), ChartScore()};
    std::string error;
    if (!ScoreSongFolder(folder, row.score, error)) {
      std::fprintf(stderr, "%s: cannot score: %s\n", folder.string().c_str(), error.c_str());
      failed.emplace_back(row.name, error);
      ++failures;
      continue;
    }
    rows.push_back(row);
    if (!json) PrintRow(row);
    std::fflush(stdout);
  }
  if (json) PrintJson(rows, failed);
  if (!json && !rows.empty()) PrintMeans(rows);
  return RunStatus(int(rows.size()), failures);
}
