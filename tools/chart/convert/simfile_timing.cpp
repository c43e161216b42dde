// simfile_timing.cpp -- beats to song time through tempo changes and stops.
#include <algorithm>
#include <cstdio>

#include "simfile.h"

namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

bool SetTiming(Simfile& song, std::vector<std::pair<double, double>> tempos,
               std::vector<std::pair<double, double>> stops, std::string& error) {
  if (tempos.empty()) {
    error = "the file gives no tempo";
    return false;
  }
  std::stable_sort(tempos.begin(), tempos.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::stable_sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  // The last change at or before beat 0 (else the first one) holds from the start.
  double start = tempos.front().second;
  for (const auto& [beat, bpm] : tempos) {
    if (!(bpm > 0.0)) {
      error = "the tempo " + Number(bpm) + " at beat " + Number(beat) + " cannot time a step (it must be above 0)";
      return false;
    }
    if (beat <= 0.0) start = bpm;
  }
  song.tempos.assign(1, {0.0, start});
  for (const auto& [beat, bpm] : tempos) {
    if (beat > 0.0) song.tempos.push_back({beat, bpm});
  }
  song.secondsAtTempo.assign(1, 0.0);
  for (size_t i = 1; i < song.tempos.size(); ++i) {
    const TempoChange& before = song.tempos[i - 1];
    song.secondsAtTempo.push_back(song.secondsAtTempo.back() +
                                  (song.tempos[i].beat - before.beat) * 60.0 / before.bpm);
  }
  song.stops.clear();
  song.stopsBefore.clear();
  double total = 0.0;
  for (const auto& [beat, seconds] : stops) {
    if (!(seconds >= 0.0)) {
      error = "the stop of " + Number(seconds) + " s at beat " + Number(beat) + " runs backwards";
      return false;
    }
    if (beat < 0.0 || seconds == 0.0) continue;
    song.stops.push_back({beat, seconds});
    song.stopsBefore.push_back(total);
    total += seconds;
  }
  return true;
}

double SecondsAtBeat(const Simfile& song, double beat) {
  if (song.tempos.empty()) return song.beatZeroSeconds;
  // The tempo segment holding the beat (the first one also before beat 0).
  auto after = std::upper_bound(song.tempos.begin(), song.tempos.end(), beat,
                                [](double b, const TempoChange& change) { return b < change.beat; });
  size_t segment = after == song.tempos.begin() ? 0 : size_t(after - song.tempos.begin()) - 1;
  const TempoChange& tempo = song.tempos[segment];
  double seconds = song.secondsAtTempo[segment] + (beat - tempo.beat) * 60.0 / tempo.bpm;
  // Stops strictly before the beat.
  auto stop = std::lower_bound(song.stops.begin(), song.stops.end(), beat,
                               [](const Stop& s, double b) { return s.beat < b; });
  if (stop != song.stops.begin()) {
    size_t last = size_t(stop - song.stops.begin()) - 1;
    seconds += song.stopsBefore[last] + song.stops[last].seconds;
  }
  return song.beatZeroSeconds + seconds;
}

double MainTempo(const Simfile& song) {
  double first = 0.0;
  double last = 0.0;
  bool any = false;
  for (const SimChart& chart : song.charts) {
    if (chart.notes.empty()) continue;
    first = any ? std::min(first, chart.notes.front().beat) : chart.notes.front().beat;
    last = any ? std::max(last, chart.notes.back().beat) : chart.notes.back().beat;
    any = true;
  }
  double best = song.tempos.empty() ? 0.0 : song.tempos.front().bpm;
  double bestSeconds = -1.0;
  for (size_t i = 0; i < song.tempos.size(); ++i) {
    double from = std::max(first, i == 0 ? first : song.tempos[i].beat);
    double to = std::min(last, i + 1 < song.tempos.size() ? song.tempos[i + 1].beat : last);
    double seconds = to > from ? (to - from) * 60.0 / song.tempos[i].bpm : 0.0;
    if (seconds > bestSeconds) {
      bestSeconds = seconds;
      best = song.tempos[i].bpm;
    }
  }
  return best;
}

double SecondsOfNote(const Simfile& song, const SimNote& note) {
  return note.seconds != SimNote::kUntimed ? note.seconds : SecondsAtBeat(song, note.beat);
}
