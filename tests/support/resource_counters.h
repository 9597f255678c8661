#pragma once
// Counts of what a leak would pile up, for before-and-after comparisons in
// tests run under Wine, where GetGuiResources and GetProcessHandleCount are
// stubs that answer 0. Each counter here was seen to move (see
// tests/services/resource_counters_test.cpp); a test that relies on a flat
// line should still prove its counter moves first.

#include <windows.h>

struct ResourceCounts {
  long gdiObjects = 0;         // live entries of the process's GDI handle table
  long kernelHandles = 0;      // open kernel handles of this process
  long threadWindows = 0;      // windows of the calling thread, children included
  long long privateBytes = 0;  // anonymous memory of the process
};

long CountGdiObjects();
long CountKernelHandles();
long CountThreadWindows();
long long CountPrivateBytes();
ResourceCounts TakeResourceCounts();
