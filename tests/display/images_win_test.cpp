// The image store under Wine: loading files and memory blocks into slots,
// freeing, drawing onto a window, and fonts.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "display/font_slots.h"
#include "display/drawing_surface.h"
#include "display/images.h"
#include "display/png_decoder.h"
#include "display/stored_icon.h"
#include "services/windows.h"
#include "tests/support/png_maker.h"
#include "tests/support/resource_counters.h"
#include "tests/support/scratch_dir.h"

namespace {

const int kSlot = 5;
const int kWindow = 40;

class ImageSlots : public ::testing::Test {
 protected:
  void SetUp() override { StartImageDecoders(); }
  void TearDown() override {
    FreeAllImageSlots();
    FreeAllFontSlots();
    CloseAllWindowSlots();
  }
  ScratchDir scratch_;
};

// Pixel (x, y) counted from the picture's top, read from the section's
// bottom-up rows.
uint32_t SectionPixel(HANDLE bitmap, int x, int y) {
  DIBSECTION section = {};
  if (GetObjectA(bitmap, sizeof section, &section) != sizeof section) return 0xDEADBEEF;
  const BITMAP& bm = section.dsBm;
  const uint8_t* row =
      static_cast<const uint8_t*>(bm.bmBits) + (bm.bmHeight - 1 - y) * bm.bmWidthBytes;
  uint32_t value = 0;
  memcpy(&value, row + x * (bm.bmBitsPixel / 8), bm.bmBitsPixel / 8);
  return value;
}

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

std::string TestPicture() {
  return MakePng(RgbaPicture(3, 2, [](int x, int y) {
    return x == 0 && y == 0 ? 0x80C86432u : 0xFF000000u | static_cast<uint32_t>(x * 16 + y);
  }));
}

TEST_F(ImageSlots, RgbaPngLoadsAsA32BitSectionWithStraightAlpha) {
  WriteFileBytes("rgba.png", TestPicture());
  HANDLE image = LoadImageSlot(kSlot, "rgba.png");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImageSlotHandle(kSlot), image);
  EXPECT_EQ(ImageSlotWidth(kSlot), 3);
  EXPECT_EQ(ImageSlotHeight(kSlot), 2);
  EXPECT_EQ(ImageSlotDepth(kSlot), 32);
  EXPECT_EQ(SectionPixel(image, 0, 0), 0x80C86432u);
  EXPECT_EQ(SectionPixel(image, 2, 1), 0xFF000021u);
}

TEST_F(ImageSlots, DepthFollowsTheDecodedColourType) {
  PngPicture rgb;
  rgb.width = 2;
  rgb.colourType = 2;
  rgb.rows = {1, 2, 3, 4, 5, 6};
  WriteFileBytes("rgb.png", MakePng(rgb));
  HANDLE image = LoadImageSlot(kSlot, "rgb.png");
  EXPECT_EQ(ImageSlotDepth(kSlot), 24);
  EXPECT_EQ(SectionPixel(image, 1, 0), 0x040506u);

  PngPicture grey;
  grey.colourType = 0;
  grey.rows = {77};
  WriteFileBytes("grey.png", MakePng(grey));
  image = LoadImageSlot(kSlot + 1, "grey.png");
  EXPECT_EQ(ImageSlotDepth(kSlot + 1), 24);
  EXPECT_EQ(SectionPixel(image, 0, 0), 0x4D4D4Du);

  PngPicture palette;
  palette.colourType = 3;
  palette.palette = {10, 20, 30};
  palette.alphas = {0};
  palette.rows = {0};
  WriteFileBytes("palette.png", MakePng(palette));
  image = LoadImageSlot(kSlot + 2, "palette.png");
  EXPECT_EQ(ImageSlotDepth(kSlot + 2), 32);
  EXPECT_EQ(SectionPixel(image, 0, 0), 0x000A141Eu);
}

TEST_F(ImageSlots, AMissingFileEmptiesALoadedSlotAndReloadingFreesTheOldBitmap) {
  WriteFileBytes("a.png", TestPicture());
  HANDLE first = LoadImageSlot(kSlot, "a.png");
  ASSERT_NE(first, nullptr);
  HANDLE second = LoadImageSlot(kSlot, "a.png");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetObjectType(first), 0u) << "the first bitmap was not deleted";

  EXPECT_EQ(LoadImageSlot(kSlot, "missing.png"), nullptr);
  EXPECT_EQ(ImageSlotHandle(kSlot), nullptr);
  EXPECT_EQ(ImageSlotWidth(kSlot), 0);
  EXPECT_EQ(ImageSlotHeight(kSlot), 0);
  EXPECT_EQ(GetObjectType(second), 0u);

  // Numbers never loaded, negative or far beyond the table read as empty.
  EXPECT_EQ(ImageSlotHandle(500), nullptr);
  EXPECT_EQ(ImageSlotWidth(-1), 0);
  EXPECT_EQ(LoadImageSlot(-1, "a.png"), nullptr);
  // The table grows for a far number.
  EXPECT_NE(LoadImageSlot(300, "a.png"), nullptr);
  EXPECT_EQ(ImageSlotWidth(300), 3);
}

TEST_F(ImageSlots, PathsWithForwardSlashesAndNoDecoderForText) {
  CreateDirectoryA("Digits", nullptr);
  WriteFileBytes("Digits/7.png", TestPicture());
  EXPECT_NE(LoadImageSlot(7, "Digits/7.png"), nullptr);
  WriteFileBytes("notes.png", "just some text, not a picture");
  EXPECT_EQ(LoadImageSlot(7, "notes.png"), nullptr);
  EXPECT_EQ(ImageSlotHandle(7), nullptr);
}

TEST_F(ImageSlots, DamagedDataKeepsTheDeclaredSizeAndTheRowsBeforeTheBreak) {
  const std::string whole = MakePng(RgbaPicture(64, 64, [](int x, int y) {
    uint32_t h = static_cast<uint32_t>(x * 7919 + y * 104729);
    h ^= h >> 7;
    h *= 2654435761u;
    return 0xFF000000u | (h >> 8);
  }));
  WriteFileBytes("cut.png", whole.substr(0, whole.size() / 2));
  HANDLE image = LoadImageSlot(kSlot, "cut.png");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImageSlotWidth(kSlot), 64);
  EXPECT_EQ(ImageSlotHeight(kSlot), 64);
  EXPECT_EQ(SectionPixel(image, 5, 0) >> 24, 0xFFu);  // the top row arrived
  EXPECT_EQ(SectionPixel(image, 5, 63), 0u);          // the bottom row did not
}

TEST_F(ImageSlots, PicturesTooLargeForTheSlotFailCleanly) {
  std::string png = TestPicture();
  // Declare 40000 x 2: beyond the slot's signed 16-bit width.
  const uint32_t width = 40000;
  for (int i = 0; i < 4; ++i) png[16 + i] = static_cast<char>(width >> (24 - 8 * i));
  WriteFileBytes("wide.png", png);  // checksum now wrong as well: either way refused
  EXPECT_EQ(LoadImageSlot(kSlot, "wide.png"), nullptr);
  EXPECT_EQ(ImageSlotWidth(kSlot), 0);

  // A bitmap file claiming 100000 x 100000 pixels held in 60 bytes.
  std::string bmp(60, '\0');
  bmp[0] = 'B';
  bmp[1] = 'M';
  auto put = [&bmp](size_t at, uint32_t v) { memcpy(&bmp[at], &v, 4); };
  put(10, 54);
  put(14, 40);
  put(18, 100000);
  put(22, 100000);
  bmp[26] = 1;
  bmp[28] = 32;
  EXPECT_EQ(CatchImageSlot(kSlot, Bytes(bmp), bmp.size()), nullptr);
  put(18, 2);
  put(22, 2);  // plausible size, but 16 bytes of pixels need 70 bytes in all
  EXPECT_EQ(CatchImageSlot(kSlot, Bytes(bmp), bmp.size()), nullptr);
  EXPECT_EQ(ImageSlotHandle(kSlot), nullptr);
}

TEST_F(ImageSlots, BitmapFileImageInMemoryGetsOpaqueAlphaWhenItHasNone) {
  std::string bmp(54 + 2 * 2 * 4, '\0');
  bmp[0] = 'B';
  bmp[1] = 'M';
  auto put = [&bmp](size_t at, uint32_t v) { memcpy(&bmp[at], &v, 4); };
  put(10, 54);
  put(14, 40);
  put(18, 2);
  put(22, 2);
  bmp[26] = 1;
  bmp[28] = 32;
  put(54, 0x00112233);  // bottom-left
  put(66, 0x00445566);  // top-right
  HANDLE image = CatchImageSlot(kSlot, Bytes(bmp), bmp.size());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(ImageSlotDepth(kSlot), 32);
  EXPECT_EQ(SectionPixel(image, 0, 1), 0xFF112233u);
  EXPECT_EQ(SectionPixel(image, 1, 0), 0xFF445566u);

  put(54, 0x80112233);  // one pixel uses alpha: all alpha stays as given
  image = CatchImageSlot(kSlot, Bytes(bmp), bmp.size());
  EXPECT_EQ(SectionPixel(image, 0, 1), 0x80112233u);
  EXPECT_EQ(SectionPixel(image, 1, 0), 0x00445566u);
}

TEST_F(ImageSlots, MemoryBlocksGoToTheDecoders) {
  const std::string png = TestPicture();
  HANDLE image = CatchImageSlot(kSlot, Bytes(png), png.size());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(SectionPixel(image, 0, 0), 0x80C86432u);
  EXPECT_EQ(CatchImageSlot(kSlot, Bytes(png), 5), nullptr);
}

TEST_F(ImageSlots, TheStoredIconGivesItsThirtyTwoPixelThirtyTwoBitImage) {
  HANDLE icon = CatchImageSlot(90, StoredIconBytes(), StoredIconSize());
  ASSERT_NE(icon, nullptr);
  EXPECT_NE(GetObjectType(icon), static_cast<DWORD>(OBJ_BITMAP));
  EXPECT_EQ(ImageSlotWidth(90), 32);
  EXPECT_EQ(ImageSlotHeight(90), 32);
  EXPECT_EQ(ImageSlotDepth(90), 32);
  ICONINFO parts = {};
  ASSERT_TRUE(GetIconInfo(static_cast<HICON>(icon), &parts));
  DeleteObject(parts.hbmColor);
  DeleteObject(parts.hbmMask);
  FreeImageSlot(90);
  EXPECT_EQ(ImageSlotHandle(90), nullptr);

  // The same file on disk goes through the platform's icon loader.
  WriteFileBytes("tray.ico",
                 std::string(reinterpret_cast<const char*>(StoredIconBytes()), StoredIconSize()));
  EXPECT_NE(LoadImageSlot(90, "tray.ico"), nullptr);
  EXPECT_EQ(ImageSlotWidth(90), 32);
}

TEST_F(ImageSlots, IconFilesPointingOutsideTheirBytesAreRefused) {
  std::string icon(reinterpret_cast<const char*>(StoredIconBytes()), StoredIconSize());
  std::string cut = icon.substr(0, 6 + 9 * 16 + 100);  // directory whole, images gone
  EXPECT_EQ(CatchImageSlot(90, Bytes(cut), cut.size()), nullptr);
  std::string lying = icon;
  lying[4] = 100;  // a hundred entries claimed, nine present... and far past the end
  lying[5] = 10;
  EXPECT_EQ(CatchImageSlot(90, Bytes(lying), lying.size()), nullptr);
  EXPECT_EQ(ImageSlotHandle(90), nullptr);
}

TEST_F(ImageSlots, LoadingAndFreeingLeavesNoGdiObjectsBehind) {
  WriteFileBytes("a.png", TestPicture());
  // The first load and icon of a process make GDI's own lasting objects.
  LoadImageSlot(kSlot, "a.png");
  CatchImageSlot(90, StoredIconBytes(), StoredIconSize());
  FreeAllImageSlots();
  const long before = CountGdiObjects();
  for (int i = 0; i < 25; ++i) LoadImageSlot(kSlot + i, "a.png");
  EXPECT_EQ(CountGdiObjects(), before + 25);  // the counter sees the bitmaps
  for (int i = 0; i < 25; ++i) {
    LoadImageSlot(kSlot + i, "a.png");
    CatchImageSlot(90, StoredIconBytes(), StoredIconSize());
  }
  FreeAllImageSlots();
  EXPECT_EQ(CountGdiObjects(), before);
}

// --- Drawing ---------------------------------------------------------------

class Drawing : public ImageSlots {
 protected:
  void SetUp() override {
    ImageSlots::SetUp();
    ASSERT_TRUE(OpenWindowSlot(kWindow, 20, 20, 120, 100, "", WS_POPUP, nullptr));
    SetWindowBackground(kWindow, MakeColour(0, 0, 0));
    UpdateWindow(WindowHandle(kWindow));
  }
  // The window's client pixels as 0x00RRGGBB values.
  COLORREF ClientPixel(int x, int y) {
    HDC dc = GetDC(WindowHandle(kWindow));
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(WindowHandle(kWindow), dc);
    return c;
  }
};

TEST_F(Drawing, SameSizeCopiesPixelForPixelIgnoringAlpha) {
  WriteFileBytes("card.png", MakePng(RgbaPicture(48, 83, [](int x, int y) {
                   return (x + y) % 2 ? 0x00FF0000u : 0x800000FFu | static_cast<uint32_t>(x) << 8;
                 })));
  HANDLE card = LoadImageSlot(kSlot, "card.png");
  ASSERT_TRUE(BeginWindowDrawing(kWindow));
  DrawImageScaled(card, 10, 5, 48, 83);
  EndDrawing();
  // Transparent red stays red; half-transparent blue stays plain blue.
  EXPECT_EQ(ClientPixel(11, 5), RGB(255, 0, 0));
  EXPECT_EQ(ClientPixel(10, 5), RGB(0, 0, 255));
  EXPECT_EQ(ClientPixel(10 + 46, 5 + 82), RGB(0, 46, 255));
  EXPECT_EQ(ClientPixel(9, 5), RGB(0, 0, 0));
  EXPECT_EQ(ClientPixel(10 + 48, 5), RGB(0, 0, 0));
}

TEST_F(Drawing, OtherSizesStretchAndEmptyOrZeroSizedDrawsNothing) {
  WriteFileBytes("small.png", MakePng(RgbaPicture(24, 40, [](int, int) { return 0xFF20C040u; })));
  HANDLE small = LoadImageSlot(kSlot, "small.png");
  ASSERT_TRUE(BeginWindowDrawing(kWindow));
  DrawImageScaled(small, 0, 0, 48, 83);
  DrawImageScaled(small, 60, 0, 0, 83);
  DrawImageScaled(small, 60, 0, 48, -1);
  DrawImageScaled(nullptr, 60, 0, 48, 83);
  EndDrawing();
  DrawImageScaled(small, 60, 0, 48, 83);  // no surface open
  EXPECT_EQ(ClientPixel(47, 82), RGB(0x20, 0xC0, 0x40));
  EXPECT_EQ(ClientPixel(48, 83), RGB(0, 0, 0));
  EXPECT_EQ(ClientPixel(70, 10), RGB(0, 0, 0));
}

TEST_F(Drawing, IconsAreDrawnWithTheirMaskAtTheAskedSize) {
  HANDLE icon = CatchImageSlot(90, StoredIconBytes(), StoredIconSize());
  ASSERT_NE(icon, nullptr);
  ASSERT_TRUE(BeginWindowDrawing(kWindow));
  DrawImageScaled(icon, 10, 10, 64, 64);
  EndDrawing();
  // The tile fills the middle; its rounded corner leaves the black through.
  EXPECT_NE(ClientPixel(10 + 32, 10 + 60), RGB(0, 0, 0));
  EXPECT_EQ(ClientPixel(10, 10), RGB(0, 0, 0));
  EXPECT_EQ(ClientPixel(10 + 64, 10 + 32), RGB(0, 0, 0));
}

TEST_F(Drawing, SurfacesNeedAWindowAndGiveBackTheirObjects) {
  EXPECT_EQ(BeginWindowDrawing(kWindow + 1), 0);
  WriteFileBytes("a.png", TestPicture());
  HANDLE image = LoadImageSlot(kSlot, "a.png");
  const long before = CountGdiObjects();
  for (int i = 0; i < 25; ++i) {
    ASSERT_TRUE(BeginWindowDrawing(kWindow));
    DrawImageScaled(image, 0, 0, 3, 2);
    DrawImageScaled(image, 0, 0, 30, 20);
    EndDrawing();
  }
  ASSERT_TRUE(BeginWindowDrawing(kWindow));
  ASSERT_TRUE(BeginWindowDrawing(kWindow));  // a second begin closes the first
  EndDrawing();
  EndDrawing();
  EXPECT_EQ(CountGdiObjects(), before);
}

// --- Fonts -----------------------------------------------------------------

TEST_F(ImageSlots, FontsTakeTheirHeightFromTheDisplayResolution) {
  HDC display = GetDC(nullptr);
  const int dpi = GetDeviceCaps(display, LOGPIXELSY);
  ReleaseDC(nullptr, display);
  HFONT large = LoadFontSlot(86, "Tahoma", 13);
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(FontSlotHandle(86), large);
  LOGFONTA info = {};
  ASSERT_TRUE(GetObjectA(large, sizeof info, &info));
  EXPECT_EQ(info.lfHeight, -MulDiv(13, dpi, 72));
  if (dpi == 96) {
    EXPECT_EQ(info.lfHeight, -17);
  }
  EXPECT_EQ(info.lfWeight, FW_NORMAL);
  EXPECT_STREQ(info.lfFaceName, "Tahoma");

  HFONT small = LoadFontSlot(86, "Tahoma", 10);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(GetObjectType(large), 0u) << "the previous font was not deleted";
  ASSERT_TRUE(GetObjectA(small, sizeof info, &info));
  EXPECT_EQ(info.lfHeight, -MulDiv(10, dpi, 72));
  EXPECT_EQ(FontSlotHandle(87), nullptr);
  FreeAllFontSlots();
  EXPECT_EQ(FontSlotHandle(86), nullptr);
  EXPECT_EQ(GetObjectType(small), 0u);
}

// --- The widget's own pictures -----------------------------------------------

// The build stages the art in build/<preset>/app/, beside the tests' own
// build/<preset>/tests/.
std::string StagedArtDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  dir.resize(dir.find_last_of("\\/") + 1);
  return dir + "..\\app";
}

TEST_F(ImageSlots, StartUpPicturesLoadFromTheStagedArt) {
  ASSERT_TRUE(SetCurrentDirectoryA(StagedArtDirectory().c_str()));
  struct Load {
    int slot;
    const char* path;
  };
  std::vector<Load> loads;
  static const char* const kDigits[] = {
      "Digits/0.png", "Digits/1.png", "Digits/2.png", "Digits/3.png", "Digits/4.png",
      "Digits/5.png", "Digits/6.png", "Digits/7.png", "Digits/8.png", "Digits/9.png"};
  for (int i = 0; i < 10; ++i) loads.push_back({i, kDigits[i]});
  loads.push_back({71, "Resources/base.png"});
  loads.push_back({72, "Resources/forecast.png"});
  loads.push_back({73, "Resources/flip_bg.png"});
  loads.push_back({77, "Weather/cloud_1.png"});
  loads.push_back({76, "Weather/cloud_5.png"});
  loads.push_back({78, "Weather/cloud_7.png"});
  loads.push_back({79, "Weather/cloud_6.png"});
  loads.push_back({80, "Weather/cloud_4.png"});
  const auto start = std::chrono::steady_clock::now();
  for (const Load& load : loads) LoadImageSlot(load.slot, load.path);
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
  for (const Load& load : loads) {
    EXPECT_NE(ImageSlotHandle(load.slot), nullptr) << load.path;
    EXPECT_EQ(ImageSlotDepth(load.slot), 32) << load.path;
  }
  EXPECT_EQ(ImageSlotWidth(0), 48);
  EXPECT_EQ(ImageSlotHeight(9), 83);
  EXPECT_EQ(ImageSlotWidth(71), 306);
  RecordProperty("startUpPicturesMicroseconds", static_cast<int>(micros));
  printf("start-up pictures (18) loaded in %lld us\n", static_cast<long long>(micros));
}

}  // namespace
