// generate_command.cpp -- `stompara_chart generate`: audio files and folders in, MSD files out.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>

#include "generate.h"
#include "tools/chart/convert/tool_files.h"

namespace fs = std::filesystem;

namespace {

int Usage(const std::string& why) {
  std::fprintf(stderr,
               "stompara_chart generate: %s\n"
               "usage: stompara_chart generate [--out DIR] [--frame-ms N] [--force] AUDIO-FILE-OR-FOLDER...\n",
               why.c_str());
  return kUsageStatus;
}

// The song files a folder is walked for: what both builds' decoders read
// (FFmpeg on Linux; on Windows the plug-in's own and Media Foundation).
std::vector<fs::path> FindSongs(const std::vector<std::string>& inputs, int& failures) {
  return CollectFiles(inputs, {".mp3", ".ogg", ".oga", ".opus", ".flac", ".wav", ".m4a", ".aac", ".wma", ".aif", ".aiff"},
                      failures);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Makes one song's chart; false with `error` set and nothing written.
bool GenerateOne(const fs::path& audio, const ToolOptions& options, std::set<fs::path>& written, std::string& error) {
  fs::path target;
  if (!ClaimChartPath(options, audio, ChartNameFor(audio.filename().string()), written, target, error)) return false;
  GeneratedSong song;
  if (!GenerateChart(audio.string(), options.placement, song, error)) return false;
  if (!WriteFileInPlace(target, song.msd, error)) return false;
  written.insert(target);
  std::printf("  -> %s: %s\n", target.string().c_str(), SummaryOf(song).c_str());
  return true;
}

}  // namespace

int RunGenerate(int argc, char** argv) {
  ToolOptions options;
  std::string why;
  if (!ParseToolOptions(argc, argv, false, options, why)) return Usage(why);
  int failures = 0;
  std::vector<fs::path> songs = FindSongs(options.inputs, failures);
  if (songs.empty() && failures == 0) {
    std::fprintf(stderr, "stompara_chart generate: no song file found (.mp3, .ogg, .flac, .wav ...)\n");
    return 2;
  }
  auto start = std::chrono::steady_clock::now();
  std::set<fs::path> written;
  int made = 0;
  for (size_t i = 0; i < songs.size(); ++i) {
    std::printf("[%zu/%zu] %s\n", i + 1, songs.size(), songs[i].string().c_str());
    std::fflush(stdout);
    std::string error;
    if (GenerateOne(songs[i], options, written, error)) {
      ++made;
    } else {
      std::fprintf(stderr, "%s: cannot make a chart: %s\n", songs[i].string().c_str(), error.c_str());
      ++failures;
    }
    std::fflush(stdout);
  }
  double seconds = SecondsSince(start);
  std::printf("made %d of %d charts in %.1f s (%.1f songs a minute)\n", made, made + failures, seconds,
              seconds > 0 ? double(songs.size()) * 60.0 / seconds : 0.0);
  return RunStatus(made, failures);
}
