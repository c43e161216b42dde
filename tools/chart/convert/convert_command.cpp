// convert_command.cpp -- `stompara_chart convert`: files and folders in, MSD files out.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include "convert.h"
#include "tool_files.h"

namespace fs = std::filesystem;

namespace {

int Usage(const std::string& why) {
  std::fprintf(stderr,
               "stompara_chart convert: %s\n"
               "usage: stompara_chart convert [--out DIR] [--frame-ms N | --lead-ms N] [--audio NAME] [--force]\n"
               "                              FILE-OR-FOLDER...\n",
               why.c_str());
  return kUsageStatus;
}

// The simfiles to convert, folders walked. A song (a stem in a folder) with
// more than one is converted from the richest format: .ssc, then .sm, then
// .dwi; the others are told as skipped.
std::vector<fs::path> CollectSimfiles(const ToolOptions& options, int& failures) {
  static const char* const kPreferred[] = {".ssc", ".sm", ".dwi"};
  auto rank = [](const fs::path& file) {
    std::string extension = Lower(file.extension().string());
    for (int i = 0; i < 3; ++i) {
      if (extension == kPreferred[i]) return i;
    }
    return 3;
  };
  std::vector<fs::path> found = CollectFiles(options.inputs, {".ssc", ".sm", ".dwi"}, failures);
  std::vector<fs::path> kept;
  for (const fs::path& file : found) {
    const fs::path* better = nullptr;
    for (const fs::path& other : found) {
      if (other.parent_path() == file.parent_path() && Lower(other.stem().string()) == Lower(file.stem().string()) &&
          rank(other) < rank(file) && (better == nullptr || rank(other) < rank(*better)))
        better = &other;
    }
    if (better != nullptr) {
      std::printf("%s: skipped, the same song's %s is converted instead\n", file.string().c_str(),
                  kPreferred[rank(*better)]);
    } else {
      kept.push_back(file);
    }
  }
  return kept;
}

// The song's audio file name: the option, the simfile's music tag, an audio
// file beside it (one named like the simfile first), else the simfile's own.
std::string AudioNameFor(const fs::path& simfile, const Simfile& song, const ToolOptions& options) {
  if (!options.audio.empty()) return fs::path(options.audio).filename().string();
  if (!song.music.empty()) {
    std::string music = song.music;
    std::replace(music.begin(), music.end(), '\\', '/');
    std::string name = fs::path(music).filename().string();
    if (!name.empty()) return name;
  }
  std::vector<fs::path> audio;
  std::error_code error;
  for (fs::directory_iterator it(simfile.parent_path().empty() ? "." : simfile.parent_path(), error), end;
       !error && it != end; it.increment(error)) {
    if (HasExtension(it->path(), {".mp3", ".ogg", ".oga", ".flac", ".wav", ".m4a", ".wma", ".opus"}))
      audio.push_back(it->path());
  }
  std::sort(audio.begin(), audio.end());
  for (const fs::path& file : audio) {
    if (Lower(file.stem().string()) == Lower(simfile.stem().string())) return file.filename().string();
  }
  if (!audio.empty()) return audio.front().filename().string();
  return simfile.filename().string();
}

// Converts one simfile; false with `error` set.
bool ConvertOne(const fs::path& simfile, const ToolOptions& options, std::set<fs::path>& written,
                std::string& error) {
  std::string bytes;
  if (!ReadWholeFile(simfile, bytes, error)) return false;
  ConvertedSong converted;
  if (!ConvertSimfile(simfile.filename().string(), bytes, options.placement, converted, error)) return false;
  fs::path target;
  std::string chartName = ChartNameFor(AudioNameFor(simfile, converted.song, options));
  if (!ClaimChartPath(options, simfile, chartName, written, target, error)) return false;
  if (!WriteFileInPlace(target, converted.msd, error)) return false;
  written.insert(target);
  std::printf("%s -> %s: %s\n", simfile.string().c_str(), target.string().c_str(), SummaryOf(converted).c_str());
  for (const std::string& note : converted.notes) std::printf("  note: %s\n", note.c_str());
  return true;
}

}  // namespace

int RunConvert(int argc, char** argv) {
  ToolOptions options;
  std::string why;
  if (!ParseToolOptions(argc, argv, true, options, why)) return Usage(why);
  int failures = 0;
  std::vector<fs::path> simfiles = CollectSimfiles(options, failures);
  if (!options.audio.empty() && simfiles.size() > 1) return Usage("--audio names the audio of one song only");
  if (simfiles.empty() && failures == 0) {
    std::fprintf(stderr, "stompara_chart convert: no .dwi, .sm or .ssc file found\n");
    return 2;
  }
  std::set<fs::path> written;
  int converted = 0;
  for (const fs::path& simfile : simfiles) {
    std::string error;
    if (ConvertOne(simfile, options, written, error)) {
      ++converted;
    } else {
      std::fprintf(stderr, "%s: cannot convert: %s\n", simfile.string().c_str(), error.c_str());
      ++failures;
    }
    std::fflush(stdout);
  }
  std::printf("converted %d of %d songs\n", converted, converted + failures);
  return RunStatus(converted, failures);
}
