// Worker threads by number and the plain sleep.
#include <windows.h>

#include <new>
#include <vector>

#include "services/critical_section.h"
#include "services/threads.h"

namespace {

// The list of started threads has a lock of its own.
CriticalSection threadLock;

struct ThreadStart {
  ThreadProcedure procedure;
  int value;
};

DWORD WINAPI RunThread(LPVOID parameter) {
  ThreadStart start = *static_cast<ThreadStart*>(parameter);
  delete static_cast<ThreadStart*>(parameter);
  return static_cast<DWORD>(start.procedure(start.value));
}

const LPTHREAD_START_ROUTINE kRunThread = RunThread;

struct StartedThread {
  int number;
  HANDLE handle;
};
std::vector<StartedThread> threads;
int lastThreadNumber = 0;

// Under threadLock.
void CloseEndedThreads() {
  std::vector<StartedThread> running;
  for (const StartedThread& thread : threads) {
    if (WaitForSingleObject(thread.handle, 0) == WAIT_OBJECT_0)
      CloseHandle(thread.handle);
    else
      running.push_back(thread);
  }
  threads.swap(running);
}

}  // namespace

int StartThread(ThreadProcedure procedure, int value) {
  if (!procedure) return 0;
  ThreadStart* start = new (std::nothrow) ThreadStart{procedure, value};
  if (!start) return 0;
  DWORD threadId = 0;
  HANDLE handle = CreateThread(nullptr, 4096, kRunThread, start, 0, &threadId);
  if (!handle) {
    delete start;
    return 0;
  }
  Guard guard(threadLock);
  CloseEndedThreads();
  threads.push_back(StartedThread{++lastThreadNumber, handle});
  return lastThreadNumber;
}

void ReleaseThreadHandles() {
  Guard guard(threadLock);
  for (const StartedThread& thread : threads) CloseHandle(thread.handle);
  threads.clear();
}

void Delay(int milliseconds) {
  Sleep(milliseconds < 0 ? 0 : static_cast<DWORD>(milliseconds));
}
