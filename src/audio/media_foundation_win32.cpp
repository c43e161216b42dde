// media_foundation_win32.cpp -- Media Foundation's source reader, loaded at run time, handing float frames to a sink.
#include "audio/media_foundation_win32.h"

#include <windows.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/mp4_priming.h"

namespace {

// Windows 7's Media Foundation (MF_SDK_VERSION 2, MF_API_VERSION 0x70):
// the oldest that has the source reader.
constexpr ULONG kMfVersion = 0x00020070;

using MFStartupFn = HRESULT(WINAPI*)(ULONG, DWORD);
using MFShutdownFn = HRESULT(WINAPI*)();
using MFCreateMediaTypeFn = HRESULT(WINAPI*)(IMFMediaType**);
using MFCreateSourceReaderFromURLFn = HRESULT(WINAPI*)(LPCWSTR, IMFAttributes*, IMFSourceReader**);

// Media Foundation's entry points, once both of its DLLs are loaded. They
// stay loaded for the life of the process: the platform's own work queues
// may still run in them after a decode.
struct MediaFoundation {
  MFStartupFn startup = nullptr;
  MFShutdownFn shutdown = nullptr;
  MFCreateMediaTypeFn createMediaType = nullptr;
  MFCreateSourceReaderFromURLFn createSourceReader = nullptr;
};

HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + wcslen(name) + 2 > MAX_PATH) return nullptr;
  path[length] = L'\\';
  wcscpy(path + length + 1, name);
  return LoadLibraryW(path);
}

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn& fn) {
  fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return fn != nullptr;
}

// Loads Media Foundation; false where the system lacks it. A failed load is
// tried again on the next song (a media pack may be installed meanwhile).
bool LoadMediaFoundation(MediaFoundation& mf) {
  HMODULE platform = LoadSystemLibrary(L"mfplat.dll");
  HMODULE readers = platform != nullptr ? LoadSystemLibrary(L"mfreadwrite.dll") : nullptr;
  if (readers == nullptr) {
    if (platform != nullptr) FreeLibrary(platform);
    return false;
  }
  bool resolved = Resolve(platform, "MFStartup", mf.startup) && Resolve(platform, "MFShutdown", mf.shutdown) &&
                  Resolve(platform, "MFCreateMediaType", mf.createMediaType) &&
                  Resolve(readers, "MFCreateSourceReaderFromURL", mf.createSourceReader);
  if (!resolved) mf = MediaFoundation{};
  return resolved;
}

template <typename T>
void Release(T*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

// "WHAT, and WHY (Media Foundation error 0x...)".
std::string Described(const std::string& what, const char* why, HRESULT result) {
  char code[48];
  std::snprintf(code, sizeof code, " (Media Foundation error 0x%08lX)", static_cast<unsigned long>(result));
  return what + ", and " + why + code;
}

// The reader's output: float where the decoder offers it, else 16-bit PCM.
struct Output {
  int sampleRate = 0;
  int channels = 0;
  bool isFloat = true;
};

HRESULT ChooseOutput(const MediaFoundation& mf, IMFSourceReader* reader, Output& output) {
  constexpr DWORD kAudio = DWORD(MF_SOURCE_READER_FIRST_AUDIO_STREAM);
  reader->SetStreamSelection(DWORD(MF_SOURCE_READER_ALL_STREAMS), FALSE);
  HRESULT result = reader->SetStreamSelection(kAudio, TRUE);
  if (FAILED(result)) return result;
  for (bool isFloat : {true, false}) {
    IMFMediaType* wanted = nullptr;
    result = mf.createMediaType(&wanted);
    if (FAILED(result)) return result;
    wanted->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
    wanted->SetGUID(MF_MT_SUBTYPE, isFloat ? MFAudioFormat_Float : MFAudioFormat_PCM);
    if (!isFloat) wanted->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
    result = reader->SetCurrentMediaType(kAudio, nullptr, wanted);
    Release(wanted);
    if (SUCCEEDED(result)) {
      output.isFloat = isFloat;
      break;
    }
  }
  if (FAILED(result)) return result;
  IMFMediaType* current = nullptr;
  result = reader->GetCurrentMediaType(kAudio, &current);
  if (FAILED(result)) return result;
  UINT32 rate = 0, channels = 0, bits = 0;
  current->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
  current->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
  current->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
  Release(current);
  if (rate == 0 || channels == 0 || bits != (output.isFloat ? 32u : 16u)) return MF_E_INVALIDMEDIATYPE;
  output.sampleRate = int(rate);
  output.channels = int(channels);
  return S_OK;
}

// The song's length in 100 ns units, or 0 when the source does not say.
int64_t Duration(IMFSourceReader* reader) {
  PROPVARIANT value;
  PropVariantInit(&value);
  int64_t duration = 0;
  if (SUCCEEDED(reader->GetPresentationAttribute(DWORD(MF_SOURCE_READER_MEDIASOURCE), MF_PD_DURATION, &value)) &&
      value.vt == VT_UI8)
    duration = int64_t(value.uhVal.QuadPart);
  PropVariantClear(&value);
  return duration;
}

// Media Foundation decodes on a thread of its own, and the caller's thread
// takes the frames from it: Wine's readers (and perhaps a broken codec on
// Windows) can hang for good on a damaged file, and a decode that stops
// answering is then given up, not waited for. What the two threads share
// lives as long as the longer of them.
struct Chunk {
  std::vector<float> frames;  // interleaved
  int64_t time = 0;           // the first frame's time, 100 ns units
};

struct Relay {
  std::wstring path;
  std::string what;
  std::mutex lock;
  std::condition_variable changed;
  // Told by the decoding thread.
  bool opened = false;  // `output` is known
  Output output;
  std::deque<Chunk> chunks;
  bool finished = false;  // `result` and `error` are final, the file closed
  DecodeResult result = DecodeResult::kFailed;
  std::string error;
  std::atomic<int32_t> percent{0};
  // Told by the caller's thread.
  bool answered = false;  // the sink took the format
  bool stop = false;      // cancelled, refused or given up: no more reading
};

// Chunks waiting at most: the reader runs this far ahead of the sink.
constexpr size_t kMaxChunks = 16;
// A decode with no word from its thread for this long is given up.
constexpr DWORD kStallMs = 20000;

// A sample's bytes as float frames.
void Convert(const Output& output, const BYTE* bytes, DWORD length, std::vector<float>& frames) {
  size_t frameBytes = size_t(output.channels) * (output.isFloat ? 4 : 2);
  frames.resize(length / frameBytes * size_t(output.channels));
  if (output.isFloat) {
    std::memcpy(frames.data(), bytes, frames.size() * 4);
  } else {
    for (size_t i = 0; i < frames.size(); ++i)
      frames[i] = float(int16_t(bytes[2 * i] | bytes[2 * i + 1] << 8)) * (1.0f / 32768);
  }
}

// Waits until the sink has answered the format; false when told to stop.
bool Announce(Relay& relay, const Output& output) {
  std::unique_lock<std::mutex> lock(relay.lock);
  relay.output = output;
  relay.opened = true;
  relay.changed.notify_all();
  relay.changed.wait(lock, [&] { return relay.answered || relay.stop; });
  return !relay.stop;
}

// Hands a chunk over, waiting while the caller is behind; false when told to stop.
bool Pass(Relay& relay, Chunk&& chunk) {
  std::unique_lock<std::mutex> lock(relay.lock);
  relay.changed.wait(lock, [&] { return relay.chunks.size() < kMaxChunks || relay.stop; });
  if (relay.stop) return false;
  relay.chunks.push_back(std::move(chunk));
  relay.changed.notify_all();
  return true;
}

DecodeResult ReadAll(IMFSourceReader* reader, Relay& relay, const Output& output, std::string& error) {
  const int64_t duration = Duration(reader);
  bool handed = false;
  for (;;) {
    DWORD flags = 0;
    LONGLONG time = 0;
    IMFSample* sample = nullptr;
    HRESULT result =
        reader->ReadSample(DWORD(MF_SOURCE_READER_FIRST_AUDIO_STREAM), 0, nullptr, &flags, &time, &sample);
    if (FAILED(result)) {
      // Audio that breaks off after it began is a short song, as elsewhere.
      if (handed) return DecodeResult::kDecoded;
      error = Described(relay.what, "its audio cannot be decoded", result);
      return DecodeResult::kFailed;
    }
    if (flags & MF_SOURCE_READERF_CURRENTMEDIATYPECHANGED) {
      // A stream that changes its rate or channels mid-song ends there.
      Release(sample);
      return DecodeResult::kDecoded;
    }
    if (sample != nullptr) {
      Chunk chunk;
      chunk.time = time;
      IMFMediaBuffer* buffer = nullptr;
      BYTE* bytes = nullptr;
      DWORD length = 0;
      if (SUCCEEDED(sample->ConvertToContiguousBuffer(&buffer)) && SUCCEEDED(buffer->Lock(&bytes, nullptr, &length))) {
        Convert(output, bytes, length, chunk.frames);
        buffer->Unlock();
      }
      Release(buffer);
      Release(sample);
      if (duration > 0) relay.percent.store(int32_t(std::clamp<int64_t>(time * 100 / duration, 0, 99)));
      if (!Pass(relay, std::move(chunk))) return DecodeResult::kCancelled;
      handed = true;
    }
    if (flags & (MF_SOURCE_READERF_ENDOFSTREAM | MF_SOURCE_READERF_ERROR)) return DecodeResult::kDecoded;
  }
}

DecodeResult DecodeStarted(const MediaFoundation& mf, Relay& relay, std::string& error) {
  IMFSourceReader* reader = nullptr;
  HRESULT result = mf.createSourceReader(relay.path.c_str(), nullptr, &reader);
  if (FAILED(result)) {
    error = Described(relay.what, "no decoder on this system reads it", result);
    return DecodeResult::kFailed;
  }
  Output output;
  result = ChooseOutput(mf, reader, output);
  DecodeResult decoded = DecodeResult::kFailed;
  if (FAILED(result)) {
    error = Described(relay.what, "no decoder on this system decodes its audio", result);
  } else if (Announce(relay, output)) {
    decoded = ReadAll(reader, relay, output, error);
  }
  // The source (and the song file it holds open) is shut down now, not
  // whenever the platform's queues get to it.
  IMFMediaSource* source = nullptr;
  if (SUCCEEDED(reader->GetServiceForStream(DWORD(MF_SOURCE_READER_MEDIASOURCE), GUID_NULL, IID_IMFMediaSource,
                                            reinterpret_cast<void**>(&source)))) {
    source->Shutdown();
    Release(source);
  }
  Release(reader);
  return decoded;
}

DecodeResult DecodeLoaded(const MediaFoundation& mf, Relay& relay, std::string& error) {
  // The source reader is a COM object: this thread joins the multithreaded
  // apartment.
  HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  DecodeResult decoded = DecodeResult::kFailed;
  HRESULT started = mf.startup(kMfVersion, MFSTARTUP_LITE);
  if (FAILED(started)) {
    error = Described(relay.what, "Media Foundation does not start", started);
  } else {
    decoded = DecodeStarted(mf, relay, error);
    mf.shutdown();
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return decoded;
}

struct DecodingThread {
  std::shared_ptr<Relay> relay;
  MediaFoundation mf;
  HMODULE module = nullptr;
};

DWORD WINAPI Decoding(LPVOID parameter) {
  auto* thread = static_cast<DecodingThread*>(parameter);
  std::string error;
  DecodeResult result = DecodeLoaded(thread->mf, *thread->relay, error);
  {
    std::lock_guard<std::mutex> lock(thread->relay->lock);
    thread->relay->result = result;
    thread->relay->error = error;
    thread->relay->finished = true;
    thread->relay->changed.notify_all();
  }
  HMODULE module = thread->module;
  delete thread;
  // The thread's own hold on the module keeps its code loaded until here,
  // even when the caller gave it up and the module was let go meanwhile.
  FreeLibraryAndExitThread(module, 0);
}

// Starts the decoding thread; false where no thread can be started.
bool StartDecoding(const MediaFoundation& mf, const std::shared_ptr<Relay>& relay) {
  auto* thread = new DecodingThread{relay, mf, nullptr};
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&Decoding),
                          &thread->module)) {
    delete thread;
    return false;
  }
  HANDLE handle = CreateThread(nullptr, 0, Decoding, thread, 0, nullptr);
  if (handle == nullptr) {
    FreeLibrary(thread->module);
    delete thread;
    return false;
  }
  SetThreadPriority(handle, GetThreadPriority(GetCurrentThread()));
  CloseHandle(handle);
  return true;
}

// Frames of the media that are not the song, left out of what is handed on.
struct Skipping {
  int64_t priming = 0;
  int64_t skip = -1;  // still to drop; -1 until the first frame's time is known
};

void HandChunk(const Chunk& chunk, int channels, int sampleRate, Skipping& skipping, FrameSink& sink,
               uint64_t& framesHanded) {
  if (skipping.skip < 0) skipping.skip = Song_FramesToSkip(skipping.priming, chunk.time, sampleRate);
  size_t count = chunk.frames.size() / size_t(channels);
  size_t first = size_t(std::min<int64_t>(skipping.skip, int64_t(count)));
  skipping.skip -= int64_t(first);
  if (first == count) return;
  sink.Take(chunk.frames.data() + first * size_t(channels), count - first);
  framesHanded += count - first;
}

// Takes what the decoding thread tells, on the caller's thread, until it
// finishes, the caller cancels or it stops answering.
DecodeResult Follow(Relay& relay, const MediaFoundationSong& song, FrameSink& sink, const std::atomic<bool>& cancel,
                    std::atomic<int32_t>& percent, std::string& error, uint64_t& framesHanded) {
  Skipping skipping;
  DWORD heard = GetTickCount();
  std::unique_lock<std::mutex> lock(relay.lock);
  auto stop = [&](DecodeResult result) {
    relay.stop = true;
    relay.changed.notify_all();
    return result;
  };
  for (;;) {
    bool news = relay.changed.wait_for(lock, std::chrono::milliseconds(20), [&] {
      return !relay.chunks.empty() || relay.finished || (relay.opened && !relay.answered);
    });
    percent.store(relay.percent.load());
    if (cancel.load(std::memory_order_relaxed)) return stop(DecodeResult::kCancelled);
    if (news) heard = GetTickCount();
    if (relay.opened && !relay.answered) {
      Output output = relay.output;
      lock.unlock();
      bool taken = sink.Start(output.sampleRate, output.channels, error);
      if (taken && song.priming) skipping.priming = song.priming(output.sampleRate);
      lock.lock();
      if (!taken) return stop(DecodeResult::kFailed);
      relay.answered = true;
      relay.changed.notify_all();
      continue;
    }
    if (!relay.chunks.empty()) {
      Chunk chunk = std::move(relay.chunks.front());
      relay.chunks.pop_front();
      relay.changed.notify_all();
      lock.unlock();
      HandChunk(chunk, relay.output.channels, relay.output.sampleRate, skipping, sink, framesHanded);
      lock.lock();
      continue;
    }
    if (relay.finished) {
      if (relay.result == DecodeResult::kFailed) error = relay.error;
      return relay.result;
    }
    if (GetTickCount() - heard > kStallMs) {
      // Audio that breaks off after it began is a short song, as elsewhere.
      if (framesHanded > 0) return stop(DecodeResult::kDecoded);
      error = song.what + ", and Media Foundation stopped answering while it read it";
      return stop(DecodeResult::kFailed);
    }
  }
}

}  // namespace

DecodeResult MediaFoundation_Decode(const MediaFoundationSong& song, FrameSink& sink, const std::atomic<bool>& cancel,
                                    std::atomic<int32_t>& percent, std::string& error, uint64_t& framesHanded) {
  const std::string& what = song.what;
  static std::mutex loading;
  static MediaFoundation loaded;  // kept once a load succeeds
  MediaFoundation mf;
  {
    std::lock_guard<std::mutex> lock(loading);
    if (loaded.startup == nullptr && LoadMediaFoundation(mf)) loaded = mf;
    mf = loaded;
  }
  if (mf.startup == nullptr) {
    error = what + ", and this system has no Media Foundation to decode it";
    return DecodeResult::kFailed;
  }
  auto relay = std::make_shared<Relay>();
  relay->path = song.path;
  relay->what = what;
  if (!StartDecoding(mf, relay)) {
    error = what + ", and no thread can be started to decode it";
    return DecodeResult::kFailed;
  }
  return Follow(*relay, song, sink, cancel, percent, error, framesHanded);
}
