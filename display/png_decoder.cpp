#include "display/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>

namespace {

// Every ancillary chunk libpng knows, apart from tRNS, five bytes each.
const png_byte kSkippedChunks[] =
    "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0sPLT\0"
    "sRGB\0tEXt\0tIME\0zTXt";

struct PngState {
  png_structp png = nullptr;
  png_infop info = nullptr;
  ImageSource* source = nullptr;
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int passes = 1;
};

// libpng reports through these; a failure jumps back to the caller's setjmp.
void QuietError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}
void QuietWarning(png_structp, png_const_charp) {}

void ReadFromSource(png_structp png, png_bytep out, size_t length) {
  ImageSource* source = static_cast<ImageSource*>(png_get_io_ptr(png));
  if (source->file) {
    if (fread(out, 1, length, source->file) != length) png_error(png, "data breaks off");
    return;
  }
  if (source->size - source->offset < length) png_error(png, "data breaks off");
  memcpy(out, source->bytes + source->offset, length);
  source->offset += length;
}

bool ReadSignature(ImageSource* source, png_byte signature[8]) {
  if (source->file) return fread(signature, 1, 8, source->file) == 8;
  if (source->size < 8) return false;
  memcpy(signature, source->bytes, 8);
  source->offset = 8;
  return true;
}

// Sets every transform before the one update: libpng refuses transforms
// asked for after png_read_update_info. Runs under ReadHeader's setjmp.
bool ReadHeaderUnguarded(PngState* state) {
  png_structp png = state->png;
  png_infop info = state->info;
  png_set_read_fn(png, state->source, ReadFromSource);
  png_set_sig_bytes(png, 8);
  png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
  // Metadata is skipped unread: a chunk claiming gigabytes of text or
  // palette suggestions would otherwise be allocated whole. Only the
  // transparency chunk matters to the pixels.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks,
                              static_cast<int>(sizeof kSkippedChunks / 5));
  // Small reads of the image data, so that data breaking off mid-chunk
  // still yields the rows before the break.
  png_set_compression_buffer_size(png, 1024);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int depth = 0, colour = 0;
  png_get_IHDR(png, info, &width, &height, &depth, &colour, nullptr, nullptr, nullptr);
  if (!ImageSizeAcceptable(static_cast<long>(width), static_cast<long>(height))) return false;
  if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) {
    if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  } else if (colour == PNG_COLOR_TYPE_PALETTE) {
    png_set_palette_to_rgb(png);  // RGB, or RGB with alpha when tRNS is present
  }
  if (depth == 16) png_set_strip_16(png);
  png_set_bgr(png);
  state->passes = png_set_interlace_handling(png);
  png_read_update_info(png, info);

  png_get_IHDR(png, info, &width, &height, &depth, &colour, nullptr, nullptr, nullptr);
  state->width = static_cast<int>(width);
  state->height = static_cast<int>(height);
  state->bitsPerPixel = colour == PNG_COLOR_TYPE_RGB ? 24 : 32;
  // Rows must fit the pitch the caller computes from the reported depth.
  return depth == 8 && png_get_rowbytes(png, info) ==
                           static_cast<size_t>(state->width) * (state->bitsPerPixel / 8);
}

// The guarded frames hold no locals that change after setjmp.
bool ReadHeader(PngState* state) {
  if (setjmp(png_jmpbuf(state->png))) return false;
  return ReadHeaderUnguarded(state);
}

void ClosePng(void* opaque) {
  PngState* state = static_cast<PngState*>(opaque);
  if (!state) return;
  png_destroy_read_struct(&state->png, state->info ? &state->info : nullptr, nullptr);
  delete state;
}

void* ProbePng(ImageSource* source, ImageInfo* info) {
  png_byte signature[8];
  if (!ReadSignature(source, signature) || png_sig_cmp(signature, 0, 8) != 0) return nullptr;
  PngState* state = new (std::nothrow) PngState;
  if (!state) return nullptr;
  state->source = source;
  state->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  if (state->png) state->info = png_create_info_struct(state->png);
  if (!state->info || !ReadHeader(state)) {
    ClosePng(state);
    return nullptr;
  }
  info->width = state->width;
  info->height = state->height;
  info->bitsPerPixel = state->bitsPerPixel;
  return state;
}

void ReadRowsUnguarded(PngState* state, uint8_t* buffer, long pitch, bool bottomUp) {
  uint8_t* first = bottomUp ? buffer + (state->height - 1) * pitch : buffer;
  const long step = bottomUp ? -pitch : pitch;
  for (int pass = 0; pass < state->passes; ++pass)
    for (int y = 0; y < state->height; ++y) png_read_row(state->png, first + y * step, nullptr);
}

bool ReadRows(PngState* state, uint8_t* buffer, long pitch, bool bottomUp) {
  if (setjmp(png_jmpbuf(state->png))) return false;
  ReadRowsUnguarded(state, buffer, pitch, bottomUp);
  return true;
}

int DecodePng(void* opaque, uint8_t* buffer, long pitch, int flags) {
  PngState* state = static_cast<PngState*>(opaque);
  return ReadRows(state, buffer, pitch, (flags & kDecodeBottomUp) != 0) ? 1 : 0;
}

const ImageDecoder kPngDecoder = {"png", ProbePng, DecodePng, ClosePng};

std::vector<const ImageDecoder*>& DecoderList() {
  static std::vector<const ImageDecoder*> list;
  return list;
}

}  // namespace

bool ImageSizeAcceptable(long width, long height) {
  return width >= 1 && height >= 1 && width <= kMaxImageSide && height <= kMaxImageSide &&
         width * height <= kMaxImagePixels;
}

const ImageDecoder* PngDecoder() {
  return &kPngDecoder;
}

void AddImageDecoder(const ImageDecoder* decoder) {
  if (!decoder) return;
  for (const ImageDecoder* listed : DecoderList())
    if (listed == decoder) return;
  DecoderList().push_back(decoder);
}

int ImageDecoderCount() {
  return static_cast<int>(DecoderList().size());
}

const ImageDecoder* ImageDecoderAt(int index) {
  if (index < 0 || index >= ImageDecoderCount()) return nullptr;
  return DecoderList()[index];
}

void ClearImageDecoders() {
  DecoderList().clear();
}

long DibRowPitch(int width, int bitsPerPixel) {
  return 4L * ((static_cast<long>(width) * bitsPerPixel + 31) / 32);
}

bool DecodeImageBytes(const uint8_t* bytes, size_t size, int flags, DecodedImage* image) {
  *image = DecodedImage{};
  const int count = ImageDecoderCount();
  for (int i = 0; i < (count ? count : 1); ++i) {
    const ImageDecoder* decoder = count ? ImageDecoderAt(i) : PngDecoder();
    ImageSource source;
    source.bytes = bytes;
    source.size = size;
    ImageInfo info;
    void* state = decoder->probe(&source, &info);
    if (!state) continue;
    if (!ImageSizeAcceptable(info.width, info.height) ||
        (info.bitsPerPixel != 24 && info.bitsPerPixel != 32)) {
      decoder->close(state);
      return false;
    }
    image->width = info.width;
    image->height = info.height;
    image->bitsPerPixel = info.bitsPerPixel;
    image->pitch = DibRowPitch(info.width, info.bitsPerPixel);
    image->pixels.assign(static_cast<size_t>(image->pitch) * info.height, 0);
    image->complete = decoder->decode(state, image->pixels.data(), image->pitch, flags) == 1;
    decoder->close(state);
    return true;
  }
  return false;
}
