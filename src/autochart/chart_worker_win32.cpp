// chart_worker_win32.cpp -- the chart-making thread: decode, analyse, write, rename.
#include "autochart/chart_worker_win32.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "audio/song_decoder_win32.h"
#include "autochart/analysis_sink.h"
#include "autochart/chart_making.h"
#include "chart/msd_format.h"
#include "platform/platform.h"
#include "platform/platform_win32.h"
#include "settings/settings.h"

// One song's work, shared by the visualisation thread and the worker: the
// last of the two to let go of it frees it. The visualisation thread
// follows it as its platform's chartJob.
struct ChartJob {
  std::atomic<LONG> holders{2};
  std::atomic<bool> cancel{false};
  std::atomic<int32_t> percent{0};
  std::atomic<Making> state{Making::kBusy};
  DWORD startTick = 0;
  std::wstring song;
  std::string title;
  std::string wideTitle;  // empty when the host gave no wide name
  std::string folders[2];  // where the chart may go, in order
  char text[kMakingTextSize] = {};  // written before `state` leaves kBusy
  HMODULE module = nullptr;  // the worker's own hold on the plug-in
  HANDLE thread = nullptr;
};

namespace {

using Job = ChartJob;

void LetGo(Job* held) {
  if (held->holders.fetch_sub(1) == 1) delete held;
}

void Finish(Job& work, Making state, const char* format, const char* detail) {
  std::snprintf(work.text, sizeof work.text, format, detail);
  work.state.store(state, std::memory_order_release);
}

// The chart's path in `folder`: the title's name with "msd", by the loader's rule.
std::wstring ChartPathIn(const Job& work, const std::string& folder) {
  const bool wide = !work.wideTitle.empty();
  std::string name(size_t(kWideTitleSize) + 8, '\0');
  size_t length = buildChartPath("", wide ? work.wideTitle.c_str() : work.title.c_str(), name.data(), name.size());
  if (length >= name.size()) return std::wstring();
  name.resize(length);
  return Widened(folder.c_str(), CP_ACP) + Widened(name.c_str(), wide ? CP_UTF8 : CP_ACP);
}

enum class Written { kDone, kFolderRefused, kFailed };

// Writes `text` to `path` through a temporary file beside it, on the disk
// before it is renamed into place, so that a crash or a power cut leaves no
// short chart under the song's name. The rename never replaces a file:
// where another player made the same chart first, its file is kept.
Written WriteChart(const std::wstring& path, const std::string& text) {
  wchar_t unique[40];
  std::swprintf(unique, 40, L".%lu-%lu.tmp", GetCurrentProcessId(), GetCurrentThreadId());
  std::wstring temporary = path + unique;
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Written::kFolderRefused;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) && written == DWORD(text.size()) &&
            FlushFileBuffers(file);
  ok = CloseHandle(file) && ok;
  if (ok && MoveFileW(temporary.c_str(), path.c_str())) return Written::kDone;
  DeleteFileW(temporary.c_str());
  return ok && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES ? Written::kDone : Written::kFailed;
}

void MakeChartFile(Job& work) {
  AnalysisStream stream;
  AnalysisSink sink(stream);
  std::string error;
  DecodeResult decoded = DecodeSongFile(work.song.c_str(), sink, work.cancel, work.percent, error);
  if (decoded == DecodeResult::kCancelled || work.cancel.load()) return Finish(work, Making::kFailed, "%s", "cancelled");
  if (decoded == DecodeResult::kFailed) return Finish(work, Making::kFailed, "%s", error.c_str());
  work.percent.store(100);  // read and decoded: the analysis is the last tenth
  AudioAnalysis analysis;
  stream.Finish(analysis);
  MadeChart chart;
  PlacementOptions options;
  if (!MakeChart(analysis, work.title, "vis_stompara", options, chart, error))
    return Finish(work, Making::kFailed, "%s", error.c_str());
  std::string text = WriteMsd(chart.placed, chart.text);
  std::string summary = SummaryOf(chart);
  for (const std::string& folder : work.folders) {
    if (folder.empty()) continue;
    if (work.cancel.load()) return Finish(work, Making::kFailed, "%s", "cancelled");
    // The made-charts folder is made the first time; the user's own chart
    // folder never is (a missing one may be a drive not plugged in).
    if (&folder == &work.folders[1]) CreateDirectoryW(Widened(folder.c_str(), CP_ACP).c_str(), nullptr);
    std::wstring path = ChartPathIn(work, folder);
    if (path.empty()) continue;
    Written written = WriteChart(path, text);
    if (written == Written::kFolderRefused) continue;
    if (written == Written::kFailed) return Finish(work, Making::kFailed, "the chart cannot be written in %s", folder.c_str());
    std::string made = folder + " (" + summary + ")";
    return Finish(work, Making::kMade, "%s", made.c_str());
  }
  Finish(work, Making::kFailed, "%s", "no chart folder can be written");
}

DWORD WINAPI MakerThread(LPVOID parameter) {
  auto* work = static_cast<Job*>(parameter);
  HMODULE module = work->module;
  MakeChartFile(*work);
  LetGo(work);
  // The worker's own hold on the plug-in keeps its code loaded until here,
  // even when the host has let go of it meanwhile.
  FreeLibraryAndExitThread(module, 0);
}

// Waits for the worker to end, up to `ms`, answering sent messages meanwhile.
void WaitForWorker(HANDLE thread, DWORD ms) {
  DWORD until = GetTickCount() + ms;
  for (;;) {
    DWORD now = GetTickCount();
    DWORD left = int32_t(until - now) > 0 ? until - now : 0;
    DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
    if (woke != WAIT_OBJECT_0 + 1) return;  // ended, timed out or failed
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
}

}  // namespace

std::wstring Widened(const char* text, UINT codePage) {
  int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(size_t(length), L'\0');
  MultiByteToWideChar(codePage, 0, text, -1, wide.data(), length);
  wide.resize(size_t(length - 1));
  return wide;
}

int StartChartWorker(Platform& platform, const Settings& settings, const std::wstring& song,
                     const char* fileName, const char* title, const char* wideTitle,
                     char (&why)[kMakingTextSize]) {
  Platform_StopMakingChart(platform);
  DWORD attributes = GetFileAttributesW(song.c_str());
  if (song.empty() || attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    std::snprintf(why, sizeof why, "the song's file %s cannot be found", fileName);
    return 0;
  }
  auto* work = new Job;
  work->song = song;
  work->title = title;
  work->wideTitle = wideTitle != nullptr ? wideTitle : "";
  work->folders[0] = settings.msdPath;
  work->folders[1] = settings.madeChartsFolder;
  work->startTick = GetTickCount();
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          reinterpret_cast<LPCWSTR>(&MakerThread), &work->module)) {
    delete work;
    std::snprintf(why, sizeof why, "%s", "the plug-in cannot hold itself loaded for a worker");
    return 0;
  }
  work->thread = CreateThread(nullptr, 0, MakerThread, work, 0, nullptr);
  if (work->thread == nullptr) {
    FreeLibrary(work->module);
    delete work;
    std::snprintf(why, sizeof why, "no worker thread can be started (error %lu)", GetLastError());
    return 0;
  }
  // Below the game's own threads, so frames keep their pace on a busy machine.
  SetThreadPriority(work->thread, THREAD_PRIORITY_BELOW_NORMAL);
  platform.chartJob = work;
  return 1;
}

void Platform_PollMakingChart(Platform& platform, MakingReport& report) {
  report = {};
  Job*& job = platform.chartJob;
  if (job == nullptr) return;
  report.elapsedMs = int32_t(GetTickCount() - job->startTick);
  report.state = job->state.load(std::memory_order_acquire);
  if (report.state == Making::kBusy) {
    // Reading and decoding the file are the first nine tenths of the work.
    report.percent = job->percent.load() * 9 / 10;
    return;
  }
  std::memcpy(report.text, job->text, sizeof report.text);
  CloseHandle(job->thread);
  LetGo(job);
  job = nullptr;
}

void Platform_StopMakingChart(Platform& platform) {
  Job*& job = platform.chartJob;
  if (job == nullptr) return;
  job->cancel.store(true);
  WaitForWorker(job->thread, 100);
  CloseHandle(job->thread);
  LetGo(job);
  job = nullptr;
}
