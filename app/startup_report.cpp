#include <windows.h>

#include "app/startup_report.h"

#include <cstdio>

#include "display/images.h"
#include "services/widget_numbers.h"
#include "services/windows.h"

namespace {

const char kReportVariable[] = "NIMBREL_STARTUP_REPORT";
const int kMaxSteps = 32;
const int kLayeredSurfaceBytesPerPixel = 4;

struct Step {
  const char* name;
  LARGE_INTEGER at;
};

Step steps[kMaxSteps];
int stepCount = 0;
bool written = false;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

long long DecodedPictureBytes() {
  long long bytes = 0;
  for (int slot = 0; slot <= kTrayIconImage; ++slot)
    bytes += static_cast<long long>(ImageSlotWidth(slot)) * ImageSlotHeight(slot) *
             ImageSlotDepth(slot) / 8;
  return bytes;
}

// What the system keeps for each shown layered window: its surface.
long long LayeredSurfaceBytes() {
  long long bytes = 0;
  for (int window = kMainWindow; window <= kNightIconWindow; ++window) {
    HWND handle = WindowHandle(window);
    RECT r;
    if (!handle || !(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_LAYERED) ||
        !GetWindowRect(handle, &r))
      continue;
    bytes += static_cast<long long>(r.right - r.left) * (r.bottom - r.top) *
             kLayeredSurfaceBytesPerPixel;
  }
  return bytes;
}

long long HeapBusyBytes() {
  long long bytes = 0;
  HANDLE heaps[64];
  const DWORD count = GetProcessHeaps(64, heaps);
  for (DWORD i = 0; i < count && i < 64; ++i) {
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(heaps[i]);
    while (HeapWalk(heaps[i], &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
    HeapUnlock(heaps[i]);
  }
  return bytes;
}

}  // namespace

void MarkStartupStep(const char* step) {
  if (stepCount == kMaxSteps) return;
  steps[stepCount].name = step;
  QueryPerformanceCounter(&steps[stepCount].at);
  ++stepCount;
}

void WriteStartupReport() {
  char path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA(kReportVariable, path, sizeof path);
  if (written || length == 0 || length >= sizeof path || stepCount == 0) return;
  written = true;
  FILE* file = std::fopen(path, "w");
  if (!file) return;
  for (int i = 0; i < stepCount; ++i)
    std::fprintf(file, "step %s %.2f\n", steps[i].name, Milliseconds(steps[0].at, steps[i].at));
  std::fprintf(file, "memory decoded_pictures %lld\n", DecodedPictureBytes());
  std::fprintf(file, "memory layered_surfaces %lld\n", LayeredSurfaceBytes());
  std::fprintf(file, "memory heap_busy %lld\n", HeapBusyBytes());
  std::fclose(file);
}
