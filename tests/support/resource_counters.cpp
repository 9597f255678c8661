#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

#include "tests/support/resource_counters.h"

namespace {

// The GDI handle table the PEB points to: 0x10000 entries; an entry is live
// when its type byte is not 0. Layout of the x86_64 build, the one that runs.
#ifdef _WIN64
const size_t kPebGdiTableOffset = 0xF8;
#else
const size_t kPebGdiTableOffset = 0x94;
#endif
const size_t kGdiEntrySize = 24;
const size_t kGdiTypeOffset = 14;
const size_t kGdiEntries = 0x10000;

// SystemHandleInformation (class 16).
struct HandleEntry {
  USHORT processId;
  USHORT creatorBackTraceIndex;
  UCHAR objectType;
  UCHAR attributes;
  USHORT handle;
  PVOID object;
  ULONG grantedAccess;
};
struct HandleList {
  ULONG count;
  HandleEntry entries[1];
};
const SYSTEM_INFORMATION_CLASS kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
const NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

const uint8_t* GdiTable() {
  PROCESS_BASIC_INFORMATION basic = {};
  ULONG size = 0;
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic,
                                &size) != 0 ||
      !basic.PebBaseAddress)
    return nullptr;
  const uint8_t* peb = reinterpret_cast<const uint8_t*>(basic.PebBaseAddress);
  return *reinterpret_cast<const uint8_t* const*>(peb + kPebGdiTableOffset);
}

BOOL CALLBACK CountChild(HWND, LPARAM counter) {
  ++*reinterpret_cast<long*>(counter);
  return TRUE;
}

const WNDENUMPROC kCountChild = CountChild;

BOOL CALLBACK CountTopLevel(HWND window, LPARAM counter) {
  ++*reinterpret_cast<long*>(counter);
  EnumChildWindows(window, kCountChild, counter);
  return TRUE;
}

const WNDENUMPROC kCountTopLevel = CountTopLevel;

}  // namespace

long CountGdiObjects() {
  // The first screen DC of a process brings a dozen objects of the system's
  // that live until the process ends; count from after them, or a test's
  // first drawing would look like a leak.
  static const bool screenReady = [] {
    ReleaseDC(nullptr, GetDC(nullptr));
    return true;
  }();
  (void)screenReady;
  const uint8_t* table = GdiTable();
  if (!table) return -1;
  long live = 0;
  for (size_t i = 0; i < kGdiEntries; ++i)
    if (table[i * kGdiEntrySize + kGdiTypeOffset] != 0) ++live;
  return live;
}

long CountKernelHandles() {
  std::vector<uint8_t> buffer(1 << 16);
  for (int attempt = 0; attempt < 16; ++attempt) {
    ULONG needed = 0;
    NTSTATUS status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                               static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(needed > buffer.size() ? needed + 4096 : buffer.size() * 2);
      continue;
    }
    if (status != 0) return -1;
    const HandleList* list = reinterpret_cast<const HandleList*>(buffer.data());
    const USHORT self = static_cast<USHORT>(GetCurrentProcessId());
    long count = 0;
    for (ULONG i = 0; i < list->count; ++i)
      if (list->entries[i].processId == self) ++count;
    return count;
  }
  return -1;
}

long CountThreadWindows() {
  long count = 0;
  EnumThreadWindows(GetCurrentThreadId(), kCountTopLevel, reinterpret_cast<LPARAM>(&count));
  return count;
}

long long CountPrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1;
  return static_cast<long long>(counters.PagefileUsage);
}

ResourceCounts TakeResourceCounts() {
  ResourceCounts counts;
  counts.gdiObjects = CountGdiObjects();
  counts.kernelHandles = CountKernelHandles();
  counts.threadWindows = CountThreadWindows();
  counts.privateBytes = CountPrivateBytes();
  return counts;
}
