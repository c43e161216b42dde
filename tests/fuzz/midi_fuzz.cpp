// midi_fuzz.cpp -- libFuzzer target: any bytes as a song folder's notes.mid.
//
// Whatever the bytes, the reader must give a file or a reason, never read
// outside them; a file it reads must give its notes in time order, and a
// reference either built or refused with a reason.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/chart/evaluate/chart_score.h"
#include "tools/chart/evaluate/midi_chart.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  MidiFile midi;
  std::string error;
  bool read = ReadMidi(bytes, midi, error);
  Check(read == error.empty());
  if (!read) return 0;
  for (size_t i = 1; i < midi.notes.size(); ++i) Check(midi.notes[i - 1].ms <= midi.notes[i].ms);
  ScoreReference reference;
  bool built = ReferenceFromMidi(midi, reference, error);
  Check(built ? !reference.notesMs.empty() && !reference.beatsMs.empty() : !error.empty());
  return 0;
}
