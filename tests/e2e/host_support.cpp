// host_support.cpp -- plug-in folders, harness runs and journal reading for end-to-end tests.
#include "e2e/host_support.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace {

// Where each test's plug-in folders go: a folder of the suite's own
// (STOMPARA_E2E_SCRATCH), so that suites running side by side, which name
// their folders alike, never share one.
std::string Scratch() {
  const char* scratch = std::getenv("STOMPARA_E2E_SCRATCH");
  return scratch != nullptr && *scratch != '\0' ? scratch : "/tmp/stompara-e2e";
}

// The prefix a runner uses: the one its variable names, else the default.
std::string PrefixOf(const char* variable, const std::string& fallback) {
  const char* prefix = std::getenv(variable);
  return prefix != nullptr && *prefix != '\0' ? prefix : fallback;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Reads a JSON string starting at text[at] == '"'; leaves `at` past it.
std::string ReadJsonString(const std::string& text, size_t& at) {
  std::string value;
  for (++at; at < text.size() && text[at] != '"'; ++at) {
    if (text[at] != '\\') {
      value += text[at];
      continue;
    }
    char escaped = text[++at];
    if (escaped == 'u') {
      value += char(std::strtol(text.substr(at + 1, 4).c_str(), nullptr, 16));
      at += 4;
    } else {
      value += escaped == 'n' ? '\n' : escaped == 'r' ? '\r' : escaped == 't' ? '\t' : escaped;
    }
  }
  ++at;
  return value;
}

}  // namespace

JournalEvent ParseJournalLine(const std::string& line) {
  JournalEvent event;
  size_t at = line.find('{');
  if (at == std::string::npos) return {};
  ++at;
  while (at < line.size() && line[at] == '"') {
    std::string name = ReadJsonString(line, at);
    if (at >= line.size() || line[at] != ':') return {};
    ++at;
    if (line[at] == '"') {
      event[name] = ReadJsonString(line, at);
    } else {
      size_t end = line.find_first_of(",}", at);
      if (end == std::string::npos) return {};
      event[name] = line.substr(at, end - at);
      at = end;
    }
    if (line[at] == ',') ++at;
  }
  return event;
}

const TestedModule& Tested() {
  static const TestedModule tested = [] {
    const char* module = std::getenv("STOMPARA_E2E_MODULE");
    if (module != nullptr && std::string(module) == "i686")
      return TestedModule{STOMPARA_WIN32_BUILD, STOMPARA_SOURCE_DIR "/scripts/wine-run32.sh",
                          PrefixOf("STOMPARA_WINEPREFIX32", STOMPARA_SOURCE_DIR "/build/wineprefix32")};
    return TestedModule{STOMPARA_WIN64_BUILD, STOMPARA_SOURCE_DIR "/scripts/wine-run.sh",
                        PrefixOf("STOMPARA_WINEPREFIX", STOMPARA_SOURCE_DIR "/build/wineprefix")};
  }();
  return tested;
}

std::string MakePluginFolder(const std::string& name) {
  std::string folder = Scratch() + "/" + name;
  std::system(("rm -rf " + ShellQuote(folder) + " && mkdir -p " + ShellQuote(folder)).c_str());
  WriteFile(folder + "/vis_stompara.dll", ReadFile(Tested().build + "/vis_stompara.dll"));
  return folder;
}

namespace {

// Whether a run's output tells of a fault in 64-bit code, where a 32-bit
// harness and plug-in never run: Wine's own side of its WoW64 mode (seen
// once, under load, as the configuration dialog closed).
bool WineFaultedOnItsOwnSide(const std::string& stderrText) {
  const std::string tell = "Unhandled page fault on ";
  size_t at = stderrText.find(tell);
  size_t address = at == std::string::npos ? at : stderrText.find(" at address ", at);
  if (address == std::string::npos) return false;
  return std::strtoull(stderrText.c_str() + address + 12, nullptr, 16) > 0xFFFFFFFFull &&
         Tested().runner.find("wine-run32") != std::string::npos;
}

// A plug-in folder as it was before a run: every file's name, and the bytes
// of those the plug-in may write (settings, charts, scores, logs; not the
// songs or the DLL), so that a run made again meets what the first met.
class FolderSnapshot {
 public:
  explicit FolderSnapshot(const std::string& folder) : folder_(folder) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
      if (!entry.is_regular_file()) continue;
      std::string path = entry.path().string();
      files_[path] = entry.file_size() <= kKeptBytes ? std::optional<std::string>(ReadFile(path)) : std::nullopt;
    }
  }

  void Restore() const {
    std::vector<std::filesystem::path> added;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_))
      if (entry.is_regular_file() && files_.count(entry.path().string()) == 0) added.push_back(entry.path());
    for (const auto& path : added) std::filesystem::remove(path);
    for (const auto& [path, bytes] : files_)
      if (bytes) WriteFile(path, *bytes);
  }

 private:
  static constexpr std::uintmax_t kKeptBytes = 256 * 1024;
  std::string folder_;
  std::map<std::string, std::optional<std::string>> files_;
};

}  // namespace

HostRun RunHostWithArguments(const std::string& folder, const std::string& arguments, int limitSeconds,
                             const std::function<void()>& beforeEachRun) {
  // A plug-in that hangs its host fails the test instead of hanging it.
  std::string command = "cd " + ShellQuote(folder) + " && timeout -k 5 " + std::to_string(limitSeconds) + " " +
                        Tested().runner + " " +
                        Tested().build + "/stompara_host.exe " + arguments + " 2>stderr.txt";
  HostRun run;
  // Wine 10's server spins now and then with every thread of the harness
  // waiting on it (seen in about one close of the configuration dialog in
  // sixty: its list of top-level windows loops); its runner ends such a run
  // with 75 and says so. That is Wine's fault, not the plug-in's: the run is
  // made again, up to twice, and the last run's outcome is the test's. So
  // is a run in which Wine faulted in its own 64-bit code.
  const FolderSnapshot before(folder);
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (attempt > 0) before.Restore();
    if (beforeEachRun) beforeEachRun();
    int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.stderrText = ReadFile(folder + "/stderr.txt");
    bool spun = run.exitCode == 75 && run.stderrText.find("Wine's server spun") != std::string::npos;
    if (!spun && !WineFaultedOnItsOwnSide(run.stderrText)) break;
    std::fprintf(stderr, "%s: %s; running it again\n", folder.c_str(), run.stderrText.c_str());
  }
  for (const std::string& line : ReadLines(folder + "/journal.jsonl"))
    run.journal.push_back(ParseJournalLine(line));
  return run;
}

HostRun RunHost(const std::string& folder, const std::string& scenario,
                const std::function<void()>& beforeEachRun) {
  WriteFile(folder + "/scenario.txt", scenario);
  std::remove((folder + "/journal.jsonl").c_str());
  // The scenario's own length (its last timed line) plus room for Wine's
  // start and a loaded machine: a long scenario is not taken for a hang.
  int lastMs = 0;
  std::istringstream lines(scenario);
  for (std::string line; std::getline(lines, line);) lastMs = std::max(lastMs, std::atoi(line.c_str()));
  return RunHostWithArguments(folder, "--journal journal.jsonl vis_stompara.dll scenario.txt",
                              std::max(120, lastMs / 1000 + 120), beforeEachRun);
}

std::vector<JournalEvent> EventsNamed(const HostRun& run, const std::string& event) {
  std::vector<JournalEvent> found;
  for (const JournalEvent& each : run.journal)
    if (each.count("event") && each.at("event") == event) found.push_back(each);
  return found;
}

std::string WindowsPath(const std::string& linuxPath) {
  std::string path = "Z:" + linuxPath;
  for (char& c : path) c = c == '/' ? '\\' : c;
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream text(ReadFile(path));
  std::string line;
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string IniValue(const std::string& ini, const std::string& section, const std::string& key) {
  std::istringstream text(ini);
  std::string line, current;
  while (std::getline(text, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      current = line.substr(1, line.find(']') - 1);
    } else if (current == section && line.compare(0, key.size() + 1, key + "=") == 0) {
      return line.substr(key.size() + 1);
    }
  }
  return "<missing>";
}

namespace {

uint32_t Little(const std::string& bytes, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | uint8_t(bytes[at + size_t(i)]);
  return value;
}

}  // namespace

Picture ReadBmp(const std::string& path) {
  Picture picture;
  std::string bytes = ReadFile(path);
  if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0) return picture;
  uint32_t dataOffset = Little(bytes, 10, 4), headerSize = Little(bytes, 14, 4);
  int width = int(Little(bytes, 18, 4)), height = int(int32_t(Little(bytes, 22, 4)));
  uint32_t bits = Little(bytes, 28, 2), compression = Little(bytes, 30, 4);
  uint32_t colours = Little(bytes, 46, 4);
  if (compression != 0 || (bits != 24 && bits != 8) || width <= 0) return picture;
  bool bottomUp = height > 0;
  height = bottomUp ? height : -height;
  size_t rowBytes = (size_t(width) * bits / 8 + 3) & ~size_t(3);
  if (bytes.size() < dataOffset + rowBytes * size_t(height)) return picture;
  if (bits == 8 && colours == 0) colours = 256;
  picture.width = width;
  picture.height = height;
  for (int y = 0; y < height; ++y) {
    size_t row = dataOffset + rowBytes * size_t(bottomUp ? height - 1 - y : y);
    for (int x = 0; x < width; ++x) {
      size_t at = bits == 24 ? row + size_t(x) * 3 : 14 + headerSize + 4 * size_t(uint8_t(bytes[row + size_t(x)]));
      picture.rgb.push_back(Little(bytes, at, 3));
    }
  }
  return picture;
}

int Differing(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1) {
  if (a.width != 288 || b.width != 288 || a.height != 310 || b.height != 310) return -1;
  int count = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) count += a.at(x, y) != b.at(x, y);
  return count;
}

int DifferingFromBanner(const Picture& shot, const Picture& banner) {
  constexpr int kMarksTop = 158, kMarksBottom = 196;
  int above = Differing(shot, banner, 0, 49, 288, kMarksTop);
  int below = Differing(shot, banner, 0, kMarksBottom, 288, 310);
  return above < 0 || below < 0 ? -1 : above + below;
}

Picture ReferenceBanner(const std::string& folder, int combo) {
  std::string out = folder + "/reference" + std::to_string(combo) + ".bmp";
  std::string command = Tested().runner + " " + Tested().build + "/stompara_banner_reference.exe '" +
                        WindowsPath(folder) + "\\vis_stompara.dll' " + std::to_string(combo) + " '" +
                        WindowsPath(out) + "' >/dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return ReadBmp(out);
}

bool Logged(const std::string& folder, const std::string& start, const std::string& part) {
  for (const std::string& line : ReadLines(folder + "/StomparaLog.txt"))
    if (line.compare(0, start.size(), start) == 0 && line.find(part) != std::string::npos) return true;
  return false;
}
