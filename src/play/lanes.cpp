// lanes.cpp -- lane state and the rules that spawn, judge, retire and move arrows.
#include "play/lanes.h"

int32_t combo = 0;
