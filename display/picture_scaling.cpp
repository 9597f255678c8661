#include "display/picture_scaling.h"

#include <algorithm>
#include <cmath>

namespace {

const uint32_t kColourBytes = 0x00FFFFFF;
const uint32_t kOpaque = 0xFF000000;

// The source pixels that make one target pixel, and their weights.
struct Taps {
  int first = 0;
  std::vector<float> weights;
};

std::vector<Taps> TapsFor(int from, int to) {
  const double ratio = static_cast<double>(from) / to;
  const double radius = std::max(ratio, 1.0);
  std::vector<Taps> all(static_cast<size_t>(to));
  for (int t = 0; t < to; ++t) {
    const double centre = (t + 0.5) * ratio;
    const int first = std::max(0, static_cast<int>(std::floor(centre - radius)));
    const int last = std::min(from, static_cast<int>(std::ceil(centre + radius)));
    Taps& taps = all[static_cast<size_t>(t)];
    taps.first = first;
    double sum = 0;
    for (int s = first; s < last; ++s) {
      const double w = std::max(0.0, 1.0 - std::fabs((s + 0.5 - centre) / radius));
      taps.weights.push_back(static_cast<float>(w));
      sum += w;
    }
    for (float& w : taps.weights) w = static_cast<float>(w / sum);
  }
  return all;
}

// Four premultiplied channels per pixel: blue, green, red, alpha.
using Plane = std::vector<float>;

Plane Resample(const Plane& in, int width, int height, int newWidth, int newHeight) {
  const std::vector<Taps> across = TapsFor(width, newWidth);
  const std::vector<Taps> down = TapsFor(height, newHeight);
  Plane rows(static_cast<size_t>(newWidth) * height * 4, 0.0f);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < newWidth; ++x) {
      const Taps& taps = across[static_cast<size_t>(x)];
      float* out = &rows[(static_cast<size_t>(y) * newWidth + x) * 4];
      for (size_t i = 0; i < taps.weights.size(); ++i) {
        const float* p = &in[(static_cast<size_t>(y) * width + taps.first + i) * 4];
        for (int c = 0; c < 4; ++c) out[c] += p[c] * taps.weights[i];
      }
    }
  Plane result(static_cast<size_t>(newWidth) * newHeight * 4, 0.0f);
  for (int y = 0; y < newHeight; ++y) {
    const Taps& taps = down[static_cast<size_t>(y)];
    for (size_t i = 0; i < taps.weights.size(); ++i) {
      const float* row = &rows[(taps.first + i) * newWidth * 4];
      float* out = &result[static_cast<size_t>(y) * newWidth * 4];
      for (int k = 0; k < newWidth * 4; ++k) out[k] += row[k] * taps.weights[i];
    }
  }
  return result;
}

uint32_t Channel(float value) {
  return static_cast<uint32_t>(std::lround(std::min(255.0f, std::max(0.0f, value))));
}

// Premultiplied channels back to a straight pixel of the given alpha.
uint32_t Unpremultiply(const float* p, uint32_t alpha) {
  if (alpha == 0 || p[3] <= 0) return 0;
  const float factor = 255.0f / p[3];
  return alpha << 24 | Channel(p[2] * factor) << 16 | Channel(p[1] * factor) << 8 |
         Channel(p[0] * factor);
}

bool ValidSizes(int width, int height, int newWidth, int newHeight) {
  return width > 0 && height > 0 && newWidth > 0 && newHeight > 0;
}

}  // namespace

std::vector<uint32_t> ScalePicture(const uint32_t* pixels, int width, int height, int newWidth,
                                   int newHeight) {
  if (!ValidSizes(width, height, newWidth, newHeight)) return {};
  const size_t count = static_cast<size_t>(width) * height;
  Plane in(count * 4);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = pixels[i];
    const float a = static_cast<float>(p >> 24);
    for (int c = 0; c < 3; ++c) in[i * 4 + c] = static_cast<float>(p >> (8 * c) & 0xFF) * a / 255;
    in[i * 4 + 3] = a;
  }
  const Plane out = Resample(in, width, height, newWidth, newHeight);
  std::vector<uint32_t> result(static_cast<size_t>(newWidth) * newHeight);
  for (size_t i = 0; i < result.size(); ++i)
    result[i] = Unpremultiply(&out[i * 4], Channel(out[i * 4 + 3]));
  return result;
}

std::vector<uint32_t> ScaleKeyedPicture(const uint32_t* pixels, int width, int height, int newWidth,
                                        int newHeight, uint32_t key) {
  if (!ValidSizes(width, height, newWidth, newHeight)) return {};
  key &= kColourBytes;
  const size_t count = static_cast<size_t>(width) * height;
  Plane in(count * 4, 0.0f);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = pixels[i];
    if ((p & kColourBytes) == key) continue;  // a hole
    for (int c = 0; c < 3; ++c) in[i * 4 + c] = static_cast<float>(p >> (8 * c) & 0xFF);
    in[i * 4 + 3] = 255.0f;
  }
  const Plane out = Resample(in, width, height, newWidth, newHeight);
  std::vector<uint32_t> result(static_cast<size_t>(newWidth) * newHeight);
  for (size_t i = 0; i < result.size(); ++i) {
    if (out[i * 4 + 3] < 127.5f) {
      result[i] = kOpaque | key;
      continue;
    }
    uint32_t pixel = Unpremultiply(&out[i * 4], 255);
    // A blend can land on the key by chance; one step of blue keeps it shown.
    if ((pixel & kColourBytes) == key) pixel ^= 1;
    result[i] = pixel;
  }
  return result;
}

bool IsKeyedPicture(const uint32_t* pixels, size_t count, uint32_t key) {
  key &= kColourBytes;
  bool anyKey = false;
  for (size_t i = 0; i < count; ++i) {
    if ((pixels[i] & kOpaque) != kOpaque) return false;
    anyKey = anyKey || (pixels[i] & kColourBytes) == key;
  }
  return anyKey;
}
