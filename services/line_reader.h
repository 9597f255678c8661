#pragma once
// Buffered byte and line reading over any byte source. The file slots feed
// it from Win32 files; tests feed it from memory in chunks of any size.

#include <string>

const int kLineBufferSize = 4096;
// A city line is a code and a name; a file of one endless line must not be
// able to take the memory of a 32-bit process.
const size_t kMaxLineBytes = 4096;

struct LineBuffer {
  unsigned char buffer[kLineBufferSize];
  int filled = 0;     // bytes the last refill put into the buffer
  int remaining = 0;  // bytes not yet consumed; next byte at filled - remaining
};

// Reads up to capacity bytes into `into`; 0 at the end or on a read error.
using ByteSource = int (*)(void* source, unsigned char* into, int capacity);

struct LineInput {
  LineBuffer* buffer;
  ByteSource read;
  void* source;
};

bool ReadBufferedByte(const LineInput& in, unsigned char* byte);
void GiveByteBack(const LineInput& in);

// The next line without its ending: CR LF, LF, a lone CR and a zero byte
// each end a line. The empty text at the end of the input. Only the first
// kMaxLineBytes of a longer line are kept; the rest of it is read and dropped.
std::string ReadLine(const LineInput& in);

// True when no further byte can be read; the position does not change.
bool IsAtEnd(const LineInput& in);
