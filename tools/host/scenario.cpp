// scenario.cpp -- parsing scenario files and answering as the player would.
#include "scenario.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>

namespace {

const std::map<std::string, ActionKind>& ActionsByName() {
  static const std::map<std::string, ActionKind> actions = {
      {"play", ActionKind::Play},       {"pause", ActionKind::Pause},
      {"stop", ActionKind::Stop},       {"seek", ActionKind::Seek},
      {"select", ActionKind::Select},   {"filename", ActionKind::FileName},
      {"keydown", ActionKind::KeyDown}, {"keyrepeat", ActionKind::KeyRepeat},
      {"keyup", ActionKind::KeyUp},     {"config", ActionKind::Config},
      {"capture", ActionKind::Capture}, {"move", ActionKind::Move},
      {"probe", ActionKind::Probe},     {"paint", ActionKind::Paint},
      {"resources", ActionKind::Resources}, {"unfault", ActionKind::Unfault},
      {"close", ActionKind::Close},     {"init", ActionKind::Init},
      {"quit", ActionKind::Quit},       {"wait", ActionKind::Wait},
      {"stall", ActionKind::Stall},
      {"keypress", ActionKind::KeyDown},  // its KeyUp is added after parsing
      {"dialog click", ActionKind::DialogClick}, {"dialog escape", ActionKind::DialogEscape},
      {"dialog hover", ActionKind::DialogHover}, {"dialog leave", ActionKind::DialogLeave},
      {"dialog probe", ActionKind::DialogProbe}, {"dialog browse", ActionKind::DialogBrowse},
      {"capture-dialog", ActionKind::CaptureDialog}, {"title", ActionKind::Title},
      {"pad down", ActionKind::PadDown}, {"pad up", ActionKind::PadUp},
      {"pad hat", ActionKind::PadHat}, {"pad gone", ActionKind::PadGone},
  };
  return actions;
}

bool ParseNumber(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  long long parsed = std::strtoll(text.c_str(), &end, 0);
  if (*end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  value = int32_t(parsed);
  return true;
}

// The hat's directions by name, in hundredths of a degree.
bool HatByName(const std::string& name, int32_t& hat) {
  static const std::map<std::string, int32_t> named = {
      {"up", 0},          {"up-right", 4500},   {"right", 9000}, {"down-right", 13500},
      {"down", 18000},    {"down-left", 22500}, {"left", 27000}, {"up-left", 31500},
      {"centre", kPadHatCentred},
  };
  auto found = named.find(name);
  if (found == named.end()) return false;
  hat = found->second;
  return true;
}

// Reads the arguments of `action` from `words` (after time and name).
bool ParseArguments(ScenarioAction& action, std::istringstream& words, std::string& why) {
  std::string first, second;
  words >> first >> second;
  switch (action.kind) {
    case ActionKind::Title: {
      // The title is the rest of the line, blanks inside it kept.
      std::string rest;
      std::getline(words, rest);
      action.text = second + rest;
      if (!ParseNumber(first, action.first) || action.text.empty())
        return why = "needs an entry and a title", false;
      return true;
    }
    case ActionKind::Seek:
    case ActionKind::Select:
      if (!ParseNumber(first, action.first)) return why = "needs a number", false;
      return true;
    case ActionKind::FileName:
      if (first != "null" && first != "normal") return why = "takes null or normal", false;
      action.first = first == "null";
      return true;
    case ActionKind::KeyDown:
    case ActionKind::KeyRepeat:
    case ActionKind::KeyUp:
      action.first = KeyCodeByName(first);
      if (action.first < 0) return why = "names no key", false;
      return true;
    case ActionKind::Move:
      if (!ParseNumber(first, action.first) || !ParseNumber(second, action.second))
        return why = "needs x and y", false;
      return true;
    case ActionKind::Capture:
    case ActionKind::CaptureDialog:
      if (first.empty()) return why = "needs a file name", false;
      action.text = first;
      return true;
    case ActionKind::Stall:
      if (!ParseNumber(first, action.first) || action.first < kStallMsMin || action.first > kStallMsMax)
        return why = "needs a whole number of ms from " + std::to_string(kStallMsMin) + " to " +
                     std::to_string(kStallMsMax), false;
      return true;
    case ActionKind::PadDown:
    case ActionKind::PadUp:
      if (!ParseNumber(first, action.first) || action.first < 1 || action.first > kPadButtonMax)
        return why = "needs a button from 1 to " + std::to_string(kPadButtonMax), false;
      return true;
    case ActionKind::PadHat:
      if (!HatByName(first, action.first))
        return why = "takes up, down, left, right, a diagonal such as up-left, or centre", false;
      return true;
    case ActionKind::DialogClick:
    case ActionKind::DialogHover:
    case ActionKind::DialogLeave:
      if (!ParseNumber(first, action.first) || action.first < 0 || action.first > kControlIdMax)
        return why = "needs a control id from 0 to " + std::to_string(kControlIdMax), false;
      return true;
    default:
      return true;
  }
}

// A keypress is a fresh KeyDown and, kKeyPressHoldMs later, the KeyUp of
// the same key. Appending the KeyUp right after its KeyDown lets the stable
// sort place it among the actions at its time as if it stood on this line.
void AddKeyRelease(const ScenarioAction& press, Scenario& scenario) {
  ScenarioAction release = press;
  release.kind = ActionKind::KeyUp;
  release.atMs = press.atMs + kKeyPressHoldMs;
  scenario.actions.push_back(release);
}

// Header lines like `playlist` carry no time. `frame-ms N` and `box-ms N`
// take a number from min to max; `host-thread vis|main` takes one of its
// words, the first giving min, the second min + 1.
struct HeaderSetting {
  const char* name;
  int32_t Scenario::*field;
  int32_t min, max;
  const char* words[2];  // a word setting's words; none for a number
};
constexpr HeaderSetting kHeaderSettings[] = {
    {"frame-ms", &Scenario::frameMs, kFrameMsMin, kFrameMsMax, {}},
    {"box-ms", &Scenario::boxMs, 0, kBoxMsMax, {}},
    {"host-thread", &Scenario::hostThread, kHostThreadVis, kHostThreadMain, {"vis", "main"}},
    {"wide-names", &Scenario::wideNames, 0, 1, {"off", "on"}},
    {"request-journal", &Scenario::requestJournal, 0, 1, {"off", "on"}},
    {"autoplay-late", &Scenario::autoplayLateMs, -500, 500, {}},
};

const HeaderSetting* HeaderSettingNamed(const std::string& name) {
  for (const HeaderSetting& setting : kHeaderSettings)
    if (name == setting.name) return &setting;
  return nullptr;
}

bool ParseSettingValue(const HeaderSetting& setting, const std::string& text, int32_t& value) {
  if (setting.words[0] == nullptr)
    return ParseNumber(text, value) && value >= setting.min && value <= setting.max;
  for (value = setting.min; value <= setting.max; ++value)
    if (text == setting.words[value - setting.min]) return true;
  return false;
}

bool ParseHeaderSetting(const HeaderSetting& setting, const std::string& line, int lineNumber,
                        Scenario& scenario, std::string& error) {
  std::istringstream words(line);
  std::string name, value, extra;
  words >> name >> value >> extra;
  int32_t parsed = 0;
  if (ParseSettingValue(setting, value, parsed) && extra.empty()) {
    scenario.*setting.field = parsed;
    return true;
  }
  error = "scenario line " + std::to_string(lineNumber) + " '" + setting.name + "' ";
  if (setting.words[0] != nullptr)
    error += std::string("takes ") + setting.words[0] + " or " + setting.words[1];
  else
    error += "needs a whole number of ms from " + std::to_string(setting.min) + " to " +
             std::to_string(setting.max);
  return false;
}

// `sound WAV` gives the entry just added its sound; `autoplay-live LOGFILE`
// follows the plug-in's live arrows. False with `error` set when the line
// is one of them and wrong; `taken` says whether it was one.
bool ParseStreamLine(const std::string& line, int lineNumber, Scenario& scenario, bool& taken,
                     std::string& error) {
  std::string where = "scenario line " + std::to_string(lineNumber);
  taken = true;
  if (line.compare(0, 6, "sound ") == 0) {
    if (scenario.playlist.empty()) return error = where + " 'sound' comes before any playlist entry", false;
    scenario.sounds.resize(scenario.playlist.size());
    scenario.sounds.back() = line.substr(6);
    return true;
  }
  if (line.compare(0, 14, "autoplay-keys ") == 0) {
    std::istringstream names(line.substr(14));
    std::string name;
    int count = 0;
    while (std::getline(names, name, ',')) {
      int32_t code = KeyCodeByName(name);
      if (code < 0 || count == 4) return error = where + " 'autoplay-keys' takes four key names", false;
      scenario.autoplayKeys[count++] = code;
    }
    if (count != 4) return error = where + " 'autoplay-keys' takes four key names", false;
    return true;
  }
  if (line.compare(0, 14, "autoplay-live ") == 0) {
    if (!scenario.autoplayChart.empty()) return error = where + " 'autoplay-live' cannot go with 'autoplay'", false;
    scenario.autoplayLive = line.substr(14);
    return true;
  }
  taken = false;
  return true;
}

// `autoplay-pad`, alone or with four different buttons B,B,B,B from 1 to
// kPadButtonMax. False with `error` set when the list is wrong.
bool ParseAutoplayPad(const std::string& line, int lineNumber, Scenario& scenario, std::string& error) {
  std::istringstream words(line.substr(12));
  std::string list, extra;
  words >> list >> extra;
  scenario.autoplayPad = true;
  if (list.empty()) return true;
  std::istringstream numbers(list);
  std::string number;
  int count = 0;
  bool good = extra.empty();
  while (good && std::getline(numbers, number, ',')) {
    int32_t button = 0;
    good = count < 4 && ParseNumber(number, button) && button >= 1 && button <= kPadButtonMax;
    for (int before = 0; good && before < count; ++before) good = scenario.autoplayPadButtons[before] != button;
    if (good) scenario.autoplayPadButtons[count++] = button;
  }
  if (good && count == 4 && list.back() != ',') return true;
  error = "scenario line " + std::to_string(lineNumber) + " 'autoplay-pad' takes four different buttons from 1 to " +
          std::to_string(kPadButtonMax) + ", such as 1,2,3,4";
  return false;
}

// What the whole file must agree on, once every line is read.
bool CheckScenario(Scenario& scenario, std::string& error) {
  scenario.sounds.resize(scenario.playlist.size());
  for (const ScenarioAction& action : scenario.actions) {
    if (action.kind == ActionKind::Title &&
        (action.first < 0 || size_t(action.first) >= scenario.playlist.size()))
      return error = "scenario line " + std::to_string(action.line) + " 'title' names no playlist entry", false;
  }
  return true;
}

bool ParseActionLine(const std::string& line, int lineNumber, Scenario& scenario,
                     std::string& error) {
  std::istringstream words(line);
  std::string time, name, verb;
  words >> time >> name;
  // `dialog VERB` and `pad VERB` name their actions with two words.
  if ((name == "dialog" || name == "pad") && words >> verb) name += " " + verb;
  ScenarioAction action;
  action.line = lineNumber;
  std::string why;
  auto found = ActionsByName().find(name);
  if (!ParseNumber(time, action.atMs) || action.atMs < 0) {
    why = "does not start with a time in ms";
  } else if (found == ActionsByName().end()) {
    why = "has an unknown action '" + name + "'";
  } else if (name == "keypress" && action.atMs > INT32_MAX - kKeyPressHoldMs) {
    why = "'keypress' comes too late to release its key";
  } else {
    action.kind = found->second;
    if (ParseArguments(action, words, why)) {
      scenario.actions.push_back(action);
      if (name == "keypress") AddKeyRelease(action, scenario);
      return true;
    }
    why = "'" + name + "' " + why;
  }
  error = "scenario line " + std::to_string(lineNumber) + " " + why;
  return false;
}

}  // namespace

bool ParseScenario(const std::string& text, Scenario& scenario, std::string& error) {
  scenario = Scenario{};
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    line = line.substr(start);
    if (line.compare(0, 9, "playlist ") == 0) {
      scenario.playlist.push_back(line.substr(9));
      continue;
    }
    bool taken = false;
    if (!ParseStreamLine(line, number, scenario, taken, error)) return false;
    if (taken) continue;
    if (line.compare(0, 16, "settings-folder ") == 0) {
      std::string folder = line.substr(16);
      scenario.answerSettingsFolder = folder != "none";
      scenario.settingsFolder = folder == "none" ? "" : folder;
      continue;
    }
    if (line == "autoplay-pad" || line.compare(0, 13, "autoplay-pad ") == 0) {
      if (!ParseAutoplayPad(line, number, scenario, error)) return false;
      continue;
    }
    if (line.compare(0, 9, "autoplay ") == 0) {
      // The level is the last word; the chart's path may hold blanks.
      size_t blank = line.find_last_of(" \t");
      if (blank <= 9 || !ParseNumber(line.substr(blank + 1), scenario.autoplayLevel) ||
          scenario.autoplayLevel < 0 || scenario.autoplayLevel > 2) {
        error = "scenario line " + std::to_string(number) + " 'autoplay' takes a chart file and a level 0, 1 or 2";
        return false;
      }
      if (!scenario.autoplayLive.empty()) {
        error = "scenario line " + std::to_string(number) + " 'autoplay' cannot go with 'autoplay-live'";
        return false;
      }
      scenario.autoplayChart = line.substr(9, blank - 9);
      continue;
    }
    if (line.compare(0, 6, "fault ") == 0) {
      std::istringstream words(line.substr(6));
      ScenarioFault fault;
      std::string from, extra;
      words >> fault.name >> from >> extra;
      bool known = false;
      for (const char* name : kFaultNames) known = known || fault.name == name;
      if (!known || !extra.empty() || (!from.empty() && (!ParseNumber(from, fault.failFrom) || fault.failFrom < 1))) {
        error = "scenario line " + std::to_string(number) + " 'fault' takes a Windows function it knows and a "
                "call number from 1";
        return false;
      }
      scenario.faults.push_back(fault);
      continue;
    }
    if (line.compare(0, 7, "record ") == 0) {
      scenario.recordFolder = line.substr(7);
      continue;
    }
    if (line.compare(0, 6, "audio ") == 0) {
      scenario.audioFile = line.substr(6);
      continue;
    }
    if (const HeaderSetting* setting = HeaderSettingNamed(line.substr(0, line.find_first_of(" \t")))) {
      if (!ParseHeaderSetting(*setting, line, number, scenario, error)) return false;
      continue;
    }
    if (!ParseActionLine(line, number, scenario, error)) return false;
  }
  std::stable_sort(scenario.actions.begin(), scenario.actions.end(),
                   [](const ScenarioAction& a, const ScenarioAction& b) { return a.atMs < b.atMs; });
  return CheckScenario(scenario, error);
}

int32_t KeyCodeByName(const std::string& name) {
  static const std::map<std::string, int32_t> named = {
      {"LEFT", 0x25}, {"UP", 0x26}, {"RIGHT", 0x27}, {"DOWN", 0x28},
      {"SPACE", 0x20}, {"RETURN", 0x0D}, {"ESCAPE", 0x1B},
  };
  auto found = named.find(name);
  if (found != named.end()) return found->second;
  if (name.size() == 1 && ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= '0' && name[0] <= '9')))
    return name[0];
  if (name.size() == 7 && name.compare(0, 6, "NUMPAD") == 0 && name[6] >= '0' && name[6] <= '9')
    return 0x60 + (name[6] - '0');  // VK_NUMPAD0 and on
  int32_t code = 0;
  if (ParseNumber(name, code) && code > 0 && code < 256) return code;
  return -1;
}

int64_t KeyMessageData(int32_t keyCode, ActionKind kind) {
  struct ScanCode { int32_t key, scan; bool extended; };
  static const ScanCode codes[] = {
      {0x25, 0x4B, true}, {0x26, 0x48, true}, {0x27, 0x4D, true}, {0x28, 0x50, true},
      {0x20, 0x39, false}, {0x0D, 0x1C, false}, {0x1B, 0x01, false},
  };
  int64_t data = 1;  // repeat count
  for (const ScanCode& code : codes)
    if (code.key == keyCode) data |= int64_t(code.scan) << 16 | int64_t(code.extended) << 24;
  if (kind != ActionKind::KeyDown) data |= int64_t(1) << 30;  // the key was down before
  if (kind == ActionKind::KeyUp) data |= int64_t(1) << 31;    // it is being released
  return data;
}

void ApplyPlaybackAction(Playback& playback, const ScenarioAction& action, int64_t nowMs) {
  int32_t current = PositionAnswer(playback, nowMs);
  switch (action.kind) {
    case ActionKind::Play:
      if (playback.state == PlayState::Stopped) current = 0;
      playback.state = PlayState::Playing;
      break;
    case ActionKind::Pause:
      if (playback.state == PlayState::Playing) playback.state = PlayState::Paused;
      break;
    case ActionKind::Stop:
      playback.state = PlayState::Stopped;
      current = 0;
      break;
    case ActionKind::Seek:
      current = action.first;
      break;
    case ActionKind::Select:
      playback.entry = action.first;
      break;
    case ActionKind::FileName:
      playback.nullFileName = action.first != 0;
      break;
    default:
      return;
  }
  playback.position = current;
  playback.sinceMs = nowMs;
}

void ApplyPadAction(PadModel& pad, const ScenarioAction& action) {
  if (action.kind == ActionKind::PadGone) {
    pad = PadModel{};
    return;
  }
  if (!pad.present) pad = PadModel{true, 0, kPadHatCentred};
  uint32_t bit = action.first >= 1 && action.first <= kPadButtonMax ? 1u << (action.first - 1) : 0;
  switch (action.kind) {
    case ActionKind::PadDown: pad.buttons |= bit; break;
    case ActionKind::PadUp: pad.buttons &= ~bit; break;
    case ActionKind::PadHat: pad.hat = uint32_t(action.first); break;
    default: break;
  }
}

int32_t IsPlayingAnswer(const Playback& playback) {
  switch (playback.state) {
    case PlayState::Playing: return 1;
    case PlayState::Paused: return 3;
    default: return 0;
  }
}

int32_t PositionAnswer(const Playback& playback, int64_t nowMs) {
  switch (playback.state) {
    case PlayState::Playing: return int32_t(playback.position + (nowMs - playback.sinceMs));
    case PlayState::Paused: return playback.position;
    default: return -1;
  }
}

std::string FileTitle(const std::string& name) {
  if (name.find("://") != std::string::npos) return name;
  size_t slash = name.find_last_of("\\/");
  std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
  size_t dot = last.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? last : last.substr(0, dot);
}

const char* FileNameAnswer(const Playback& playback, const Scenario& scenario, int64_t entry) {
  if (playback.nullFileName || entry < 0 || entry >= int64_t(scenario.playlist.size()))
    return nullptr;
  return scenario.playlist[size_t(entry)].c_str();
}
