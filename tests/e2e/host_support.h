// host_support.h -- running the 64-bit plug-in in the host harness under wine64.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

// One journal line: field name -> value (strings unescaped, numbers and
// null as their text).
using JournalEvent = std::map<std::string, std::string>;

struct HostRun {
  int exitCode = -1;
  std::string stderrText;
  std::vector<JournalEvent> journal;
};

// The module under test: the 64-bit twin under wine64 by default; with
// STOMPARA_E2E_MODULE=i686 the shipped 32-bit DLL, with the 32-bit harness,
// under the Wine 10 of scripts/wine-run32.sh. The prefix follows the
// runners' STOMPARA_WINEPREFIX and STOMPARA_WINEPREFIX32.
struct TestedModule {
  std::string build;   // the build folder of the DLL, harness and helpers
  std::string runner;  // the script that runs their programs
  std::string prefix;  // the Wine prefix that script uses
};
const TestedModule& Tested();

// A fresh, empty plug-in folder for `name` holding a copy of the tested
// vis_stompara.dll, under STOMPARA_E2E_SCRATCH (default /tmp/stompara-e2e).
// Returns its path.
std::string MakePluginFolder(const std::string& name);

// Runs the harness in `folder` on its vis_stompara.dll with `scenario`.
// A run that Wine itself spoiled is made again on the folder as it was
// before the first; `beforeEachRun`, when given, is called before every run
// (a test that changes the folder while the harness runs starts over in it).
HostRun RunHost(const std::string& folder, const std::string& scenario,
                const std::function<void()>& beforeEachRun = {});
// Runs the harness with the given arguments (after the program) in `folder`,
// ending it as hung after `limitSeconds`.
HostRun RunHostWithArguments(const std::string& folder, const std::string& arguments, int limitSeconds = 120,
                             const std::function<void()>& beforeEachRun = {});

// The journal's events named `event`, in order.
std::vector<JournalEvent> EventsNamed(const HostRun& run, const std::string& event);
// Parses one journal line; empty on a malformed line.
JournalEvent ParseJournalLine(const std::string& line);

// The Windows name of a Linux path, on the drive Z: Wine maps to the root.
std::string WindowsPath(const std::string& linuxPath);

std::string ReadFile(const std::string& path);  // "" when missing
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// A file's lines without their line ends (CR LF or LF).
std::vector<std::string> ReadLines(const std::string& path);
// Whether the plug-in's log in `folder` has a line that starts with `start` and holds `part`.
bool Logged(const std::string& folder, const std::string& start, const std::string& part = "");

// An uncompressed BMP file (24-bit, or 8-bit with its colour table) as
// 0x00RRGGBB values, top row first. Empty `rgb` when the file is not one.
struct Picture {
  int width = 0, height = 0;
  std::vector<uint32_t> rgb;
  uint32_t at(int x, int y) const { return rgb[size_t(y) * size_t(width) + size_t(x)]; }
};
Picture ReadBmp(const std::string& path);

// Pixels that differ between two 288 x 310 captures inside [x0, x1) x
// [y0, y1); -1 when either is no such capture.
int Differing(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1);

// The banner for `combo` (-1 "MISS!") drawn over the background by the
// game's own code (stompara_banner_reference), with the vis_stompara.dll of
// `folder`; the picture is saved in `folder`.
Picture ReferenceBanner(const std::string& folder, int combo);

// Pixels below the target row where a capture and its reference banner
// differ, leaving out the band under the banner where the game draws how
// early or late the latest hit was, the result and the best score.
int DifferingFromBanner(const Picture& shot, const Picture& banner);

// The value of `key` in `section` of an INI text; "<missing>" when absent.
std::string IniValue(const std::string& ini, const std::string& section, const std::string& key);

// A folder made truly read-only for the test's length: root writes
// through file modes, not through a read-only mount.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& folder) : folder_(folder) {
    std::string quoted = "'" + folder + "'";
    mounted_ = std::system(("mount --bind " + quoted + " " + quoted + " && mount -o remount,bind,ro " +
                            quoted + " " + quoted).c_str()) == 0;
  }
  ~ReadOnlyFolder() {
    if (mounted_) std::system(("umount '" + folder_ + "'").c_str());
  }
  bool mounted() const { return mounted_; }

 private:
  std::string folder_;
  bool mounted_;
};
