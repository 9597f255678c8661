#include "display/picture_scaling.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "display/picture_sets.h"

namespace {

uint32_t Pixel(unsigned r, unsigned g, unsigned b, unsigned a) {
  return a << 24 | r << 16 | g << 8 | b;
}

const uint32_t kKey = 0x7E6D63;  // red 126, green 109, blue 99

TEST(ScalePicture, TransparentPixelsLendNoDarkFringe) {
  // Opaque white beside fully transparent black: halving gives white at
  // half alpha, not grey.
  std::vector<uint32_t> two = {Pixel(255, 255, 255, 255), Pixel(0, 0, 0, 0)};
  std::vector<uint32_t> one = ScalePicture(two.data(), 2, 1, 1, 1);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(one[0] >> 24, 128u);
}

TEST(ScalePicture, SameSizeIsExactAndPlainColourStaysPlain) {
  std::vector<uint32_t> pixels = {Pixel(1, 2, 3, 255), Pixel(200, 100, 50, 128), Pixel(0, 0, 0, 0),
                                  Pixel(9, 8, 7, 255)};
  EXPECT_EQ(ScalePicture(pixels.data(), 2, 2, 2, 2), pixels);
  std::vector<uint32_t> plain(12, Pixel(40, 90, 160, 200));
  for (uint32_t p : ScalePicture(plain.data(), 4, 3, 7, 5)) EXPECT_EQ(p, Pixel(40, 90, 160, 200));
  for (uint32_t p : ScalePicture(plain.data(), 4, 3, 3, 2)) EXPECT_EQ(p, Pixel(40, 90, 160, 200));
}

TEST(ScaleKeyedPicture, KeyStaysExactAndIsNeverBlended) {
  // Key on the left half, one colour on the right, at sizes up and down.
  const uint32_t colour = Pixel(10, 200, 30, 255);
  std::vector<uint32_t> pixels;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) pixels.push_back(x < 3 ? (0xFF000000 | kKey) : colour);
  for (int side : {4, 5, 9, 14}) {
    const std::vector<uint32_t> scaled = ScaleKeyedPicture(pixels.data(), 6, 6, side, side, kKey);
    std::set<uint32_t> seen(scaled.begin(), scaled.end());
    EXPECT_EQ(seen, (std::set<uint32_t>{0xFF000000 | kKey, colour})) << side;
  }
}

TEST(ScaleKeyedPicture, ABlendThatLandsOnTheKeyIsMovedOffIt) {
  std::vector<uint32_t> pixels = {Pixel(126, 109, 98, 255), Pixel(126, 109, 100, 255)};
  const std::vector<uint32_t> one = ScaleKeyedPicture(pixels.data(), 2, 1, 1, 1, kKey);
  EXPECT_NE(one.at(0) & 0xFFFFFF, kKey);
  EXPECT_EQ(one.at(0) >> 24, 255u);
}

TEST(IsKeyedPicture, OnlyOpaquePicturesWithTheKey) {
  std::vector<uint32_t> card = {0xFF000000 | kKey, Pixel(1, 1, 1, 255)};
  EXPECT_TRUE(IsKeyedPicture(card.data(), card.size(), kKey));
  card[1] = Pixel(1, 1, 1, 254);
  EXPECT_FALSE(IsKeyedPicture(card.data(), card.size(), kKey));
  std::vector<uint32_t> plate = {Pixel(1, 1, 1, 255)};
  EXPECT_FALSE(IsKeyedPicture(plate.data(), plate.size(), kKey));
}

TEST(PictureSets, ExactNextLargerOrLargestSetAndItsPath) {
  EXPECT_EQ(PictureSetFor(96), 100);
  EXPECT_EQ(PictureSetFor(144), 150);
  EXPECT_EQ(PictureSetFor(110), 125);
  EXPECT_EQ(PictureSetFor(193), 250);
  EXPECT_EQ(PictureSetFor(480), 300);
  EXPECT_EQ(PictureSetPath("Digits/0.png", 100), "Digits/0.png");
  EXPECT_EQ(PictureSetPath("Resources/base.png", 150), "Resources/150/base.png");
  // A set's own DPI keeps the rendered side; between sets the side shrinks
  // from the larger set, beyond the largest it grows.
  EXPECT_EQ(SideAtDpi(459, 150, 144), 459);
  EXPECT_EQ(SideAtDpi(383, 125, 110), 351);
  EXPECT_EQ(SideAtDpi(306, 100, 144), 459);
}

}  // namespace
