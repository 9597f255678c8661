#pragma once
// The decoder list of the image store and its PNG decoder (libpng), free of
// the OS: a decoder reads a picture from an open file or a memory block and
// writes straight-alpha BGR(A) rows into a caller's buffer.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// Where a picture is read from: an open file (read from its current
// position), or a memory block when file is null.
struct ImageSource {
  FILE* file = nullptr;
  const uint8_t* bytes = nullptr;
  size_t size = 0;
  size_t offset = 0;  // read position in the block
};

// What a decoder reports on accepting a picture.
struct ImageInfo {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;  // 24 or 32
};

// Decode flag: rows go bottom-up (the top row at buffer + (height-1)*pitch).
const int kDecodeBottomUp = 2;

// Largest side any picture may have, and the largest pixel count any decoder
// will allocate rows for. The widget's largest picture is 306 x 194; these
// keep a hostile file from taking the memory of a 32-bit process.
const int kMaxImageSide = 2048;
const long kMaxImagePixels = long{kMaxImageSide} * kMaxImageSide;

// True for sizes the store can hold without wrapping its 16-bit fields or
// allocating an absurd amount: 1 to kMaxImageSide each, and at most
// kMaxImagePixels in all.
bool ImageSizeAcceptable(long width, long height);

// An entry of the decoder list. probe looks at the source and on accepting
// returns the decoder's working state (nullptr declines) and fills info;
// decode writes the rows and returns 1, or 0 on damaged data (rows decoded
// before the damage stay); close releases the working state (not the file).
struct ImageDecoder {
  const char* name;
  void* (*probe)(ImageSource* source, ImageInfo* info);
  int (*decode)(void* state, uint8_t* buffer, long pitch, int flags);
  void (*close)(void* state);
};

const ImageDecoder* PngDecoder();

// The ordered decoder list. Adding a decoder already listed does nothing.
void AddImageDecoder(const ImageDecoder* decoder);
int ImageDecoderCount();
const ImageDecoder* ImageDecoderAt(int index);  // nullptr out of range
void ClearImageDecoders();

// Row pitch of a DIB of that width and depth: rows padded to 4 bytes.
long DibRowPitch(int width, int bitsPerPixel);

// A picture decoded into memory: rows of BGR or BGRA, padded to 4 bytes.
struct DecodedImage {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  long pitch = 0;
  std::vector<uint8_t> pixels;
  bool complete = false;  // false when the data broke off or was damaged
};

// Offers the block to the decoder list (PNG when the list is empty) and
// decodes it; false when no decoder accepts it.
bool DecodeImageBytes(const uint8_t* bytes, size_t size, int flags, DecodedImage* image);
