#include "display/font_slots.h"

#include <windows.h>

#include "services/slot_table.h"

namespace {

struct FontSlot {
  HFONT handle = nullptr;
};

void ReleaseFont(FontSlot& slot) {
  if (slot.handle) DeleteObject(slot.handle);
}

SlotTable<FontSlot, ReleaseFont, 16, 16>& Fonts() {
  static SlotTable<FontSlot, ReleaseFont, 16, 16> table;
  return table;
}

}  // namespace

HFONT LoadFontSlot(int slot, const char* face, int points) {
  FreeFontSlot(slot);
  if (slot < 0) return nullptr;
  HDC display = GetDC(nullptr);
  const int dpi = display ? GetDeviceCaps(display, LOGPIXELSY) : 96;
  if (display) ReleaseDC(nullptr, display);
  HFONT font = CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
  if (!font) return nullptr;
  FontSlot* record = Fonts().Claim(slot);
  record->handle = font;
  return font;
}

HFONT FontSlotHandle(int slot) {
  const FontSlot* record = Fonts().Find(slot);
  return record ? record->handle : nullptr;
}

void FreeFontSlot(int slot) {
  Fonts().Free(slot);
}

void FreeAllFontSlots() {
  Fonts().FreeAll();
}
