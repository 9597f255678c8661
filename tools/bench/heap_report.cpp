// The widget with a watcher beside it: every ten seconds it walks every heap
// of the process and writes the busy, free and committed bytes, and the busy
// blocks by size, to heap_NNN.txt in the working directory. scripts/soak
// --heap runs it, so that growth of the widget's own allocations can be told
// from growth outside its heaps.
#include <windows.h>

#include <cstdio>
#include <map>

#include "app/application.h"

namespace {

const DWORD kSnapshotMs = 10000;
const DWORD kMaxHeaps = 64;

struct HeapSnapshot {
  long long busyBytes = 0, busyBlocks = 0, freeBytes = 0, committedBytes = 0;
  std::map<size_t, long> blocksBySize;
};

void Walk(HANDLE heap, HeapSnapshot& snapshot) {
  PROCESS_HEAP_ENTRY entry = {};
  HeapLock(heap);
  while (HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_REGION)
      snapshot.committedBytes += entry.Region.dwCommittedSize;
    else if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
      snapshot.busyBytes += entry.cbData;
      ++snapshot.busyBlocks;
      ++snapshot.blocksBySize[entry.cbData];
    } else if (!(entry.wFlags & PROCESS_HEAP_UNCOMMITTED_RANGE)) {
      snapshot.freeBytes += entry.cbData;
    }
  }
  HeapUnlock(heap);
}

void Write(int number, const HeapSnapshot& s) {
  char name[32];
  std::snprintf(name, sizeof name, "heap_%03d.txt", number);
  FILE* file = std::fopen(name, "w");
  if (!file) return;
  std::fprintf(file, "busy %lld bytes in %lld blocks, free %lld, committed %lld\n", s.busyBytes,
               s.busyBlocks, s.freeBytes, s.committedBytes);
  for (const auto& size : s.blocksBySize) std::fprintf(file, "%zu %ld\n", size.first, size.second);
  std::fclose(file);
}

DWORD WINAPI WatchHeaps(void*) {
  for (int number = 0;; ++number) {
    Sleep(kSnapshotMs);
    HANDLE heaps[kMaxHeaps];
    const DWORD count = GetProcessHeaps(kMaxHeaps, heaps);
    HeapSnapshot snapshot;
    for (DWORD i = 0; i < count && i < kMaxHeaps; ++i) Walk(heaps[i], snapshot);
    Write(number, snapshot);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CreateThread(nullptr, 0, WatchHeaps, nullptr, 0, nullptr);
  StartWidget();
}
