// pad_win32.cpp -- joystick 1's buttons and hat through joyGetPosEx, once a frame.
#include "play/pad_win32.h"

#include <windows.h>  // before mmsystem.h

#include <mmsystem.h>

#include "play/pad_input.h"

void PollPad(PadState& pad, Game& game, int32_t msSinceFrame) {
  DWORD now = GetTickCount();
  if (!PadAskDue(pad, now)) return;
  JOYINFOEX reading = {};
  reading.dwSize = sizeof reading;
  reading.dwFlags = JOY_RETURNBUTTONS | JOY_RETURNPOV;
  if (joyGetPosEx(JOYSTICKID1, &reading) != JOYERR_NOERROR) {
    TakePadAbsence(pad, now);
    return;
  }
  PressPadLanes(game, TakePadReading(pad, reading.dwButtons, reading.dwPOV), msSinceFrame);
}
