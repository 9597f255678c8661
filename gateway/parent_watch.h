#pragma once
// The process that started the gateway (the widget passes its id with
// --parent): the gateway ends soon after it, however it ended.

#include <cstdint>

struct ParentWatch {
  std::intptr_t handle = -1;  // a process handle or pidfd where the system has one
  long pid = 0;
  bool wasOurParent = false;
};

// False when no such process runs (it may have ended already).
bool WatchParent(long pid, ParentWatch& out);

// Cheap enough to ask between every wait of the accept loop.
bool ParentAlive(const ParentWatch& watch);
