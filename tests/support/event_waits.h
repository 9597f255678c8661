#pragma once
// Bounded waits for the window services' events, so that a test that misses
// an event fails instead of hanging in WaitEvent.

#include <vector>

// Polls the calling thread's events until `wanted` comes; false when it has
// not come within the limit. Other events are passed over.
bool AwaitEvent(int wanted, int limitMs = 2000);
// Every non-zero event that comes within the limit, in order.
std::vector<int> CollectEvents(int limitMs);
// Takes whatever events are waiting now.
void DrainEvents();
