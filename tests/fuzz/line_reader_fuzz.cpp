// The line reader over arbitrary bytes delivered in reads of any size: the
// lines must be those a plain split gives, each cut to kMaxLineBytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "services/line_reader.h"

namespace {

struct Source {
  const uint8_t* bytes;
  size_t size;
  size_t at;
  int piece;
};

int ReadPiece(void* from, unsigned char* into, int capacity) {
  Source& s = *static_cast<Source*>(from);
  const size_t n = std::min<size_t>(
      {static_cast<size_t>(capacity), static_cast<size_t>(s.piece), s.size - s.at});
  std::memcpy(into, s.bytes + s.at, n);
  s.at += n;
  return static_cast<int>(n);
}

std::vector<std::string> PlainSplit(const uint8_t* b, size_t n) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < n) {
    std::string line;
    while (i < n) {
      const uint8_t c = b[i++];
      if (c == 0 || c == '\n') break;
      if (c == '\r') {
        if (i < n && b[i] == '\n') ++i;
        break;
      }
      line.push_back(static_cast<char>(c));
    }
    lines.push_back(line.substr(0, kMaxLineBytes));
  }
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // First byte: the size of every read (0 means a whole buffer).
  const int piece = data[0] ? data[0] : kLineBufferSize;
  Source source{data + 1, size - 1, 0, piece};
  LineBuffer buffer;
  const LineInput in{&buffer, ReadPiece, &source};
  std::vector<std::string> lines;
  while (!IsAtEnd(in)) {
    lines.push_back(ReadLine(in));
    if (lines.size() > size) std::abort();  // every line takes at least one byte
  }
  if (lines != PlainSplit(data + 1, size - 1)) std::abort();
  return 0;
}
