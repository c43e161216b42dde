// faults_win32.cpp -- the plug-in's Windows calls, counted, and made to fail on demand.
//
// Right after the plug-in module is loaded its import table is patched:
// the calls that make and free GDI objects and kernel handles go to
// stand-ins that keep the set of those the plug-in holds (so the harness can
// tell what a session leaves behind, which Wine does not count), and
// `fault NAME [N]` makes a stand-in pass the first N - 1 calls on to
// Windows and fail every later one as Windows fails it (a null handle,
// INVALID_HANDLE_VALUE or FALSE, with ERROR_NOT_ENOUGH_MEMORY). `unfault`
// lets every call through again. Media Foundation's calls, which the plug-in
// finds with GetProcAddress, are stood in for there.
#include "faults_win32.h"

#include <mmsystem.h>  // after windows.h
#include <mmreg.h>
#include <msacm.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <set>

#include "host_win32.h"
#include "journal.h"

namespace {

// The stand-ins are called by the plug-in through its import table, with
// Windows' own parameters and no room for one of ours: what they count,
// fail and keep lives in this file, reached by any thread that calls them.

struct FaultSlot {
  const char* name;
  void* standIn;
  void* original;  // Windows' function, once the import is patched
  int failFrom;    // 0 never fails; else from this call on
  int calls;
};

// Counts the call; true when it must fail.
bool Fails(FaultSlot& slot) {
  ++slot.calls;
  if (slot.failFrom == 0 || slot.calls < slot.failFrom) return false;
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return true;
}

FaultSlot* SlotNamed(const char* name);

// What the plug-in holds: GDI objects and kernel handles it made and has
// not freed. Any thread calls the stand-ins.
std::mutex heldLock;
std::set<void*> heldGdi;
std::set<void*> heldHandles;

enum class Holds { Nothing, Gdi, Handle };

void Made(Holds kind, void* handle) {
  if (kind == Holds::Nothing || handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  std::lock_guard<std::mutex> lock(heldLock);
  (kind == Holds::Gdi ? heldGdi : heldHandles).insert(handle);
}

void Freed(std::set<void*>& held, void* handle) {
  std::lock_guard<std::mutex> lock(heldLock);
  held.erase(handle);
}

#define STAND_IN(Name, Result, FailValue, Params, Args, Kind)                          \
  Result WINAPI Failing##Name Params {                                                 \
    static FaultSlot& slot = *SlotNamed(#Name);  /* found once */                      \
    if (Fails(slot)) return FailValue;                                                 \
    Result made = reinterpret_cast<Result(WINAPI*) Params>(slot.original) Args;        \
    Made(Kind, reinterpret_cast<void*>(made));                                         \
    return made;                                                                       \
  }

// The calls that free: forget the handle, then free it.
#define RELEASER(Name, Params, Handle, Held)                                           \
  BOOL WINAPI Failing##Name Params {                                                   \
    static FaultSlot& slot = *SlotNamed(#Name);  /* found once */                      \
    ++slot.calls;                                                                      \
    Freed(Held, reinterpret_cast<void*>(Handle));                                      \
    return reinterpret_cast<BOOL(WINAPI*) Params>(slot.original)(Handle);              \
  }
RELEASER(DeleteDC, (HDC dc), dc, heldGdi)
RELEASER(DeleteObject, (HGDIOBJ object), object, heldGdi)
RELEASER(CloseHandle, (HANDLE handle), handle, heldHandles)

STAND_IN(CreateCompatibleDC, HDC, nullptr, (HDC dc), (dc), Holds::Gdi)
STAND_IN(CreateCompatibleBitmap, HBITMAP, nullptr, (HDC dc, int w, int h), (dc, w, h), Holds::Gdi)
STAND_IN(CreateDIBSection, HBITMAP, nullptr,
         (HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset),
         (dc, info, usage, bits, section, offset), Holds::Gdi)
STAND_IN(CreateFontIndirectA, HFONT, nullptr, (const LOGFONTA* font), (font), Holds::Gdi)
STAND_IN(LoadBitmapA, HBITMAP, nullptr, (HINSTANCE module, LPCSTR name), (module, name), Holds::Gdi)
STAND_IN(LoadImageA, HANDLE, nullptr, (HINSTANCE module, LPCSTR name, UINT type, int w, int h, UINT load),
         (module, name, type, w, h, load), Holds::Nothing)
STAND_IN(CreateWindowExA, HWND, nullptr,
         (DWORD ex, LPCSTR cls, LPCSTR title, DWORD style, int x, int y, int w, int h, HWND parent, HMENU menu,
          HINSTANCE module, LPVOID param),
         (ex, cls, title, style, x, y, w, h, parent, menu, module, param), Holds::Nothing)
STAND_IN(CreateThread, HANDLE, nullptr,
         (LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE start, LPVOID param, DWORD flags,
          LPDWORD id),
         (security, stack, start, param, flags, id), Holds::Handle)
// The file the harness waits for the plug-in to open (the autoplayer's
// chart, when the plug-in makes it during the session).
std::mutex watchLock;
std::wstring watchedPath;
std::atomic<bool> watchedOpened{false};

void NoteOpening(const std::wstring& path, DWORD access, HANDLE made) {
  if (made == INVALID_HANDLE_VALUE || (access & GENERIC_READ) == 0) return;
  std::lock_guard<std::mutex> lock(watchLock);
  if (!watchedPath.empty() && lstrcmpiW(path.c_str(), watchedPath.c_str()) == 0) watchedOpened = true;
}

std::wstring WideOf(const char* text) {
  wchar_t wide[MAX_PATH * 2] = {};
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide, MAX_PATH * 2);
  return wide;
}

// The opens, counted, able to fail, and watched.
#define OPENER(Name, Char, Widen)                                                                         \
  HANDLE WINAPI Failing##Name(const Char* path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,   \
                              DWORD disposition, DWORD flags, HANDLE model) {                              \
    static FaultSlot& slot = *SlotNamed(#Name);                                                            \
    if (Fails(slot)) return INVALID_HANDLE_VALUE;                                                          \
    HANDLE made = reinterpret_cast<decltype(&Failing##Name)>(slot.original)(path, access, share, security, \
                                                                            disposition, flags, model);    \
    Made(Holds::Handle, made);                                                                             \
    NoteOpening(Widen(path), access, made);                                                                \
    return made;                                                                                           \
  }
OPENER(CreateFileA, char, WideOf)
OPENER(CreateFileW, wchar_t, std::wstring)

// The codec's calls fail as the manager fails them: no memory.
MMRESULT WINAPI FailingacmStreamOpen(LPHACMSTREAM stream, HACMDRIVER driver, LPWAVEFORMATEX source,
                                     LPWAVEFORMATEX destination, LPWAVEFILTER filter, DWORD_PTR callback,
                                     DWORD_PTR instance, DWORD open) {
  static FaultSlot& slot = *SlotNamed("acmStreamOpen");
  if (Fails(slot)) return MMSYSERR_NOMEM;
  return reinterpret_cast<decltype(&FailingacmStreamOpen)>(slot.original)(stream, driver, source, destination, filter,
                                                                           callback, instance, open);
}
MMRESULT WINAPI FailingacmStreamConvert(HACMSTREAM stream, LPACMSTREAMHEADER header, DWORD convert) {
  static FaultSlot& slot = *SlotNamed("acmStreamConvert");
  if (Fails(slot)) return MMSYSERR_NOMEM;
  return reinterpret_cast<decltype(&FailingacmStreamConvert)>(slot.original)(stream, header, convert);
}
STAND_IN(ReadFile, BOOL, FALSE, (HANDLE file, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED overlapped),
         (file, buffer, size, read, overlapped), Holds::Nothing)
STAND_IN(WriteFile, BOOL, FALSE,
         (HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped),
         (file, buffer, size, written, overlapped), Holds::Nothing)
STAND_IN(WritePrivateProfileStringA, BOOL, FALSE, (LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file),
         (section, key, value, file), Holds::Nothing)
STAND_IN(GlobalAlloc, HGLOBAL, nullptr, (UINT flags, SIZE_T size), (flags, size), Holds::Nothing)
STAND_IN(FlushFileBuffers, BOOL, FALSE, (HANDLE file), (file), Holds::Nothing)
STAND_IN(LoadLibraryW, HMODULE, nullptr, (LPCWSTR name), (name), Holds::Nothing)

// Media Foundation is not imported but found with GetProcAddress: its
// stand-ins are handed out there, and fail as it fails (E_OUTOFMEMORY).
STAND_IN(MFStartup, HRESULT, E_OUTOFMEMORY, (ULONG version, DWORD flags), (version, flags), Holds::Nothing)
STAND_IN(MFCreateSourceReaderFromURL, HRESULT, E_OUTOFMEMORY, (LPCWSTR url, void* attributes, void** reader),
         (url, attributes, reader), Holds::Nothing)

constexpr const char* kFoundAtRunTime[] = {"MFStartup", "MFCreateSourceReaderFromURL"};

FARPROC WINAPI FailingGetProcAddress(HMODULE module, LPCSTR name) {
  static FaultSlot& slot = *SlotNamed("GetProcAddress");
  FARPROC found = reinterpret_cast<decltype(&FailingGetProcAddress)>(slot.original)(module, name);
  if (found == nullptr || HIWORD(reinterpret_cast<ULONG_PTR>(name)) == 0) return found;
  for (const char* each : kFoundAtRunTime) {
    if (std::strcmp(name, each) != 0) continue;
    FaultSlot& standIn = *SlotNamed(each);
    standIn.original = reinterpret_cast<void*>(found);
    return reinterpret_cast<FARPROC>(standIn.standIn);
  }
  return found;
}

#define SLOT(Name) {#Name, reinterpret_cast<void*>(&Failing##Name), nullptr, 0, 0}
FaultSlot slots[] = {
    SLOT(CreateCompatibleDC), SLOT(CreateCompatibleBitmap), SLOT(CreateDIBSection), SLOT(CreateFontIndirectA),
    SLOT(LoadBitmapA),        SLOT(LoadImageA),             SLOT(CreateWindowExA),  SLOT(CreateThread),
    SLOT(CreateFileA),        SLOT(ReadFile),               SLOT(WriteFile),        SLOT(WritePrivateProfileStringA),
    SLOT(GlobalAlloc),        SLOT(CreateFileW),            SLOT(acmStreamOpen),    SLOT(acmStreamConvert),
    SLOT(FlushFileBuffers),   SLOT(LoadLibraryW),           SLOT(MFStartup),        SLOT(MFCreateSourceReaderFromURL),
    SLOT(GetProcAddress),
    SLOT(DeleteDC),           SLOT(DeleteObject),           SLOT(CloseHandle),
};

FaultSlot* SlotNamed(const char* name) {
  for (FaultSlot& slot : slots)
    if (std::strcmp(slot.name, name) == 0) return &slot;
  return nullptr;
}

}  // namespace

void* PatchImport(HMODULE module, const char* name, void* target) {
  auto* base = reinterpret_cast<BYTE*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return nullptr;
  for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
       ++import) {
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
    auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++addresses) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
      DWORD protection = 0;
      VirtualProtect(&addresses->u1.Function, sizeof(void*), PAGE_READWRITE, &protection);
      void* held = reinterpret_cast<void*>(addresses->u1.Function);
      addresses->u1.Function = reinterpret_cast<decltype(addresses->u1.Function)>(target);
      VirtualProtect(&addresses->u1.Function, sizeof(void*), protection, &protection);
      return held;
    }
  }
  return nullptr;
}

void InstallFaults(HMODULE plugin, const std::vector<ScenarioFault>& faults) {
  for (FaultSlot& slot : slots) slot.original = PatchImport(plugin, slot.name, slot.standIn);
  const bool byName = SlotNamed("GetProcAddress")->original != nullptr;
  for (const ScenarioFault& fault : faults) {
    FaultSlot* slot = SlotNamed(fault.name.c_str());
    if (slot == nullptr) continue;
    slot->failFrom = fault.failFrom;
    bool foundAtRunTime = false;
    for (const char* each : kFoundAtRunTime) foundAtRunTime |= std::strcmp(each, slot->name) == 0;
    bool patched = foundAtRunTime ? byName : slot->original != nullptr;
    WriteJournal(NowMs(), "fault", {Field("name", slot->name), Field("from", int64_t(fault.failFrom)),
                                    Field("patched", int64_t(patched))});
  }
}

void ClearFaults() {
  for (FaultSlot& slot : slots) {
    if (slot.original == nullptr || slot.failFrom == 0) continue;
    WriteJournal(NowMs(), "unfault", {Field("name", slot.name), Field("calls", int64_t(slot.calls)),
                                      Field("failed", int64_t(slot.calls < slot.failFrom ? 0 : slot.calls - slot.failFrom + 1))});
    slot.failFrom = 0;
  }
}

void HeldObjects(int64_t& gdi, int64_t& handles) {
  std::lock_guard<std::mutex> lock(heldLock);
  gdi = int64_t(heldGdi.size());
  handles = int64_t(heldHandles.size());
}

void WatchPluginOpening(const std::string& path) {
  std::lock_guard<std::mutex> lock(watchLock);
  watchedPath = path.empty() ? std::wstring() : WideOf(path.c_str());
  watchedOpened = false;
}

bool PluginOpenedWatchedFile() { return watchedOpened.load(); }
