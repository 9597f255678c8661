#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

#include "tests/support/resource_counters.h"

namespace {

// The GDI handle table the PEB points to: 0x10000 entries of the same layout
// in 32- and 64-bit processes; an entry is live when its type byte is not 0.
#ifdef _WIN64
const size_t kPebGdiTableOffset = 0xF8;
#else
const size_t kPebGdiTableOffset = 0x94;
// A 32-bit process under WoW64 has a 64-bit TEB and PEB beside its own, and
// Wine keeps the table's address only in the 64-bit PEB.
const size_t kTebWowTebOffset = 0xFDC;
const size_t kTeb64PebOffset = 0x60;
const size_t kPeb64GdiTableOffset = 0xF8;
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

#ifndef _WIN64
// A 64-bit address as a pointer, when a 32-bit process can reach it.
const uint8_t* LowAddress(uint64_t address) {
  return address > UINT32_MAX ? nullptr
                              : reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(address));
}

const uint8_t* Wow64GdiTable() {
  // The TEB's own address, at fs:0x18; GCC 12 warns falsely on NtCurrentTeb().
  const uint8_t* teb = nullptr;
  __asm__("movl %%fs:0x18, %0" : "=r"(teb));
  const LONG toTeb64 = *reinterpret_cast<const LONG*>(teb + kTebWowTebOffset);
  if (toTeb64 == 0) return nullptr;
  const uint8_t* peb64 =
      LowAddress(*reinterpret_cast<const uint64_t*>(teb + toTeb64 + kTeb64PebOffset));
  if (!peb64) return nullptr;
  return LowAddress(*reinterpret_cast<const uint64_t*>(peb64 + kPeb64GdiTableOffset));
}
#endif

const uint8_t* GdiTable() {
  PROCESS_BASIC_INFORMATION basic = {};
  ULONG size = 0;
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic,
                                &size) != 0 ||
      !basic.PebBaseAddress)
    return nullptr;
  const uint8_t* peb = reinterpret_cast<const uint8_t*>(basic.PebBaseAddress);
  const uint8_t* table = *reinterpret_cast<const uint8_t* const*>(peb + kPebGdiTableOffset);
#ifndef _WIN64
  if (!table) table = Wow64GdiTable();
#endif
  return table;
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
