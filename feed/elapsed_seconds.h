#pragma once
// A wait measured on the wall clock the widget reads.

#include <cstdint>

// Whole seconds of a clock that may jump: only forward steps count, so a
// wall clock set back (the end of summer time) cannot stretch a wait.
struct ElapsedSeconds {
  int64_t last = 0;
  int64_t total = 0;
};
void StartElapsed(ElapsedSeconds* elapsed, int64_t now);
int64_t UpdateElapsed(ElapsedSeconds* elapsed, int64_t now);
