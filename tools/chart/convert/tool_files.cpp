// tool_files.cpp -- options, folders, reading and writing for the chart tool's commands.
#include "tool_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "chart/msd_format.h"

namespace fs = std::filesystem;

bool ParseWhole(const char* text, long low, long high, long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HasExtension(const fs::path& path, std::initializer_list<const char*> extensions) {
  std::string extension = Lower(path.extension().string());
  return std::any_of(extensions.begin(), extensions.end(), [&](const char* wanted) { return extension == wanted; });
}

std::vector<fs::path> CollectFiles(const std::vector<std::string>& inputs,
                                   std::initializer_list<const char*> extensions, int& failures) {
  std::vector<fs::path> found;
  for (const std::string& input : inputs) {
    std::error_code error;
    fs::path path(input);
    if (fs::is_directory(path, error)) {
      std::vector<fs::path> inFolder;
      for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, error), end;
           !error && it != end; it.increment(error)) {
        if (it->is_regular_file(error) && HasExtension(it->path(), extensions)) inFolder.push_back(it->path());
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
      std::fprintf(stderr, "%s: no such file or folder\n", input.c_str());
      ++failures;
    }
  }
  return found;
}

bool ReadWholeFile(const fs::path& path, std::string& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = std::string("cannot read the file: ") + std::strerror(errno);
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

bool WriteFileInPlace(const fs::path& target, const std::string& bytes, std::string& error) {
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

std::string ChartNameFor(const std::string& audioName) {
  char path[1024];
  size_t length = buildChartPath("", audioName.c_str(), path, sizeof path);
  if (length >= sizeof path) return "";
  return std::string(path + 1);  // without the folder's backslash
}

bool ParseToolOptions(int argc, char** argv, bool convertOnly, ToolOptions& options, std::string& why) {
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    bool takesValue = arg == "--out" || arg == "--frame-ms" || (convertOnly && (arg == "--lead-ms" || arg == "--audio"));
    if (takesValue && i + 1 >= argc) {
      why = arg + " needs a value";
      return false;
    }
    long value = 0;
    if (arg == "--out") {
      options.outDir = argv[++i];
    } else if (arg == "--force") {
      options.force = true;
    } else if (arg == "--frame-ms") {
      if (!ParseWhole(argv[++i], 10, 1000, value)) {
        why = "--frame-ms takes a whole number of milliseconds from 10 to 1000";
        return false;
      }
      options.placement.frameMs = int32_t(value);
    } else if (takesValue && arg == "--lead-ms") {
      if (!ParseWhole(argv[++i], 0, 60000, value)) {
        why = "--lead-ms takes a whole number of milliseconds from 0 to 60000";
        return false;
      }
      options.placement.leadMs = double(value);
    } else if (takesValue && arg == "--audio") {
      options.audio = argv[++i];
    } else if (!arg.empty() && arg[0] == '-') {
      why = "unknown option " + arg;
      return false;
    } else {
      options.inputs.push_back(arg);
    }
  }
  if (options.inputs.empty()) why = "no file or folder given";
  return !options.inputs.empty();
}

bool ClaimChartPath(const ToolOptions& options, const fs::path& input, const std::string& chartName,
                    const std::set<fs::path>& written, fs::path& target, std::string& error) {
  if (chartName.empty()) {
    error = "the song's file name is too long for a chart name";
    return false;
  }
  fs::path folder = options.outDir.empty() ? input.parent_path() : fs::path(options.outDir);
  target = folder / chartName;
  std::error_code failure;
  if (written.count(target)) {
    error = target.string() + " was already written for another song in this run (songs whose names agree "
            "up to their first \".\" share a chart name)";
    return false;
  }
  if (!options.force && fs::exists(target, failure)) {
    error = target.string() + " exists: pass --force to replace it";
    return false;
  }
  if (!folder.empty()) fs::create_directories(folder, failure);
  return true;
}
