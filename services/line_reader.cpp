#include "services/line_reader.h"

bool ReadBufferedByte(const LineInput& in, unsigned char* byte) {
  LineBuffer& b = *in.buffer;
  if (b.remaining <= 0) {
    int got = in.read(in.source, b.buffer, kLineBufferSize);
    if (got < 0 || got > kLineBufferSize) got = 0;  // a failed read is the end
    b.filled = got;
    b.remaining = got;
    if (got == 0) return false;
  }
  *byte = b.buffer[b.filled - b.remaining];
  --b.remaining;
  return true;
}

void GiveByteBack(const LineInput& in) {
  LineBuffer& b = *in.buffer;
  if (b.remaining < b.filled) ++b.remaining;
}

std::string ReadLine(const LineInput& in) {
  std::string line;
  unsigned char c;
  while (ReadBufferedByte(in, &c) && c != 0 && c != '\n') {
    if (c == '\r') {
      unsigned char next;
      if (ReadBufferedByte(in, &next) && next != '\n') GiveByteBack(in);
      break;
    }
    if (line.size() < kMaxLineBytes) line.push_back(static_cast<char>(c));
  }
  return line;
}

bool IsAtEnd(const LineInput& in) {
  unsigned char c;
  if (!ReadBufferedByte(in, &c)) return true;
  GiveByteBack(in);
  return false;
}
