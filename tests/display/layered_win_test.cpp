// Layered presentation under Wine on Xvfb with a compositing manager: what
// reaches the screen is read back pixel by pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "display/font_slots.h"
#include "display/images.h"
#include "display/layered.h"
#include "services/controls.h"
#include "services/windows.h"
#include "tests/support/png_maker.h"
#include "tests/support/resource_counters.h"
#include "tests/support/scratch_dir.h"

namespace {

const int kPlate = 41;
const int kLayered = 42;
const int kOverlay = 43;
const int kSecond = 44;
const int kText = 30;
const int kPicture = 12;
const int kEmpty = 13;
const int kPlateLeft = 200, kPlateTop = 200;
const COLORREF kPlateColour = RGB(0, 160, 0);

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

bool Near(COLORREF c, int r, int g, int b, int tolerance = 3) {
  return abs(GetRValue(c) - r) <= tolerance && abs(GetGValue(c) - g) <= tolerance &&
         abs(GetBValue(c) - b) <= tolerance;
}

std::string Describe(COLORREF c) {
  return "(" + std::to_string(GetRValue(c)) + "," + std::to_string(GetGValue(c)) + "," +
         std::to_string(GetBValue(c)) + ")";
}

// Lets the windows paint and the compositor catch up, until the pixel has
// the colour or a second has passed.
bool ScreenBecomes(int x, int y, int r, int g, int b, int tolerance = 3) {
  for (int i = 0; i < 50; ++i) {
    while (PollEvent()) {
    }
    if (Near(ScreenPixel(x, y), r, g, b, tolerance)) return true;
    Sleep(20);
  }
  return false;
}

SIZE WindowSize(int number) {
  RECT r = {};
  GetWindowRect(WindowHandle(number), &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

class Layered : public ::testing::Test {
 protected:
  void SetUp() override {
    StartImageDecoders();
    // Left half opaque red, right half blue at alpha 128.
    WriteFileBytes("picture.png", MakePng(RgbaPicture(40, 20, [](int x, int) {
                     return x < 20 ? 0xFFFF0000u : 0x800000FFu;
                   })));
    ASSERT_NE(LoadImageSlot(kPicture, "picture.png"), nullptr);
    ASSERT_TRUE(OpenWindowSlot(kPlate, kPlateLeft, kPlateTop, 220, 160, "", WS_POPUP | CreateHidden,
                               nullptr));
    SetWindowBackground(kPlate, MakeColour(0, 160, 0));
    SetWindowHidden(kPlate, 0);
  }
  void TearDown() override {
    CloseAllWindowSlots();
    FreeAllImageSlots();
    FreeAllFontSlots();
  }
  // A hidden borderless layered popup over the plate, 10 x 10 until presented.
  HWND OpenLayered(int number, int x, int y) {
    EXPECT_TRUE(
        OpenWindowSlot(number, x, y, 10, 10, "", WS_POPUP | CreateHidden, WindowHandle(kPlate)));
    HWND window = WindowHandle(number);
    EXPECT_EQ(MakeLayered(window), 0);
    return window;
  }
  ScratchDir scratch_;
};

TEST_F(Layered, MakeLayeredAddsOnlyTheLayeredStyle) {
  ASSERT_TRUE(OpenWindowSlot(kLayered, 0, 0, 10, 10, "", WS_POPUP | CreateHidden, nullptr));
  HWND window = WindowHandle(kLayered);
  SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
  const LONG before = GetWindowLongA(window, GWL_EXSTYLE);
  EXPECT_EQ(MakeLayered(window), 0);
  EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE), before | WS_EX_LAYERED);
}

TEST_F(Layered, PresentedPictureIsBlendedPerPixelOverWhatLiesBeneath) {
  HWND window = OpenLayered(kLayered, 220, 220);
  ASSERT_TRUE(PresentLayered(window, kPicture, 255));
  SetWindowHidden(kLayered, 0);
  // The window took the picture's size and kept its place.
  EXPECT_EQ(WindowSize(kLayered).cx, 40);
  EXPECT_EQ(WindowSize(kLayered).cy, 20);
  EXPECT_EQ(WindowLeft(kLayered), 220);
  EXPECT_EQ(WindowTop(kLayered), 220);
  EXPECT_TRUE(ScreenBecomes(225, 225, 255, 0, 0)) << Describe(ScreenPixel(225, 225));
  // Blue at 128 over the green plate: 128 + 0, 0 + 160 * 127 / 255.
  EXPECT_TRUE(ScreenBecomes(250, 225, 0, 80, 128)) << Describe(ScreenPixel(250, 225));
  // Beside the window the plate is untouched.
  EXPECT_TRUE(Near(ScreenPixel(262, 225), 0, 160, 0)) << Describe(ScreenPixel(262, 225));
}

TEST_F(Layered, ConstantAlphaScalesEvenOpaquePixels) {
  HWND window = OpenLayered(kLayered, 220, 220);
  ASSERT_TRUE(PresentLayered(window, kPicture, 220));
  SetWindowHidden(kLayered, 0);
  // Red at 220/255 over green: 220, 160 * 35 / 255, 0.
  EXPECT_TRUE(ScreenBecomes(225, 225, 220, 22, 0)) << Describe(ScreenPixel(225, 225));
}

TEST_F(Layered, PresentingLeavesTheSlotsPixelsAloneAndRepeatsExactly) {
  DIBSECTION section = {};
  ASSERT_EQ(GetObjectA(ImageSlotHandle(kPicture), sizeof section, &section),
            static_cast<int>(sizeof section));
  const uint8_t* bits = static_cast<const uint8_t*>(section.dsBm.bmBits);
  const std::vector<uint8_t> before(bits, bits + section.dsBm.bmWidthBytes * section.dsBm.bmHeight);

  HWND first = OpenLayered(kLayered, 220, 220);
  HWND second = OpenLayered(kSecond, 220, 250);
  ASSERT_TRUE(PresentLayered(first, kPicture, 255));
  ASSERT_TRUE(PresentLayered(second, kPicture, 255));
  ASSERT_TRUE(PresentLayered(second, kPicture, 255));
  EXPECT_EQ(std::vector<uint8_t>(bits, bits + before.size()), before);

  SetWindowHidden(kLayered, 0);
  SetWindowHidden(kSecond, 0);
  ASSERT_TRUE(ScreenBecomes(250, 255, 0, 80, 128)) << Describe(ScreenPixel(250, 255));
  for (int x = 220; x < 260; x += 3) EXPECT_EQ(ScreenPixel(x, 225), ScreenPixel(x, 255)) << x;
}

TEST_F(Layered, AnEmptySlotLeavesTheWindowAsItWas) {
  HWND window = OpenLayered(kLayered, 220, 220);
  ASSERT_TRUE(PresentLayered(window, kPicture, 255));
  EXPECT_FALSE(PresentLayered(window, kEmpty, 255));
  EXPECT_FALSE(PresentLayered(window, 9999, 255));
  EXPECT_FALSE(PresentLayered(nullptr, kPicture, 255));
  EXPECT_EQ(WindowSize(kLayered).cx, 40);
  EXPECT_EQ(WindowSize(kLayered).cy, 20);
  SetWindowHidden(kLayered, 0);
  EXPECT_TRUE(ScreenBecomes(225, 225, 255, 0, 0)) << Describe(ScreenPixel(225, 225));
}

TEST_F(Layered, PresentingLeavesNoGdiObjectsBehind) {
  HWND window = OpenLayered(kLayered, 220, 220);
  PresentLayered(window, kPicture, 255);
  const long before = CountGdiObjects();
  for (int i = 0; i < 25; ++i) PresentLayered(window, kPicture, 200);
  EXPECT_EQ(CountGdiObjects(), before);
}

TEST_F(Layered, ColourKeyOverlayShowsItsWhiteTextAndLetsThePlateThrough) {
  WriteFileBytes("overlay.png",
                 MakePng(RgbaPicture(180, 60, [](int, int) { return 0xFF102030u; })));
  ASSERT_NE(LoadImageSlot(kPicture + 1, "overlay.png"), nullptr);
  ASSERT_TRUE(
      OpenWindowSlot(kOverlay, 220, 260, 0, 0, "", WS_POPUP | CreateHidden, WindowHandle(kPlate)));
  HWND overlay = WindowHandle(kOverlay);
  MakeLayered(overlay);
  ASSERT_TRUE(PresentLayered(overlay, kPicture + 1, 255));
  ASSERT_TRUE(SwitchToColourKey(kOverlay));
  ASSERT_TRUE(CreateTextControl(kText, 5, 5, 170, 40, "Погода"));
  SetControlFont(kText, LoadFontSlot(86, "Tahoma", 22));
  SetControlColour(kText, ControlTextColour, MakeColour(255, 255, 255));
  SetControlColour(kText, ControlBackColour, KeyColour);
  SetWindowHidden(kOverlay, 0);

  // The overlay kept the presented size; its picture is no longer shown.
  EXPECT_EQ(WindowSize(kOverlay).cx, 180);
  EXPECT_EQ(WindowSize(kOverlay).cy, 60);
  EXPECT_TRUE(ScreenBecomes(220 + 178, 260 + 58, 0, 160, 0)) << Describe(ScreenPixel(398, 318));
  // Presentation is refused from now on.
  EXPECT_FALSE(PresentLayered(overlay, kPicture, 255));

  int white = 0, plate = 0, key = 0, other = 0;
  for (int y = 265; y < 305; ++y)
    for (int x = 225; x < 395; ++x) {
      const COLORREF c = ScreenPixel(x, y);
      if (c == RGB(255, 255, 255))
        ++white;
      else if (Near(c, 0, 160, 0, 0))
        ++plate;
      else if (c == static_cast<COLORREF>(KeyColour))
        ++key;
      else
        ++other;
    }
  EXPECT_GT(white, 60) << "the text is not drawn in white";
  EXPECT_GT(plate, 170 * 40 / 2) << "the key-coloured background is not see-through";
  EXPECT_EQ(key, 0) << "key-coloured pixels reached the screen";
  RecordProperty("textPixelsWhite", white);
  RecordProperty("textPixelsOther", other);
}

}  // namespace
