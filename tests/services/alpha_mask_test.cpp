#include "services/alpha_mask.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Pixels given top row first, as one reads them; stored bottom row first.
std::vector<uint8_t> BottomUp(const std::vector<std::vector<uint8_t>>& alphaRows) {
  std::vector<uint8_t> pixels;
  for (auto row = alphaRows.rbegin(); row != alphaRows.rend(); ++row)
    for (uint8_t alpha : *row) {
      pixels.insert(pixels.end(), {10, 20, 30, alpha});
    }
  return pixels;
}

bool MaskBit(const std::vector<uint8_t>& mask, int width, int x, int y) {
  return mask[static_cast<size_t>(y * MaskRowBytes(width) + x / 8)] & (0x80 >> (x % 8));
}

TEST(AlphaMask, RowsArePaddedToSixteenBits) {
  EXPECT_EQ(MaskRowBytes(1), 2);
  EXPECT_EQ(MaskRowBytes(16), 2);
  EXPECT_EQ(MaskRowBytes(17), 4);
  EXPECT_EQ(MaskRowBytes(32), 4);
}

TEST(AlphaMask, TransparentPixelsAreWhiteAndTheRestBlackTopRowFirst) {
  std::vector<uint8_t> pixels = BottomUp({
      {0, 255, 0},  // top row
      {1, 0, 128},  // bottom row
  });
  std::vector<uint8_t> mask = BuildAlphaMask(pixels.data(), 3, 2);
  ASSERT_EQ(mask.size(), 4u);
  EXPECT_TRUE(MaskBit(mask, 3, 0, 0));
  EXPECT_FALSE(MaskBit(mask, 3, 1, 0));
  EXPECT_TRUE(MaskBit(mask, 3, 2, 0));
  EXPECT_FALSE(MaskBit(mask, 3, 0, 1)) << "any alpha above 0 shows the pixel";
  EXPECT_TRUE(MaskBit(mask, 3, 1, 1));
  EXPECT_FALSE(MaskBit(mask, 3, 2, 1));
  EXPECT_EQ(mask[1], 0) << "padding stays 0";
}

TEST(AlphaMask, APictureWithoutAnyAlphaIsShownWhole) {
  std::vector<uint8_t> pixels = BottomUp({{0, 0}, {0, 0}});
  std::vector<uint8_t> mask = BuildAlphaMask(pixels.data(), 2, 2);
  ASSERT_EQ(mask.size(), 4u);
  for (uint8_t byte : mask) EXPECT_EQ(byte, 0);
}

TEST(AlphaMask, WideRowsSpanSeveralBytes) {
  std::vector<uint8_t> row(20, 255);
  row[9] = 0;
  row[19] = 0;
  std::vector<uint8_t> pixels = BottomUp({row});
  std::vector<uint8_t> mask = BuildAlphaMask(pixels.data(), 20, 1);
  ASSERT_EQ(mask.size(), 4u);
  for (int x = 0; x < 20; ++x) EXPECT_EQ(MaskBit(mask, 20, x, 0), x == 9 || x == 19) << x;
}

TEST(AlphaMask, NothingForAnEmptyPicture) {
  uint8_t pixel[4] = {};
  EXPECT_TRUE(BuildAlphaMask(pixel, 0, 5).empty());
  EXPECT_TRUE(BuildAlphaMask(pixel, 5, -1).empty());
  EXPECT_TRUE(BuildAlphaMask(nullptr, 1, 1).empty());
}

}  // namespace
