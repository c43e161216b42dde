// evaluate_command.h -- `stompara_chart evaluate`: the generator's charts scored against human charts.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "chart_score.h"

// The song folders among `inputs`: a folder with a notes.mid is one, any
// other folder is searched below for them. An input with none is told on
// stderr and counted in `failures`.
std::vector<std::filesystem::path> FindSongFolders(const std::vector<std::string>& inputs, int& failures);

// A song folder's human chart: the tempo map's beats and the notes of
// notes.mid. False with `error`.
bool ReadReference(const std::filesystem::path& folder, ScoreReference& reference, std::string& error);

// Mixes the folder's stems (song.ogg, and guitar.ogg and rhythm.ogg where
// it has them) into the WAV file `wav`. False with `error`.
bool MixSongStems(const std::filesystem::path& folder, const std::filesystem::path& wav, std::string& error);

// Mixes the folder's stems, generates a chart from the mix (nothing is
// written to the folder) and scores it against notes.mid. False with `error`.
bool ScoreSongFolder(const std::filesystem::path& folder, ChartScore& score, std::string& error);

// `stompara_chart evaluate [--json] SONG-FOLDER...`: the arguments after
// "evaluate". Exit status: 0 every song scored, 1 some failed, 2 none, 3 bad usage.
int RunEvaluate(int argc, char** argv);
