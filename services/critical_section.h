#pragma once
// A critical section that is ready before main and never deleted (threads may
// still hold it while the process ends), and a scope that holds it.

#include <windows.h>

class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  CRITICAL_SECTION* get() { return &section_; }

 private:
  CRITICAL_SECTION section_;
};

struct Guard {
  explicit Guard(CriticalSection& lock) : lock_(lock.get()) { EnterCriticalSection(lock_); }
  ~Guard() { LeaveCriticalSection(lock_); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  CRITICAL_SECTION* lock_;
};
