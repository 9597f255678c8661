#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/resource_counters.h"

// The leak tests trust these counters only because each one is seen to move
// by exactly what was made and to come back when it is released.

TEST(ResourceCounters, GdiObjectsCountEachBrushAndComeBack) {
  long before = CountGdiObjects();
  ASSERT_GT(before, 0);
  std::vector<HBRUSH> brushes;
  for (int i = 0; i < 25; ++i) brushes.push_back(CreateSolidBrush(RGB(i, 2 * i, 3 * i)));
  EXPECT_EQ(CountGdiObjects(), before + 25);
  for (HBRUSH brush : brushes) DeleteObject(brush);
  EXPECT_EQ(CountGdiObjects(), before);
}

TEST(ResourceCounters, KernelHandlesCountEachEventAndComeBack) {
  long before = CountKernelHandles();
  ASSERT_GT(before, 0);
  std::vector<HANDLE> events;
  for (int i = 0; i < 25; ++i) events.push_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  EXPECT_EQ(CountKernelHandles(), before + 25);
  for (HANDLE event : events) CloseHandle(event);
  EXPECT_EQ(CountKernelHandles(), before);
}

TEST(ResourceCounters, ThreadWindowsCountTopLevelAndChildWindows) {
  // The first window of a thread brings a helper window of the system along
  // while it lives; count from after it.
  HWND anchor =
      CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  long before = CountThreadWindows();
  HWND top =
      CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(top);
  HWND child =
      CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
  ASSERT_TRUE(child);
  EXPECT_EQ(CountThreadWindows(), before + 2);
  DestroyWindow(top);
  EXPECT_EQ(CountThreadWindows(), before);
  DestroyWindow(anchor);
}

TEST(ResourceCounters, PrivateBytesGrowWithTouchedMemory) {
  long long before = CountPrivateBytes();
  ASSERT_GT(before, 0);
  const SIZE_T size = 16 << 20;
  char* block =
      static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_TRUE(block);
  for (SIZE_T i = 0; i < size; i += 4096) block[i] = 1;
  EXPECT_GE(CountPrivateBytes(), before + static_cast<long long>(size) / 2);
  VirtualFree(block, 0, MEM_RELEASE);
}
