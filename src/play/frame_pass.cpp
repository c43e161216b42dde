// frame_pass.cpp -- counters of the frame pass.
#include "play/frame_pass.h"

int32_t beatPulse = 0;
int32_t frameCounter = 0;
int32_t frameInterval = 0;
