// tool_files.h -- what the chart tool's commands share: options, files, chart names.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "authoring/step_placement.h"

// A whole number from low to high, and nothing else.
bool ParseWhole(const char* text, long low, long high, long& value);

// `text` in lowercase ASCII.
std::string Lower(std::string text);

// The last part of a path written with "/" or "\" (C:\songs\a.sm -> a.sm).
std::string BaseName(const std::string& path);

// True when `path` ends in one of `extensions` (".mp3", any letter case).
bool HasExtension(const std::filesystem::path& path, std::initializer_list<const char*> extensions);

// Files named by `inputs` and, for folders, every file below them whose
// name ends in one of `extensions`, each folder's sorted. A missing input or
// an unreadable folder is told on stderr and counted in `failures`.
std::vector<std::filesystem::path> CollectFiles(const std::vector<std::string>& inputs,
                                                std::initializer_list<const char*> extensions, int& failures);

// The whole file; false with `error` set.
bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes, std::string& error);

// Writes `bytes` to a temporary file beside `target`, then renames it into
// place, so a failed write never leaves half a chart. False with `error`.
bool WriteFileInPlace(const std::filesystem::path& target, const std::string& bytes, std::string& error);

// The chart file the game opens for the song file `audioName`, by its own
// rule: the name up to its first "." and "msd" ("Song.mp3" -> "Song.msd").
// "" when the name is too long.
std::string ChartNameFor(const std::string& audioName);

// The exit status of bad usage, for every command of the chart tool.
constexpr int kUsageStatus = 3;

// A command's exit status after `made` files went through and `failed` did
// not: 0 all made, 1 some failed, 2 none made.
inline int RunStatus(int made, int failed) { return made == 0 ? 2 : failed > 0 ? 1 : 0; }

// The options `convert` and `generate` share, and `convert`'s own.
struct ToolOptions {
  std::string outDir;       // --out DIR: "" beside each input
  bool force = false;       // --force: replace charts that exist
  PlacementOptions placement;  // --frame-ms N, --lead-ms N
  std::string audio;        // --audio NAME
  std::vector<std::string> inputs;
};

// Reads the arguments after the command's name; `convertOnly` allows
// --lead-ms and --audio. False with `why` set on bad usage.
bool ParseToolOptions(int argc, char** argv, bool convertOnly, ToolOptions& options, std::string& why);

// The chart file for an input: `chartName` in --out or beside `input`.
// False with `error` set when this run already wrote it, or when it exists
// and --force was not given. Creates the folder.
bool ClaimChartPath(const ToolOptions& options, const std::filesystem::path& input, const std::string& chartName,
                    const std::set<std::filesystem::path>& written, std::filesystem::path& target,
                    std::string& error);
