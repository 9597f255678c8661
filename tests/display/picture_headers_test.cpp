#include "display/picture_headers.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>


namespace {

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

void Put32(std::string& s, size_t at, uint32_t v) {
  memcpy(&s[at], &v, 4);
}
void Put16(std::string& s, size_t at, uint16_t v) {
  memcpy(&s[at], &v, 2);
}

// A bitmap file image of width x height at bits per pixel, rows zero.
std::string BitmapFile(int32_t width, int32_t height, uint16_t bits, uint32_t colours = 0) {
  const uint32_t table = bits <= 8 ? (colours ? colours : 1u << bits) * 4 : 0;
  const uint32_t pitch = ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
  const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
  std::string s(54 + table + pitch * rows, '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put32(s, 10, 54 + table);
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<uint32_t>(width));
  Put32(s, 22, static_cast<uint32_t>(height));
  Put16(s, 26, 1);
  Put16(s, 28, bits);
  Put32(s, 46, colours);
  return s;
}

TEST(BitmapFileLayoutCheck, AcceptsWellFormedImagesAndFindsTheirParts) {
  std::string bmp = BitmapFile(3, 2, 24);
  BitmapFileLayout layout;
  ASSERT_TRUE(ReadBitmapFileLayout(Bytes(bmp), bmp.size(), &layout));
  EXPECT_EQ(layout.width, 3);
  EXPECT_EQ(layout.height, 2);
  EXPECT_FALSE(layout.topDown);
  EXPECT_EQ(layout.pixelOffset, 54u);
  EXPECT_EQ(layout.pixelBytes, 24u);  // rows of 9 bytes padded to 12

  bmp = BitmapFile(2, -2, 32);
  ASSERT_TRUE(ReadBitmapFileLayout(Bytes(bmp), bmp.size(), &layout));
  EXPECT_TRUE(layout.topDown);
  EXPECT_EQ(layout.height, 2);

  bmp = BitmapFile(4, 1, 8, 2);  // a two-colour table
  ASSERT_TRUE(ReadBitmapFileLayout(Bytes(bmp), bmp.size(), &layout));
  EXPECT_EQ(layout.headerEnd, 54u + 8u);
  EXPECT_EQ(layout.colourCount, 2u);

  // The count handed on is the one checked, not the file's word.
  bmp = BitmapFile(4, 1, 8);
  Put32(bmp, 46, 5000);
  ASSERT_TRUE(ReadBitmapFileLayout(Bytes(bmp), bmp.size(), &layout));
  EXPECT_EQ(layout.colourCount, 256u);
  bmp = BitmapFile(3, 2, 24);
  Put32(bmp, 46, 5000);
  ASSERT_TRUE(ReadBitmapFileLayout(Bytes(bmp), bmp.size(), &layout));
  EXPECT_EQ(layout.colourCount, 0u);
}

TEST(BitmapFileLayoutCheck, RefusesWhatReachesPastTheBlockOrCannotBeHeld) {
  BitmapFileLayout layout;
  std::string bmp = BitmapFile(3, 2, 24);
  EXPECT_FALSE(ReadBitmapFileLayout(Bytes(bmp), bmp.size() - 1, &layout)) << "rows cut short";
  EXPECT_FALSE(ReadBitmapFileLayout(Bytes(bmp), 40, &layout)) << "header cut short";

  std::string lying = bmp;
  Put32(lying, 10, 20);  // pixels said to start inside the header
  EXPECT_FALSE(ReadBitmapFileLayout(Bytes(lying), lying.size(), &layout));
  lying = bmp;
  Put32(lying, 14, 0xFFFFFFF0u);  // header larger than the block
  EXPECT_FALSE(ReadBitmapFileLayout(Bytes(lying), lying.size(), &layout));
  lying = bmp;
  Put32(lying, 30, 1);  // run-length compressed
  EXPECT_FALSE(ReadBitmapFileLayout(Bytes(lying), lying.size(), &layout));
  lying = bmp;
  Put16(lying, 28, 7);  // no such depth
  EXPECT_FALSE(ReadBitmapFileLayout(Bytes(lying), lying.size(), &layout));

  for (uint32_t height : {0u, 0x80000000u, 40000u}) {
    lying = bmp;
    Put32(lying, 22, height);
    EXPECT_FALSE(ReadBitmapFileLayout(Bytes(lying), lying.size(), &layout)) << height;
  }
  lying = bmp;
  Put32(lying, 18, 30000);  // 30000 x 30000 fits 16 bits, not a sane allocation
  Put32(lying, 22, 30000);
  EXPECT_FALSE(ReadBitmapFileLayout(Bytes(lying), lying.size(), &layout));

  std::string palette = BitmapFile(4, 1, 8);  // a full 256-entry table...
  EXPECT_FALSE(ReadBitmapFileLayout(Bytes(palette), 54 + 100, &layout)) << "...cut off";
}

// An icon file whose entries are (width byte, height byte, bit count), each
// image a bitmap header of that size and depth.
std::string IconFile(const std::vector<std::array<int, 3>>& entries) {
  std::string s(6 + 16 * entries.size(), '\0');
  Put16(s, 2, 1);
  Put16(s, 4, static_cast<uint16_t>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    std::string image(40, '\0');
    Put32(image, 0, 40);
    Put32(image, 4, static_cast<uint32_t>(entries[i][0]));
    Put32(image, 8, static_cast<uint32_t>(entries[i][1] * 2));
    Put16(image, 14, static_cast<uint16_t>(entries[i][2]));
    const size_t at = 6 + 16 * i;
    s[at] = static_cast<char>(entries[i][0]);
    s[at + 1] = static_cast<char>(entries[i][1]);
    Put16(s, at + 6, static_cast<uint16_t>(entries[i][2]));
    Put32(s, at + 8, 40);
    Put32(s, at + 12, static_cast<uint32_t>(s.size()));
    s += image;
  }
  return s;
}

TEST(IconFileChoice, DeepestEntryOfTheFirstEntrysSizeWinsEarliestOnTies) {
  IconFileImage image;
  std::string ico = IconFile({{16, 16, 8}, {32, 32, 32}, {16, 16, 32}, {16, 16, 32}, {16, 16, 4}});
  ASSERT_TRUE(ChooseIconFileImage(Bytes(ico), ico.size(), &image));
  EXPECT_EQ(image.entry, 2);
  EXPECT_EQ(image.width, 16);
  EXPECT_EQ(image.height, 16);
  EXPECT_EQ(image.bitCount, 32);

  ico = IconFile({{48, 48, 32}, {16, 16, 32}});
  ASSERT_TRUE(ChooseIconFileImage(Bytes(ico), ico.size(), &image));
  EXPECT_EQ(image.entry, 0);
}

TEST(IconFileChoice, RefusesDirectoriesAndImagesOutsideTheBlock) {
  IconFileImage image;
  std::string ico = IconFile({{16, 16, 32}});
  EXPECT_FALSE(ChooseIconFileImage(Bytes(ico), ico.size() - 1, &image)) << "image cut short";
  EXPECT_FALSE(ChooseIconFileImage(Bytes(ico), 20, &image)) << "directory cut short";
  std::string lying = ico;
  Put16(lying, 4, 5000);
  EXPECT_FALSE(ChooseIconFileImage(Bytes(lying), lying.size(), &image));
  lying = ico;
  Put16(lying, 4, 0);
  EXPECT_FALSE(ChooseIconFileImage(Bytes(lying), lying.size(), &image));
  lying = ico;
  Put32(lying, 6 + 12, 0xFFFFFFF0u);  // offset far past the end
  EXPECT_FALSE(ChooseIconFileImage(Bytes(lying), lying.size(), &image));
  lying = ico;
  Put32(lying, 6 + 8, 0xFFFFFFFFu);  // length that wraps when added
  EXPECT_FALSE(ChooseIconFileImage(Bytes(lying), lying.size(), &image));
  lying = ico;
  Put16(lying, 2, 2);  // a cursor file, not an icon
  EXPECT_FALSE(LooksLikeIconFile(Bytes(lying), lying.size()));
  EXPECT_FALSE(ChooseIconFileImage(Bytes(lying), lying.size(), &image));
  EXPECT_EQ(image.entry, -1);
}

}  // namespace
