// pad_win32.cpp -- joystick 1 as the scenario's pad actions and the autoplayer make it.
//
// The plug-in reads the pad through joyGetPosEx, which its import table
// sends here: the answer is the pad the `pad` actions and the autoplayer
// set, with no device or driver behind it. The plug-in calls on its
// visualisation thread, the actions come on the main thread and the
// autoplayer on the session's: the pad is kept under one lock.
#include "pad_win32.h"

#include <mmsystem.h>  // after windows.h

#include <mutex>

#include "faults_win32.h"
#include "host_win32.h"
#include "journal.h"

namespace {

std::mutex padLock;
PadModel pad;
uint32_t autoplayHeld;  // the buttons the autoplayer holds down
bool patched;
int64_t calls, found;

constexpr DWORD kAxisCentre = 32767;

// Journals the pad; padLock held.
void JournalPad() {
  WriteJournal(NowMs(), "pad", {Field("present", int64_t(pad.present)), Field("buttons", int64_t(pad.buttons)),
                                Field("hat", int64_t(pad.hat))});
}

// Changes the pad by `change` and journals it when it changed.
template <typename Change>
void ChangePad(Change change) {
  std::lock_guard<std::mutex> lock(padLock);
  PadModel before = pad;
  change(pad);
  if (!(pad == before)) JournalPad();
}

int ButtonCount(uint32_t buttons) {
  int count = 0;
  for (; buttons != 0; buttons &= buttons - 1) ++count;
  return count;
}

MMRESULT WINAPI PadJoyGetPosEx(UINT id, LPJOYINFOEX info) {
  std::lock_guard<std::mutex> lock(padLock);
  ++calls;
  if (id != JOYSTICKID1 || !pad.present) return JOYERR_UNPLUGGED;
  if (info == nullptr || info->dwSize != sizeof(JOYINFOEX)) return MMSYSERR_INVALPARAM;
  ++found;
  DWORD flags = info->dwFlags;
  if (flags & JOY_RETURNX) info->dwXpos = kAxisCentre;
  if (flags & JOY_RETURNY) info->dwYpos = kAxisCentre;
  if (flags & JOY_RETURNZ) info->dwZpos = kAxisCentre;
  if (flags & JOY_RETURNBUTTONS) {
    info->dwButtons = pad.buttons;
    info->dwButtonNumber = DWORD(ButtonCount(pad.buttons));
  }
  if (flags & JOY_RETURNPOV) info->dwPOV = pad.hat;
  return JOYERR_NOERROR;
}

}  // namespace

void InstallPad(HMODULE plugin) {
  patched = PatchImport(plugin, "joyGetPosEx", reinterpret_cast<void*>(&PadJoyGetPosEx)) != nullptr;
}

void RunPadAction(const ScenarioAction& action) {
  ChangePad([&](PadModel& model) {
    ApplyPadAction(model, action);
    if (!model.present) autoplayHeld = 0;
  });
}

void PlugInPad() {
  ChangePad([](PadModel& model) {
    if (!model.present) model = PadModel{true, 0, kPadHatCentred};
    autoplayHeld = 0;
  });
}

void HoldAutoplayButtons(uint32_t buttons) {
  ChangePad([&](PadModel& model) {
    if (!model.present) return;  // unplugged: the autoplayer presses nothing
    model.buttons = (model.buttons & ~autoplayHeld) | buttons;
    autoplayHeld = buttons;
  });
}

void JournalPadCalls() {
  if (!patched) return;
  std::lock_guard<std::mutex> lock(padLock);
  WriteJournal(NowMs(), "joystick", {Field("calls", calls), Field("found", found)});
}
