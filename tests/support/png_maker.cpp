#include "tests/support/png_maker.h"

#include <png.h>

#include <csetjmp>

namespace {

void AppendBytes(png_structp png, png_bytep data, size_t length) {
  std::string* out = static_cast<std::string*>(png_get_io_ptr(png));
  out->append(reinterpret_cast<const char*>(data), length);
}

void FlushNothing(png_structp) {}

void WriteAll(png_structp png, png_infop info, const PngPicture& p, std::string* out) {
  png_set_write_fn(png, out, AppendBytes, FlushNothing);
  png_set_IHDR(png, info, p.width, p.height, p.bitDepth, p.colourType,
               p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette;
  for (size_t i = 0; i + 2 < p.palette.size(); i += 3)
    palette.push_back(png_color{p.palette[i], p.palette[i + 1], p.palette[i + 2]});
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
  if (!p.alphas.empty())
    png_set_tRNS(png, info, p.alphas.data(), static_cast<int>(p.alphas.size()), nullptr);
  png_write_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  std::vector<png_bytep> rows;
  for (int y = 0; y < p.height; ++y)
    rows.push_back(const_cast<png_bytep>(p.rows.data() + y * rowBytes));
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
}

bool WriteGuarded(png_structp png, png_infop info, const PngPicture& p, std::string* out) {
  if (setjmp(png_jmpbuf(png))) return false;
  WriteAll(png, info, p, out);
  return true;
}

}  // namespace

std::string MakePng(const PngPicture& picture) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (!WriteGuarded(png, info, picture, &out)) out.clear();
  png_destroy_write_struct(&png, &info);
  return out;
}
