// fuzz_check.h -- what a fuzz target asserts: a broken rule stops the run as a crash.
#pragma once

inline void Check(bool holds) {
  if (!holds) __builtin_trap();
}
