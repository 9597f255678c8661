// The rendered art as the build stages it beside the program: sizes that
// compose into one widget, straight alpha, and the overlay key only where
// a clock card has its holes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/picture_headers.h"
#include "display/pixels.h"
#include "display/png_decoder.h"
#include "display/stored_icon.h"

namespace {

// Where the build staged the art (build/<preset>/app/).
const std::filesystem::path kArt = NIMBREL_STAGED_ART_DIR;

DecodedImage LoadArt(const std::string& name) {
  DecodedImage image;
  std::ifstream in(kArt / name, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_FALSE(bytes.empty()) << name << " is missing from " << kArt;
  EXPECT_TRUE(
      DecodeImageBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0, &image))
      << name;
  EXPECT_TRUE(image.complete) << name;
  return image;
}

uint8_t Alpha(const DecodedImage& image, int x, int y) {
  return image.pixels[y * image.pitch + x * 4 + 3];
}

struct Expected {
  const char* name;
  int width;
  int height;
};

const Expected kPictures[] = {
    {"Resources/base.png", 306, 194},    {"Resources/forecast.png", 300, 62},
    {"Resources/flip_bg.png", 128, 122}, {"Weather/cloud_1.png", 200, 96},
    {"Weather/cloud_4.png", 150, 74},    {"Weather/cloud_5.png", 220, 110},
    {"Weather/cloud_6.png", 190, 92},    {"Weather/cloud_7.png", 170, 84},
};

const char* const kIcons[] = {"sun",        "weather_2",  "weather_4",  "weather_6", "weather_13",
                              "weather_15", "weather_18", "weather_22", "weather_33"};

TEST(Art, PlatesAndCloudsHaveTheirSizesAlphaAndNoKeyColour) {
  for (const Expected& e : kPictures) {
    DecodedImage image = LoadArt(e.name);
    EXPECT_EQ(image.bitsPerPixel, 32) << e.name;
    EXPECT_EQ(image.width, e.width) << e.name;
    EXPECT_EQ(image.height, e.height) << e.name;
    EXPECT_FALSE(ContainsKeyColour(image.pixels.data(), image.width, image.height, image.pitch, 4))
        << e.name;
  }
}

TEST(Art, WeatherIconsStayClearOfTheTextRows) {
  for (const char* icon : kIcons) {
    DecodedImage big = LoadArt(std::string("Weather/") + icon + ".png");
    ASSERT_EQ(big.width, 96) << icon;
    ASSERT_EQ(big.height, 92) << icon;
    EXPECT_FALSE(ContainsKeyColour(big.pixels.data(), big.width, big.height, big.pitch, 4));
    // The window sits at +95, +110 over the base plate: its top 32 rows lie
    // on the sky and wind rows (y 110..141), and from x 95 on it would reach
    // the humidity text at +190.
    int visible = 0;
    for (int y = 0; y < big.height; ++y)
      for (int x = 0; x < big.width; ++x) {
        if (!Alpha(big, x, y)) continue;
        ++visible;
        ASSERT_GE(y, 32) << icon << " at " << x << "," << y;
        ASSERT_LT(x, 95) << icon << " at " << x << "," << y;
      }
    EXPECT_GT(visible, 600) << icon;

    DecodedImage small = LoadArt(std::string("Weather/") + icon + "_min.png");
    EXPECT_EQ(small.width, 48) << icon;
    EXPECT_EQ(small.height, 48) << icon;
    EXPECT_FALSE(ContainsKeyColour(small.pixels.data(), small.width, small.height, small.pitch, 4));
  }
}

TEST(Art, ClockCardsAreOpaqueWithKeyHolesOnlyOutsideTheCard) {
  int firstHoles = -1;
  for (int digit = 0; digit <= 9; ++digit) {
    DecodedImage card = LoadArt("Digits/" + std::to_string(digit) + ".png");
    ASSERT_EQ(card.width, 48);
    ASSERT_EQ(card.height, 83);
    int holes = 0;
    for (int y = 0; y < card.height; ++y)
      for (int x = 0; x < card.width; ++x) {
        const uint8_t* p = card.pixels.data() + y * card.pitch + x * 4;
        ASSERT_EQ(p[3], 255) << digit;
        const bool key = p[0] == kKeyBlue && p[1] == kKeyGreen && p[2] == kKeyRed;
        holes += key;
        // The card's inside, away from the rounded corners and the hinge
        // notches, never lets the plate through.
        if (x >= 4 && x < 44 && y >= 4 && y < 79 && (y < 38 || y > 45)) {
          ASSERT_FALSE(key) << x << "," << y;
        }
      }
    // The corners are holes, the same ones on every card.
    const uint8_t* corner = card.pixels.data();
    EXPECT_TRUE(corner[0] == kKeyBlue && corner[1] == kKeyGreen && corner[2] == kKeyRed) << digit;
    if (firstHoles < 0) firstHoles = holes;
    EXPECT_EQ(holes, firstHoles) << digit;
    EXPECT_GT(holes, 20);
    EXPECT_LT(holes, 200);
  }
}

TEST(Art, StartUpPicturesDecodeInMilliseconds) {
  std::vector<std::string> names;
  for (int digit = 0; digit <= 9; ++digit)
    names.push_back("Digits/" + std::to_string(digit) + ".png");
  for (const char* name : {"Resources/base.png", "Resources/forecast.png", "Resources/flip_bg.png",
                           "Weather/cloud_1.png", "Weather/cloud_4.png", "Weather/cloud_5.png",
                           "Weather/cloud_6.png", "Weather/cloud_7.png"})
    names.push_back(name);
  std::vector<std::string> files;
  for (const std::string& name : names) {
    std::ifstream in(kArt / name, std::ios::binary);
    files.emplace_back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  const auto start = std::chrono::steady_clock::now();
  long pixels = 0;
  for (const std::string& file : files) {
    DecodedImage image;
    ASSERT_TRUE(DecodeImageBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                                 kDecodeBottomUp, &image));
    ASSERT_TRUE(image.complete);
    pixels += static_cast<long>(image.width) * image.height;
  }
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
  printf("start-up pictures (%zu, %ld pixels) decoded in %lld us\n", files.size(), pixels,
         static_cast<long long>(micros));
  EXPECT_LT(micros, 2000000) << "decoding the start-up pictures should take milliseconds";
}

TEST(StoredIcon, HoldsNineImagesWithTheThirtyTwoPixelFourBitOneFirst) {
  const uint8_t* bytes = StoredIconBytes();
  const size_t size = StoredIconSize();
  ASSERT_GT(size, 6u + 9 * 16);
  EXPECT_EQ(bytes[0] | bytes[1] << 8, 0);
  EXPECT_EQ(bytes[2] | bytes[3] << 8, 1);
  ASSERT_EQ(bytes[4] | bytes[5] << 8, 9);
  const int expected[9][2] = {{32, 4},   {16, 4},  {48, 8},  {32, 8}, {16, 8},
                              {256, 32}, {48, 32}, {32, 32}, {16, 32}};
  for (int i = 0; i < 9; ++i) {
    const uint8_t* entry = bytes + 6 + 16 * i;
    const int side = entry[0] ? entry[0] : 256;
    EXPECT_EQ(side, expected[i][0]) << i;
    EXPECT_EQ(entry[1] ? entry[1] : 256, expected[i][0]) << i;
    EXPECT_EQ(entry[6] | entry[7] << 8, expected[i][1]) << i;
    uint32_t length, offset;
    memcpy(&length, entry + 8, 4);
    memcpy(&offset, entry + 12, 4);
    EXPECT_LE(static_cast<size_t>(offset) + length, size) << i;
  }
}

TEST(IconFileChoice, TheStoredIconGivesItsThirtyTwoPixelThirtyTwoBitEntry) {
  IconFileImage image;
  ASSERT_TRUE(ChooseIconFileImage(StoredIconBytes(), StoredIconSize(), &image));
  EXPECT_EQ(image.entry, 7);
  EXPECT_EQ(image.width, 32);
  EXPECT_EQ(image.height, 32);
  EXPECT_EQ(image.bitCount, 32);
}

}  // namespace
