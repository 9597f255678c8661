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

// One heap's own totals: a heap whose committed bytes far exceed its busy
// ones holds memory freed but not given back.
struct HeapTotals {
  const void* heap = nullptr;
  long long busyBytes = 0, freeBytes = 0, committedBytes = 0, largestFree = 0;
};

HeapTotals Walk(HANDLE heap, HeapSnapshot& snapshot) {
  HeapTotals totals;
  totals.heap = heap;
  PROCESS_HEAP_ENTRY entry = {};
  HeapLock(heap);
  while (HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_REGION) {
      totals.committedBytes += entry.Region.dwCommittedSize;
    } else if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
      totals.busyBytes += entry.cbData;
      ++snapshot.busyBlocks;
      ++snapshot.blocksBySize[entry.cbData];
    } else if (!(entry.wFlags & PROCESS_HEAP_UNCOMMITTED_RANGE)) {
      totals.freeBytes += entry.cbData;
      if (static_cast<long long>(entry.cbData) > totals.largestFree)
        totals.largestFree = entry.cbData;
    }
  }
  HeapUnlock(heap);
  snapshot.busyBytes += totals.busyBytes;
  snapshot.freeBytes += totals.freeBytes;
  snapshot.committedBytes += totals.committedBytes;
  return totals;
}

void Write(int number, const HeapSnapshot& s, const HeapTotals* heaps, DWORD count) {
  char name[32];
  std::snprintf(name, sizeof name, "heap_%03d.txt", number);
  FILE* file = std::fopen(name, "w");
  if (!file) return;
  std::fprintf(file, "busy %lld bytes in %lld blocks, free %lld, committed %lld\n", s.busyBytes,
               s.busyBlocks, s.freeBytes, s.committedBytes);
  for (DWORD i = 0; i < count; ++i)
    std::fprintf(file, "heap %p busy %lld free %lld committed %lld largest_free %lld\n",
                 heaps[i].heap, heaps[i].busyBytes, heaps[i].freeBytes, heaps[i].committedBytes,
                 heaps[i].largestFree);
  for (const auto& size : s.blocksBySize) std::fprintf(file, "%zu %ld\n", size.first, size.second);
  std::fclose(file);
}

DWORD WINAPI WatchHeaps(void*) {
  for (int number = 0;; ++number) {
    Sleep(kSnapshotMs);
    HANDLE heaps[kMaxHeaps];
    const DWORD count = GetProcessHeaps(kMaxHeaps, heaps);
    HeapSnapshot snapshot;
    HeapTotals totals[kMaxHeaps];
    const DWORD walked = count < kMaxHeaps ? count : kMaxHeaps;
    for (DWORD i = 0; i < walked; ++i) totals[i] = Walk(heaps[i], snapshot);
    Write(number, snapshot, totals, walked);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  CreateThread(nullptr, 0, WatchHeaps, nullptr, 0, nullptr);
  StartWidget();
}
