// play_result.h -- the end of a chart told, the marks under the banner, and the best scores kept.
#pragma once

#include "chart/step_clock.h"

struct Game;

// A new song: a fresh play record, and the best results read again from
// Scores.ini (a damaged file's unreadable lines left out, with a log line).
void StartSongResult(Game& game);

// After each step the frame pass takes: a song at its start (`report` says
// a low position) begins a new play, unless the last play's result is
// shown, which stays until the next song or the next step; a step after the
// end begins a new play as well.
void FollowPlay(Game& game, const StepClockReport& report);

// After the field pass: once the chart is finished (`chartFinished`) and
// every arrow judged, tells the log how the play went, keeps its result to
// show, and enters it in Scores.ini when it beats the song's best.
void CheckChartEnd(Game& game, bool chartFinished);

// Under the banner, small: the latest hit's mark ("EARLY 12 MS"), and,
// unless `lineTaken` (the chart being made, or listened for), the result
// of the play that ended or else the song's best ("BEST 212/220").
void DrawPlayMarks(Game& game, bool lineTaken);
