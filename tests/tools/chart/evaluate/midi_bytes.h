// midi_bytes.h -- Standard MIDI Files built byte by byte for the evaluation tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

inline std::string Big(uint32_t value, int bytes) {
  std::string out;
  for (int i = bytes - 1; i >= 0; --i) out += char((value >> (8 * i)) & 0xff);
  return out;
}

inline std::string Variable(uint32_t value) {
  std::string out(1, char(value & 0x7f));
  while (value >>= 7) out.insert(out.begin(), char(0x80 | (value & 0x7f)));
  return out;
}

inline std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int value : values) out += char(value);
  return out;
}

inline std::string TempoEvent(uint32_t delta, uint32_t usPerQuarter) {
  return Variable(delta) + Bytes({0xff, 0x51, 0x03}) + Big(usPerQuarter, 3);
}

inline std::string NoteOn(uint32_t delta, int key, int velocity = 100) {
  return Variable(delta) + Bytes({0x90, key, velocity});
}

inline std::string Track(const std::string& events) {
  std::string body = events + Bytes({0x00, 0xff, 0x2f, 0x00});
  return "MTrk" + Big(uint32_t(body.size()), 4) + body;
}

inline std::string MidiHeader(int format, int tracks, int division) {
  return "MThd" + Big(6, 4) + Big(uint32_t(format), 2) + Big(uint32_t(tracks), 2) + Big(uint32_t(division), 2);
}
