// flame_shared.cpp -- storage of the values shared with the flame thread.
#include "flame/flame_shared.h"

std::atomic<int32_t> FlameMood{kMoodCooling};
std::atomic<int32_t> flameStop{0};
