// convert_command.cpp -- `stompara_chart convert`: files and folders in, MSD files out.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "chart/msd_format.h"
#include "convert.h"

namespace fs = std::filesystem;

namespace {

constexpr int kUsageStatus = 3;

int Usage(const std::string& why) {
  std::fprintf(stderr,
               "stompara_chart convert: %s\n"
               "usage: stompara_chart convert [--out DIR] [--frame-ms N | --lead-ms N] [--audio NAME] [--force]\n"
               "                              FILE-OR-FOLDER...\n",
               why.c_str());
  return kUsageStatus;
}

struct Options {
  std::string outDir;
  std::string audio;
  bool force = false;
  PlacementOptions placement;
  std::vector<std::string> inputs;
};

bool ParseWhole(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

// False with `why` set on bad usage.
bool ParseOptions(int argc, char** argv, Options& options, std::string& why) {
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    bool takesValue = arg == "--out" || arg == "--frame-ms" || arg == "--lead-ms" || arg == "--audio";
    if (takesValue && i + 1 >= argc) {
      why = arg + " needs a value";
      return false;
    }
    long value = 0;
    if (arg == "--out") {
      options.outDir = argv[++i];
    } else if (arg == "--audio") {
      options.audio = argv[++i];
    } else if (arg == "--force") {
      options.force = true;
    } else if (arg == "--frame-ms") {
      if (!ParseWhole(argv[++i], 10, 1000, value)) {
        why = "--frame-ms takes a whole number of milliseconds from 10 to 1000";
        return false;
      }
      options.placement.frameMs = int32_t(value);
    } else if (arg == "--lead-ms") {
      if (!ParseWhole(argv[++i], 0, 60000, value)) {
        why = "--lead-ms takes a whole number of milliseconds from 0 to 60000";
        return false;
      }
      options.placement.leadMs = double(value);
    } else if (!arg.empty() && arg[0] == '-') {
      why = "unknown option " + arg;
      return false;
    } else {
      options.inputs.push_back(arg);
    }
  }
  if (options.inputs.empty()) why = "no file or folder to convert";
  return !options.inputs.empty();
}

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool HasExtension(const fs::path& path, std::initializer_list<const char*> extensions) {
  std::string extension = Lower(path.extension().string());
  for (const char* wanted : extensions) {
    if (extension == wanted) return true;
  }
  return false;
}

bool IsSimfile(const fs::path& path) { return HasExtension(path, {".sm", ".dwi"}); }

// The simfiles to convert, folders walked; a song's .dwi is left for its .sm.
std::vector<fs::path> CollectSimfiles(const Options& options, int& failures) {
  std::vector<fs::path> found;
  for (const std::string& input : options.inputs) {
    std::error_code error;
    fs::path path(input);
    if (fs::is_directory(path, error)) {
      std::vector<fs::path> inFolder;
      for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, error), end;
           !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && IsSimfile(it->path())) inFolder.push_back(it->path());
      }
      if (error) {
        std::fprintf(stderr, "%s: cannot read the folder: %s\n", input.c_str(), error.message().c_str());
        ++failures;
      }
      std::sort(inFolder.begin(), inFolder.end());
      found.insert(found.end(), inFolder.begin(), inFolder.end());
    } else if (fs::exists(path, error)) {
      found.push_back(path);
    } else {
      std::fprintf(stderr, "%s: cannot convert: no such file or folder\n", input.c_str());
      ++failures;
    }
  }
  std::vector<fs::path> kept;
  for (const fs::path& file : found) {
    fs::path sm = file;
    sm.replace_extension(".sm");
    bool hasSm = Lower(file.extension().string()) == ".dwi" &&
                 std::any_of(found.begin(), found.end(), [&](const fs::path& other) {
                   return other.parent_path() == sm.parent_path() && Lower(other.stem().string()) ==
                          Lower(file.stem().string()) && Lower(other.extension().string()) == ".sm";
                 });
    if (hasSm) {
      std::printf("%s: skipped, the same song's .sm is converted instead\n", file.string().c_str());
    } else {
      kept.push_back(file);
    }
  }
  return kept;
}

bool ReadFile(const fs::path& path, std::string& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = std::string("cannot open the file: ") + std::strerror(errno);
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    error = "cannot read the file";
    return false;
  }
  bytes = content.str();
  return true;
}

// The song's audio file name: the option, the simfile's music tag, an audio
// file beside it (one named like the simfile first), else the simfile's own.
std::string AudioNameFor(const fs::path& simfile, const Simfile& song, const Options& options) {
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

// The game's own rule: the title's part up to its first "." and "msd".
std::string ChartNameFor(const std::string& audioName) {
  char path[1024];
  size_t length = buildChartPath("", audioName.c_str(), path, sizeof path);
  if (length >= sizeof path) return "";
  return std::string(path + 1);  // without the folder's backslash
}

bool WriteFile(const fs::path& target, const std::string& bytes, std::string& error) {
  fs::path temporary = target;
  temporary += ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      error = "cannot write " + target.string() + ": " + std::strerror(errno);
      return false;
    }
    out.write(bytes.data(), std::streamsize(bytes.size()));
    out.close();
    if (!out) {
      error = "cannot write " + target.string();
      std::remove(temporary.string().c_str());
      return false;
    }
  }
  std::error_code failure;
  fs::rename(temporary, target, failure);
  if (failure) {
    error = "cannot write " + target.string() + ": " + failure.message();
    fs::remove(temporary, failure);
    return false;
  }
  return true;
}

// Converts one simfile; false with `error` set.
bool ConvertOne(const fs::path& simfile, const Options& options, std::set<fs::path>& written,
                std::string& error) {
  std::string bytes;
  if (!ReadFile(simfile, bytes, error)) return false;
  ConvertedSong converted;
  if (!ConvertSimfile(simfile.filename().string(), bytes, options.placement, converted, error)) return false;
  std::string chartName = ChartNameFor(AudioNameFor(simfile, converted.song, options));
  if (chartName.empty()) {
    error = "the audio file's name is too long for a chart name";
    return false;
  }
  fs::path folder = options.outDir.empty() ? simfile.parent_path() : fs::path(options.outDir);
  fs::path target = folder / chartName;
  std::error_code failure;
  if (written.count(target)) {
    error = target.string() + " was already written from another song in this run (songs whose audio "
            "names agree up to their first \".\" share a chart name)";
    return false;
  }
  if (!options.force && fs::exists(target, failure)) {
    error = target.string() + " exists: pass --force to replace it";
    return false;
  }
  if (!folder.empty()) fs::create_directories(folder, failure);
  if (!WriteFile(target, converted.msd, error)) return false;
  written.insert(target);
  std::printf("%s -> %s: %s\n", simfile.string().c_str(), target.string().c_str(), SummaryOf(converted).c_str());
  for (const std::string& note : converted.notes) std::printf("  note: %s\n", note.c_str());
  return true;
}

}  // namespace

int RunConvert(int argc, char** argv) {
  Options options;
  std::string why;
  if (!ParseOptions(argc, argv, options, why)) return Usage(why);
  int failures = 0;
  std::vector<fs::path> simfiles = CollectSimfiles(options, failures);
  if (!options.audio.empty() && simfiles.size() > 1) return Usage("--audio names the audio of one song only");
  if (simfiles.empty() && failures == 0) {
    std::fprintf(stderr, "stompara_chart convert: no .dwi or .sm file found\n");
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
  if (converted == 0) return 2;
  return failures > 0 ? 1 : 0;
}
