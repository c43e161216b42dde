// onset_picking.h -- the onsets of a song from its flux envelope, timed on the signal.
//
// A frame is an onset where its flux is the highest within 30 ms either
// side and stands out of the average around it (100 ms before, 70 ms
// after) by a share of the song's mean flux. The spectrum that shows an
// onset spans 46 ms, so its time is then refined on the signal: within the
// window, the attack is the block of kAttackBlock samples whose energy rises
// most over the blocks before it. Plain computation, any thread.
#pragma once

#include <vector>

#include "analysis/audio_analysis.h"

constexpr int kAttackBlock = 32;  // samples at kAnalysisRate: 1.45 ms

// `envelope`: one flux value every kEnvelopeHopMs from 0; `attackEnergy`:
// the signal's energy in blocks of kAttackBlock samples from 0.
std::vector<Onset> PickOnsets(const std::vector<float>& envelope, const std::vector<float>& attackEnergy);
