#include "display/font_slots.h"

#include <windows.h>

#include "services/slot_table.h"
#include "services/widget_scale.h"

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

HFONT StoreFont(int slot, HFONT font) {
  FontSlot* record = Fonts().Claim(slot);
  if (!record) {
    DeleteObject(font);
    return nullptr;
  }
  record->handle = font;
  return font;
}

const int kPointsPerInch = 72;
const int kGuiFontHeight = -11;  // DEFAULT_GUI_FONT at 96 DPI: 8 points

}  // namespace

HFONT LoadFontSlot(int slot, const char* face, int points) {
  FreeFontSlot(slot);
  if (slot < 0) return nullptr;
  // The widget's scale, not the system's: on a per-monitor screen the two differ.
  HFONT font = CreateFontA(-MulDiv(points, WidgetDpi(), kPointsPerInch), 0, 0, 0, FW_NORMAL, FALSE,
                           FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
  if (!font) return nullptr;
  return StoreFont(slot, font);
}

HFONT LoadGuiFontSlot(int slot) {
  FreeFontSlot(slot);
  LOGFONTA shape = {};
  if (slot < 0 || !GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof shape, &shape))
    return nullptr;
  // Windows keeps the stock font at its 96-DPI height whatever the DPI (Wine
  // scales it): start from that height, not from the stock font's own.
  shape.lfHeight = ScaledPixels(kGuiFontHeight, WidgetDpi());
  shape.lfWidth = 0;
  HFONT font = CreateFontIndirectA(&shape);
  return font ? StoreFont(slot, font) : nullptr;
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
