#include "display/pixels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

uint32_t Pixel(unsigned r, unsigned g, unsigned b, unsigned a) {
  return a << 24 | r << 16 | g << 8 | b;
}

TEST(Premultiply, HalfTransparentPixelHalvesItsChannels) {
  EXPECT_EQ(PremultiplyPixel(Pixel(200, 100, 50, 128)), Pixel(100, 50, 25, 128));
}

TEST(Premultiply, AlphaOneRoundsToNearest) {
  EXPECT_EQ(PremultiplyPixel(Pixel(128, 127, 255, 1)), Pixel(1, 0, 1, 1));
}

TEST(Premultiply, OpaqueUnchangedTransparentAllZero) {
  EXPECT_EQ(PremultiplyPixel(Pixel(12, 34, 56, 255)), Pixel(12, 34, 56, 255));
  EXPECT_EQ(PremultiplyPixel(Pixel(12, 34, 56, 0)), 0u);
  EXPECT_EQ(PremultiplyPixel(Pixel(255, 255, 255, 0)), 0u);
}

TEST(Premultiply, EveryChannelAndAlphaIsTheRoundedProduct) {
  for (unsigned a = 0; a < 256; ++a)
    for (unsigned c = 0; c < 256; ++c) {
      const unsigned expected = static_cast<unsigned>(std::lround(c * a / 255.0));
      ASSERT_EQ(PremultiplyChannel(c, a), expected) << "c=" << c << " a=" << a;
    }
}

TEST(Premultiply, ArrayConvertsEachPixelAndKeepsAlpha) {
  std::vector<uint32_t> pixels = {Pixel(200, 100, 50, 128), Pixel(1, 2, 3, 255), Pixel(9, 9, 9, 0),
                                  Pixel(255, 0, 255, 51)};
  PremultiplyPixels(pixels.data(), pixels.size());
  EXPECT_EQ(pixels[0], Pixel(100, 50, 25, 128));
  EXPECT_EQ(pixels[1], Pixel(1, 2, 3, 255));
  EXPECT_EQ(pixels[2], 0u);
  EXPECT_EQ(pixels[3], Pixel(51, 0, 51, 51));
}

TEST(KeyColourCheck, FindsOnlyTheExactKey) {
  EXPECT_EQ(KeyColour, 0x00636D7E);
  // BGRA rows of two pixels, pitch 8.
  std::vector<uint8_t> near = {99, 109, 127, 255, 98, 109, 126, 0};
  EXPECT_FALSE(ContainsKeyColour(near.data(), 2, 1, 8, 4));
  std::vector<uint8_t> hit = {0, 0, 0, 255, 99, 109, 126, 0};
  EXPECT_TRUE(ContainsKeyColour(hit.data(), 2, 1, 8, 4));
  // BGR rows, the key in the second row after padding.
  std::vector<uint8_t> rows = {1, 2, 3, 0, 99, 109, 126, 0};
  EXPECT_TRUE(ContainsKeyColour(rows.data(), 1, 2, 4, 3));
  EXPECT_FALSE(ContainsKeyColour(rows.data(), 1, 1, 4, 3));
}

}  // namespace
