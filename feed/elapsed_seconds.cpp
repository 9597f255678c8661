#include "feed/elapsed_seconds.h"

void StartElapsed(ElapsedSeconds* elapsed, int64_t now) {
  elapsed->last = now;
  elapsed->total = 0;
}

int64_t UpdateElapsed(ElapsedSeconds* elapsed, int64_t now) {
  if (now > elapsed->last) elapsed->total += now - elapsed->last;
  elapsed->last = now;
  return elapsed->total;
}
