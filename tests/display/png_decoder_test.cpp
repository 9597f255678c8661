#include "display/png_decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "tests/support/png_maker.h"

namespace {

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

uint32_t PixelAt(const DecodedImage& image, int x, int memoryRow) {
  uint32_t value = 0;
  memcpy(&value, image.pixels.data() + memoryRow * image.pitch + x * 4, 4);
  return value;
}

DecodedImage Decode(const std::string& png, int flags = kDecodeBottomUp) {
  DecodedImage image;
  EXPECT_TRUE(DecodeImageBytes(Bytes(png), png.size(), flags, &image));
  return image;
}

// Cheap deterministic noise, so that compressed data spreads over the file.
uint32_t Noise(int x, int y) {
  uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  return h ^ (h >> 15);
}

// Rewrites the header's width and height and mends its checksum.
std::string WithDeclaredSize(std::string png, uint32_t width, uint32_t height) {
  auto put = [&png](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) png[at + i] = static_cast<char>(v >> (24 - 8 * i));
  };
  put(16, width);
  put(20, height);
  const uLong crc = crc32(0, Bytes(png) + 12, 17);
  put(29, static_cast<uint32_t>(crc));
  return png;
}

TEST(PngDecoding, RgbaPixelReadsAsStraightBgraBottomUp) {
  // Top row: the test pixel and opaque blue; bottom row: transparent, green.
  const uint32_t colours[2][2] = {{0x80C86432, 0xFF0000FF}, {0x00000000, 0xFF00FF00}};
  const std::string png = MakePng(RgbaPicture(2, 2, [&](int x, int y) { return colours[y][x]; }));
  DecodedImage image = Decode(png);
  ASSERT_EQ(image.bitsPerPixel, 32);
  EXPECT_EQ(image.width, 2);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.pitch, 8);
  EXPECT_TRUE(image.complete);
  EXPECT_EQ(PixelAt(image, 0, 1), 0x80C86432u);  // top row is the last in memory
  EXPECT_EQ(PixelAt(image, 1, 1), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(image, 0, 0), 0x00000000u);
  EXPECT_EQ(PixelAt(image, 1, 0), 0xFF00FF00u);

  DecodedImage topDown = Decode(png, 0);
  EXPECT_EQ(PixelAt(topDown, 0, 0), 0x80C86432u);
  EXPECT_EQ(PixelAt(topDown, 1, 1), 0xFF00FF00u);
}

TEST(PngDecoding, RgbWithoutAlphaGivesPaddedBgrRows) {
  PngPicture picture;
  picture.width = 3;
  picture.height = 2;
  picture.colourType = 2;
  picture.rows = {10, 20, 30, 40, 50, 60, 70, 80, 90, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  DecodedImage image = Decode(MakePng(picture));
  ASSERT_EQ(image.bitsPerPixel, 24);
  ASSERT_EQ(image.pitch, 12);
  const uint8_t* top = image.pixels.data() + image.pitch;  // bottom-up
  const uint8_t expectedTop[12] = {30, 20, 10, 60, 50, 40, 90, 80, 70, 0, 0, 0};
  EXPECT_EQ(memcmp(top, expectedTop, 12), 0);
  const uint8_t expectedBottom[12] = {3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 0, 0};
  EXPECT_EQ(memcmp(image.pixels.data(), expectedBottom, 12), 0);
}

TEST(PngDecoding, GreyExpandsToRgbAndGreyAlphaKeepsAlpha) {
  PngPicture grey;
  grey.width = 2;
  grey.colourType = 0;
  grey.rows = {7, 200};
  DecodedImage image = Decode(MakePng(grey));
  ASSERT_EQ(image.bitsPerPixel, 24);
  const uint8_t expected[6] = {7, 7, 7, 200, 200, 200};
  EXPECT_EQ(memcmp(image.pixels.data(), expected, 6), 0);

  PngPicture lowDepth;  // 4-bit grey: 0xF stretches to 255
  lowDepth.width = 2;
  lowDepth.colourType = 0;
  lowDepth.bitDepth = 4;
  lowDepth.rows = {0xF0};
  image = Decode(MakePng(lowDepth));
  ASSERT_EQ(image.bitsPerPixel, 24);
  const uint8_t expectedLow[6] = {255, 255, 255, 0, 0, 0};
  EXPECT_EQ(memcmp(image.pixels.data(), expectedLow, 6), 0);

  PngPicture greyAlpha;
  greyAlpha.width = 1;
  greyAlpha.colourType = 4;
  greyAlpha.rows = {90, 33};
  image = Decode(MakePng(greyAlpha));
  ASSERT_EQ(image.bitsPerPixel, 32);
  EXPECT_EQ(PixelAt(image, 0, 0), 0x215A5A5Au);
}

TEST(PngDecoding, PaletteGivesAlphaOnlyWithTransparencyChunk) {
  PngPicture palette;
  palette.width = 2;
  palette.colourType = 3;
  palette.palette = {255, 0, 0, 0, 0, 255};
  palette.rows = {1, 0};
  DecodedImage image = Decode(MakePng(palette));
  ASSERT_EQ(image.bitsPerPixel, 24);
  const uint8_t expected[6] = {255, 0, 0, 0, 0, 255};
  EXPECT_EQ(memcmp(image.pixels.data(), expected, 6), 0);

  palette.alphas = {64};  // only the first entry is see-through
  image = Decode(MakePng(palette));
  ASSERT_EQ(image.bitsPerPixel, 32);
  EXPECT_EQ(PixelAt(image, 0, 0), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(image, 1, 0), 0x40FF0000u);
}

TEST(PngDecoding, SixteenBitChannelsReduceToTheirHighByte) {
  PngPicture deep;
  deep.width = 1;
  deep.bitDepth = 16;
  deep.rows = {0xC8, 0x12, 0x64, 0xFF, 0x32, 0x00, 0x80, 0x7F};
  DecodedImage image = Decode(MakePng(deep));
  ASSERT_EQ(image.bitsPerPixel, 32);
  EXPECT_EQ(image.pitch, 4);
  EXPECT_EQ(PixelAt(image, 0, 0), 0x80C86432u);
}

TEST(PngDecoding, InterlacedEqualsItsPlainTwin) {
  PngPicture plain = RgbaPicture(13, 11, Noise);
  PngPicture interlaced = plain;
  interlaced.interlaced = true;
  const std::string a = MakePng(plain), b = MakePng(interlaced);
  ASSERT_NE(a, b);
  DecodedImage first = Decode(a), second = Decode(b);
  EXPECT_TRUE(second.complete);
  EXPECT_EQ(first.pixels, second.pixels);
}

TEST(PngDecoding, DataBreakingOffKeepsTheRowsDecodedSoFar) {
  const PngPicture picture =
      RgbaPicture(64, 64, [](int x, int y) { return Noise(x, y) | 0xFF000000u; });
  const std::string png = MakePng(picture);
  const std::string cut = png.substr(0, png.size() / 2);
  DecodedImage image = Decode(cut);
  ASSERT_EQ(image.width, 64);
  ASSERT_EQ(image.height, 64);
  EXPECT_FALSE(image.complete);
  const DecodedImage whole = Decode(png);
  // The top row (last in memory) arrived whole; the bottom row never did.
  EXPECT_EQ(memcmp(image.pixels.data() + 63 * image.pitch, whole.pixels.data() + 63 * whole.pitch,
                   image.pitch),
            0);
  for (long i = 0; i < image.pitch; ++i) ASSERT_EQ(image.pixels[i], 0) << i;

  std::string damaged = png;
  damaged[png.size() / 2] ^= 0x55;  // inside the image data: its checksum fails
  image = Decode(damaged);
  EXPECT_FALSE(image.complete);
  EXPECT_EQ(image.height, 64);
}

TEST(PngDecoding, DeclinesWhatIsNotPng) {
  DecodedImage image;
  const std::string text = "GIF89a not a picture we read";
  EXPECT_FALSE(DecodeImageBytes(Bytes(text), text.size(), kDecodeBottomUp, &image));
  const std::string png = MakePng(RgbaPicture(1, 1, [](int, int) { return 0u; }));
  EXPECT_FALSE(DecodeImageBytes(Bytes(png), 7, kDecodeBottomUp, &image));
  EXPECT_FALSE(DecodeImageBytes(Bytes(png), 20, kDecodeBottomUp, &image));  // header cut
  EXPECT_EQ(image.width, 0);
  EXPECT_TRUE(image.pixels.empty());
}

TEST(PngDecoding, SizesBeyondSixteenBitsOrAbsurdAllocationsAreRefused) {
  const std::string small = MakePng(RgbaPicture(1, 1, [](int, int) { return 0xFFFFFFFFu; }));
  DecodedImage image;
  for (auto size : {std::make_pair(2049u, 1u), std::make_pair(1u, 2049u),
                    std::make_pair(32768u, 1u), std::make_pair(1u, 40000u),
                    std::make_pair(30000u, 30000u), std::make_pair(0x7FFFFFFFu, 0x7FFFFFFFu)}) {
    const std::string huge = WithDeclaredSize(small, size.first, size.second);
    EXPECT_FALSE(DecodeImageBytes(Bytes(huge), huge.size(), kDecodeBottomUp, &image))
        << size.first << " x " << size.second;
    EXPECT_TRUE(image.pixels.empty());
  }
  // The largest side the store can hold still loads.
  const std::string widest = MakePng(RgbaPicture(
      kMaxImageSide, 1, [](int x, int) { return 0xFF000000u | static_cast<uint32_t>(x); }));
  image = Decode(widest);
  EXPECT_EQ(image.width, kMaxImageSide);
  EXPECT_EQ(PixelAt(image, kMaxImageSide - 1, 0), 0xFF000000u | (kMaxImageSide - 1));
}

TEST(ImageSizeLimits, BoundaryValues) {
  EXPECT_TRUE(ImageSizeAcceptable(1, 1));
  EXPECT_TRUE(ImageSizeAcceptable(kMaxImageSide, 512));
  EXPECT_FALSE(ImageSizeAcceptable(0, 10));
  EXPECT_FALSE(ImageSizeAcceptable(10, -1));
  EXPECT_FALSE(ImageSizeAcceptable(kMaxImageSide + 1, 1));
  EXPECT_TRUE(ImageSizeAcceptable(kMaxImageSide, kMaxImageSide));
  EXPECT_FALSE(ImageSizeAcceptable(kMaxImageSide, kMaxImageSide + 1));
  EXPECT_EQ(kMaxImageSide, 2048);
  EXPECT_EQ(DibRowPitch(3, 24), 12);
  EXPECT_EQ(DibRowPitch(4, 24), 12);
  EXPECT_EQ(DibRowPitch(5, 32), 20);
}

// A stand-in format: "FAKE" then one byte used as every pixel's blue.
void* ProbeFake(ImageSource* source, ImageInfo* info) {
  if (source->size < 5 || memcmp(source->bytes, "FAKE", 4) != 0) return nullptr;
  info->width = 1;
  info->height = 1;
  info->bitsPerPixel = 32;
  return const_cast<uint8_t*>(source->bytes + 4);
}
int DecodeFake(void* state, uint8_t* buffer, long, int) {
  buffer[0] = *static_cast<uint8_t*>(state);
  buffer[3] = 255;
  return 1;
}
void CloseFake(void*) {}
const ImageDecoder kFake = {"fake", ProbeFake, DecodeFake, CloseFake};

TEST(DecoderList, AddsOnceKeepsOrderAndOffersEachBlockFromItsStart) {
  ClearImageDecoders();
  AddImageDecoder(PngDecoder());
  AddImageDecoder(&kFake);
  AddImageDecoder(PngDecoder());
  ASSERT_EQ(ImageDecoderCount(), 2);
  EXPECT_EQ(ImageDecoderAt(0), PngDecoder());
  EXPECT_EQ(ImageDecoderAt(1), &kFake);
  EXPECT_EQ(ImageDecoderAt(2), nullptr);

  // The PNG probe reads and declines first; the next probe still sees byte 0.
  const std::string fake = "FAKE\x2A";
  DecodedImage image = Decode(fake);
  EXPECT_EQ(PixelAt(image, 0, 0), 0xFF00002Au);
  image = Decode(MakePng(RgbaPicture(1, 1, [](int, int) { return 0x80C86432u; })));
  EXPECT_EQ(PixelAt(image, 0, 0), 0x80C86432u);
  ClearImageDecoders();
}

}  // namespace
