#include <windows.h>

#include "services/windows.h"
#include "tests/support/event_waits.h"

namespace {

void IdleBriefly() {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
}

}  // namespace

bool AwaitEvent(int wanted, int limitMs) {
  DWORD start = GetTickCount();
  while (static_cast<int>(GetTickCount() - start) < limitMs) {
    int event = PollEvent();
    if (event == wanted) return true;
    if (event == 0) IdleBriefly();
  }
  return false;
}

std::vector<int> CollectEvents(int limitMs) {
  std::vector<int> events;
  DWORD start = GetTickCount();
  while (static_cast<int>(GetTickCount() - start) < limitMs) {
    int event = PollEvent();
    if (event)
      events.push_back(event);
    else
      IdleBriefly();
  }
  return events;
}

void DrainEvents() {
  for (int i = 0; i < 10000 && PollEvent() != 0; ++i) {
  }
}
