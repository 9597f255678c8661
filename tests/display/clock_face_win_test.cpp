#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "display/clock_face.h"
#include "display/images.h"
#include "display/layered.h"
#include "services/widget_numbers.h"
#include "services/dates.h"
#include "services/windows.h"
#include "tests/support/png_maker.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/test_clock.h"

namespace {

const int kCellLeft[4] = {37, 90, 165, 217};
const int kDigitWidth = 48;
const int kDigitHeight = 83;

// Digit n is a solid colour of its own (0x00RRGGBB).
uint32_t DigitColour(int digit) {
  return 0x101010u * static_cast<uint32_t>(digit + 1) + 0x400000u;
}

// A picture whose every pixel differs: colour from the position, alpha
// varying too, so any blending or premultiplying shows.
uint32_t PatternPixel(int x, int y) {
  const uint32_t alpha = static_cast<uint32_t>(40 + (x * 3 + y) % 200);
  return alpha << 24 | static_cast<uint32_t>(x * 5) << 16 | static_cast<uint32_t>(y * 3) << 8 |
         static_cast<uint32_t>((x + y) & 0xFF);
}

void LoadDigit(int digit, int width, int height, uint32_t (*pixel)(int, int, int)) {
  const std::string file = "Digits/" + std::to_string(digit) + ".png";
  WriteFileBytes(
      file, MakePng(RgbaPicture(width, height, [&](int x, int y) { return pixel(digit, x, y); })));
  ASSERT_NE(LoadImageSlot(kFirstDigitImage + digit, file.c_str()), nullptr) << file;
}

uint32_t Solid(int digit, int, int) {
  return 0xFF000000u | DigitColour(digit);
}
uint32_t Pattern(int, int x, int y) {
  return PatternPixel(x, y);
}

// The window's pixels as 0x00RRGGBB, read back from its device context.
std::vector<uint32_t> ReadWindow(int window, int x, int y, int width, int height) {
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  const HWND handle = WindowHandle(window);
  const HDC windowDc = GetDC(handle);
  const HDC memoryDc = CreateCompatibleDC(windowDc);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = SelectObject(memoryDc, bitmap);
  BitBlt(memoryDc, 0, 0, width, height, windowDc, x, y, SRCCOPY);
  GdiFlush();
  const uint32_t* source = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = source[i] & 0x00FFFFFFu;
  SelectObject(memoryDc, previous);
  DeleteObject(bitmap);
  DeleteDC(memoryDc);
  ReleaseDC(handle, windowDc);
  return pixels;
}

uint32_t PixelAt(int window, int x, int y) {
  return ReadWindow(window, x, y, 1, 1)[0];
}

// The digit each cell shows, by its colour; -1 when no digit colour is there.
std::vector<int> ShownDigits() {
  std::vector<int> shown;
  for (int left : kCellLeft) {
    const uint32_t colour = PixelAt(kClockOverlay, left + kDigitWidth / 2, kDigitHeight / 2);
    int digit = -1;
    for (int d = 0; d < 10; ++d)
      if (colour == DigitColour(d)) digit = d;
    shown.push_back(digit);
  }
  return shown;
}

class ClockFace : public ::testing::Test {
 protected:
  void SetUp() override {
    StartImageDecoders();
    SetDateSource(InjectedClock);
    for (int d = 0; d < 10; ++d) LoadDigit(d, kDigitWidth, kDigitHeight, Solid);
    // The overlay as start-up leaves it: presented once for its size, then
    // painted the ordinary way in colour-key mode.
    WriteFileBytes("Resources/base.png",
                   MakePng(RgbaPicture(300, 200, [](int, int) { return 0xFF204060u; })));
    ASSERT_NE(LoadImageSlot(kBaseImage, "Resources/base.png"), nullptr);
    ASSERT_TRUE(
        OpenWindowSlot(kClockOverlay, 200, 100, 0, 0, "Test", WS_POPUP | CreateHidden, nullptr));
    MakeLayered(WindowHandle(kClockOverlay));
    PresentLayered(WindowHandle(kClockOverlay), kBaseImage, 255);
    SwitchToColourKey(kClockOverlay);
    SetWindowHidden(kClockOverlay, 0);
    UpdateWindow(WindowHandle(kClockOverlay));
  }
  void TearDown() override {
    CloseAllWindowSlots();
    FreeAllImageSlots();
    SetDateSource(nullptr);
  }
  ScratchDir scratch_;
};

TEST_F(ClockFace, DrawsHoursAndMinutesFromTheDigitSlots) {
  timeOfDay = At(9, 5, 59);
  RedrawClock();
  EXPECT_EQ(ShownDigits(), (std::vector<int>{0, 9, 0, 5}));

  timeOfDay = At(23, 59, 0);
  RedrawClock();
  EXPECT_EQ(ShownDigits(), (std::vector<int>{2, 3, 5, 9}));

  timeOfDay = At(0, 0, 0);
  RedrawClock();
  EXPECT_EQ(ShownDigits(), (std::vector<int>{0, 0, 0, 0}));
}

TEST_F(ClockFace, LeavesTheGapBetweenHoursAndMinutesAlone) {
  const uint32_t before = PixelAt(kClockOverlay, 150, 40);
  timeOfDay = At(12, 34, 0);
  RedrawClock();
  EXPECT_EQ(PixelAt(kClockOverlay, 150, 40), before);
  EXPECT_EQ(PixelAt(kClockOverlay, 37 + kDigitWidth, 40), before);  // just right of a cell
  EXPECT_EQ(PixelAt(kClockOverlay, 60, kDigitHeight), before);      // just below one
}

TEST_F(ClockFace, CopiesADigitOfTheCellSizePixelForPixel) {
  LoadDigit(7, kDigitWidth, kDigitHeight, Pattern);
  timeOfDay = At(7, 0, 0);  // 07:00: the pattern lands in the second cell
  RedrawClock();
  const std::vector<uint32_t> shown =
      ReadWindow(kClockOverlay, kCellLeft[1], 0, kDigitWidth, kDigitHeight);
  int wrong = 0;
  for (int y = 0; y < kDigitHeight; ++y)
    for (int x = 0; x < kDigitWidth; ++x)
      if (shown[y * kDigitWidth + x] != (PatternPixel(x, y) & 0x00FFFFFFu)) ++wrong;
  EXPECT_EQ(wrong, 0) << "pixels differing from the picture's colour bytes";
}

TEST_F(ClockFace, StretchesASmallerDigitOverTheWholeCell) {
  LoadDigit(3, 24, 40, Solid);
  timeOfDay = At(13, 33, 0);
  RedrawClock();
  for (int cell : {1, 2, 3}) {
    const int left = kCellLeft[cell];
    EXPECT_EQ(PixelAt(kClockOverlay, left, 0), DigitColour(3)) << cell;
    EXPECT_EQ(PixelAt(kClockOverlay, left + kDigitWidth - 1, kDigitHeight - 1), DigitColour(3))
        << cell;
  }
}

TEST_F(ClockFace, EmptyDigitSlotLeavesItsCellAsItWas) {
  timeOfDay = At(11, 11, 0);
  RedrawClock();
  FreeImageSlot(kFirstDigitImage + 2);
  timeOfDay = At(12, 22, 0);
  RedrawClock();
  EXPECT_EQ(ShownDigits(), (std::vector<int>{1, 1, 1, 1}));
}

}  // namespace
