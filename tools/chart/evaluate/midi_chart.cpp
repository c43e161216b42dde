// midi_chart.cpp -- Standard MIDI File chunks and events to tempo map and note times.
#include "midi_chart.h"

#include <algorithm>

namespace {

bool Fail(std::string& error, const std::string& why) {
  error = why;
  return false;
}

// A bounded view of a chunk: every read says whether the bytes were there.
struct ByteReader {
  const unsigned char* data;
  size_t size;
  size_t at = 0;

  bool Byte(uint8_t& value) {
    if (at >= size) return false;
    value = data[at++];
    return true;
  }
  bool Big(int count, uint32_t& value) {
    if (size - at < size_t(count)) return false;
    value = 0;
    for (int i = 0; i < count; ++i) value = (value << 8) | data[at++];
    return true;
  }
  // A variable-length number: at most four bytes of seven bits.
  bool Variable(uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t byte = 0;
      if (!Byte(byte)) return false;
      value = (value << 7) | (byte & 0x7f);
      if ((byte & 0x80) == 0) return true;
    }
    return false;
  }
  bool Skip(uint32_t count) {
    if (size - at < count) return false;
    at += count;
    return true;
  }
};

struct RawTempo {
  int64_t tick;
  uint32_t usPerQuarter;
};

// Events read from every track, before the tempo map times them.
struct Events {
  std::vector<RawTempo> tempos;
  std::vector<MidiNote> notes;
  int64_t endTick = 0;
};

// A meta or system-exclusive event after its status byte.
bool ReadMetaOrSysex(ByteReader& track, uint8_t status, int64_t tick, Events& events, std::string& error) {
  uint8_t type = 0;
  if (status == 0xff && !track.Byte(type)) return Fail(error, "a meta event is cut short");
  uint32_t length = 0;
  if (!track.Variable(length)) return Fail(error, "an event length is cut short or longer than four bytes");
  size_t start = track.at;
  if (!track.Skip(length)) return Fail(error, "an event runs past the end of its track");
  if (status == 0xff && type == 0x51) {
    if (length != 3) return Fail(error, "a tempo event is not three bytes long");
    const unsigned char* p = track.data + start;
    uint32_t us = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    if (us == 0) return Fail(error, "a tempo of zero microseconds a quarter note");
    events.tempos.push_back({tick, us});
  }
  return true;
}

bool ReadTrack(ByteReader track, Events& events, std::string& error) {
  int64_t tick = 0;
  uint8_t running = 0;
  while (track.at < track.size) {
    uint32_t delta = 0;
    if (!track.Variable(delta)) return Fail(error, "a delta time is cut short or longer than four bytes");
    tick += delta;
    events.endTick = std::max(events.endTick, tick);
    uint8_t status = 0;
    if (!track.Byte(status)) return Fail(error, "a track ends inside an event");
    if (status == 0xff || status == 0xf0 || status == 0xf7) {
      if (!ReadMetaOrSysex(track, status, tick, events, error)) return false;
      if (status == 0xff) running = 0;
      continue;
    }
    if (status >= 0xf0) return Fail(error, "a system message that has no place in a file");
    uint8_t first = status;
    if (status & 0x80) {
      running = status;
      if (!track.Byte(first)) return Fail(error, "a track ends inside an event");
    } else if (running == 0) {
      return Fail(error, "a data byte with no status before it");
    }
    uint8_t kind = running >> 4;
    uint8_t second = 0;
    if (kind != 0xc && kind != 0xd && !track.Byte(second)) return Fail(error, "a track ends inside an event");
    if ((first | second) & 0x80) return Fail(error, "a status byte where a data byte belongs");
    if (kind == 0x9 && second > 0) events.notes.push_back({tick, 0, first});
  }
  return true;
}

bool ReadHeader(ByteReader& file, MidiFile& midi, uint32_t& tracks, std::string& error) {
  uint32_t tag = 0, length = 0, format = 0, count = 0, division = 0;
  if (!file.Big(4, tag) || tag != 0x4d546864) return Fail(error, "not a MIDI file (no MThd header)");
  if (!file.Big(4, length) || length < 6 || !file.Big(2, format) || !file.Big(2, count) || !file.Big(2, division) ||
      !file.Skip(length - 6)) {
    return Fail(error, "the MIDI header is cut short");
  }
  if (format > 1) return Fail(error, "MIDI format " + std::to_string(format) + " is not read (only 0 and 1)");
  if (division & 0x8000) return Fail(error, "SMPTE-timed MIDI files are not read (only ticks per quarter note)");
  if (division == 0) return Fail(error, "zero ticks per quarter note");
  midi.format = int(format);
  midi.ticksPerQuarter = int(division);
  tracks = count;
  return true;
}

// Times every tick through the tempo map; of tempos at one tick the last holds.
void TimeEvents(Events& events, MidiFile& midi) {
  std::stable_sort(events.tempos.begin(), events.tempos.end(),
                   [](const RawTempo& a, const RawTempo& b) { return a.tick < b.tick; });
  midi.tempos.assign(1, MidiTempo());
  for (const RawTempo& raw : events.tempos) {
    MidiTempo tempo;
    tempo.tick = raw.tick;
    tempo.usPerQuarter = raw.usPerQuarter;
    tempo.ms = MidiMsAt(midi, double(raw.tick));
    if (midi.tempos.back().tick == raw.tick) {
      midi.tempos.back() = tempo;
    } else {
      midi.tempos.push_back(tempo);
    }
  }
  std::stable_sort(events.notes.begin(), events.notes.end(),
                   [](const MidiNote& a, const MidiNote& b) { return a.tick < b.tick; });
  for (MidiNote& note : events.notes) note.ms = MidiMsAt(midi, double(note.tick));
  midi.notes = std::move(events.notes);
  midi.endTick = events.endTick;
  midi.endMs = MidiMsAt(midi, double(events.endTick));
}

}  // namespace

bool ReadMidi(const std::string& bytes, MidiFile& midi, std::string& error) {
  midi = MidiFile();
  ByteReader file{reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
  uint32_t tracks = 0;
  if (!ReadHeader(file, midi, tracks, error)) return false;
  Events events;
  uint32_t found = 0;
  while (found < tracks) {
    uint32_t tag = 0, length = 0;
    if (!file.Big(4, tag) || !file.Big(4, length)) {
      return Fail(error, "the file ends after " + std::to_string(found) + " of its " + std::to_string(tracks) +
                      " tracks");
    }
    ByteReader chunk{file.data + file.at, length};
    if (!file.Skip(length)) return Fail(error, "a chunk's length runs past the end of the file");
    if (tag != 0x4d54726b) continue;  // chunks of unknown types are skipped, as the format asks
    if (!ReadTrack(chunk, events, error)) return Fail(error, "track " + std::to_string(found + 1) + ": " + error);
    ++found;
  }
  TimeEvents(events, midi);
  return true;
}

double MidiMsAt(const MidiFile& midi, double tick) {
  MidiTempo tempo;  // the default until the first tempo event
  for (const MidiTempo& change : midi.tempos) {
    if (double(change.tick) > tick) break;
    tempo = change;
  }
  return tempo.ms + (tick - double(tempo.tick)) * tempo.usPerQuarter / (1000.0 * midi.ticksPerQuarter);
}

int HardestFofLevel(const MidiFile& midi) {
  int hardest = -1;
  for (const MidiNote& note : midi.notes) {
    int offset = int(note.key) - kFofFirstKey;
    if (offset < 0 || offset % 12 >= kFofKeysPerLevel || offset / 12 >= kFofLevels) continue;
    hardest = std::max(hardest, offset / 12);
  }
  return hardest;
}

std::vector<double> FofNoteTimes(const MidiFile& midi, int level) {
  std::vector<double> times;
  int64_t lastTick = -1;
  int low = kFofFirstKey + 12 * level;
  for (const MidiNote& note : midi.notes) {
    if (note.key < low || note.key >= low + kFofKeysPerLevel || note.tick == lastTick) continue;
    times.push_back(note.ms);
    lastTick = note.tick;
  }
  return times;
}
