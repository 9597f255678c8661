#include "services/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A byte source over memory that hands out at most `chunk` bytes per read,
// so lines and line endings can be made to straddle refills.
struct MemorySource {
  std::string bytes;
  size_t position = 0;
  int chunk = kLineBufferSize;
  int reads = 0;
};

int ReadMemory(void* source, unsigned char* into, int capacity) {
  auto* m = static_cast<MemorySource*>(source);
  ++m->reads;
  const size_t n = std::min<size_t>({static_cast<size_t>(capacity), static_cast<size_t>(m->chunk),
                                     m->bytes.size() - m->position});
  std::memcpy(into, m->bytes.data() + m->position, n);
  m->position += n;
  return static_cast<int>(n);
}

std::vector<std::string> AllLines(const std::string& bytes, int chunk = kLineBufferSize) {
  MemorySource source{bytes, 0, chunk};
  LineBuffer buffer;
  LineInput in{&buffer, ReadMemory, &source};
  std::vector<std::string> lines;
  // The application's loop: read while not at the end.
  while (!IsAtEnd(in)) lines.push_back(ReadLine(in));
  EXPECT_EQ(ReadLine(in), "");
  return lines;
}

using Lines = std::vector<std::string>;

TEST(ReadLine, EachKindOfLineEndingEndsOneLine) {
  EXPECT_EQ(AllLines("a\r\nb"), (Lines{"a", "b"}));
  EXPECT_EQ(AllLines("a\n\nb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(AllLines("a\rb"), (Lines{"a", "b"}));
  EXPECT_EQ(AllLines("a\r"), (Lines{"a"}));
  EXPECT_EQ(AllLines("a\n\rb"), (Lines{"a", "", "b"}));  // LF CR: a line, then an empty one
  EXPECT_EQ(AllLines(""), Lines{});
}

TEST(ReadLine, AZeroByteEndsTheLineAndIsConsumed) {
  EXPECT_EQ(AllLines(std::string("ab\0cd\n", 6)), (Lines{"ab", "cd"}));
}

TEST(ReadLine, BytesAreDeliveredUnchanged) {
  EXPECT_EQ(AllLines("27612 \xCC\xEE\xF1\xEA\xE2\xE0\r\n"),
            (Lines{"27612 \xCC\xEE\xF1\xEA\xE2\xE0"}));
}

TEST(ReadLine, LongLinesAreCutAndLinesAcrossRefillsAreWhole) {
  const std::string longLine(3 * kLineBufferSize + 17, 'x');
  EXPECT_EQ(AllLines(longLine + "\r\nend"), (Lines{longLine.substr(0, kMaxLineBytes), "end"}));
  const std::string fits(kMaxLineBytes, 'f');
  EXPECT_EQ(AllLines(fits + "\nnext"), (Lines{fits, "next"}));
  for (int chunk : {1, 2, 3, 7}) {
    EXPECT_EQ(AllLines("first\r\nsecond\rthird\n", chunk), (Lines{"first", "second", "third"}))
        << "chunk " << chunk;
  }
}

TEST(ReadLine, CrAtTheEndOfOneRefillAndLfAtTheStartOfTheNextEndOneLine) {
  // "ab\r" fills the first read exactly; "\n" starts the second.
  EXPECT_EQ(AllLines("ab\r\ncd", 3), (Lines{"ab", "cd"}));
  std::string bytes(kLineBufferSize - 1, 'y');
  bytes += "\r\nz";
  EXPECT_EQ(AllLines(bytes), (Lines{std::string(kLineBufferSize - 1, 'y'), "z"}));
}

TEST(IsAtEnd, LooksAheadWithoutMoving) {
  MemorySource source{"q\n", 0, 1};
  LineBuffer buffer;
  LineInput in{&buffer, ReadMemory, &source};
  EXPECT_FALSE(IsAtEnd(in));
  EXPECT_FALSE(IsAtEnd(in));
  EXPECT_EQ(ReadLine(in), "q");
  EXPECT_TRUE(IsAtEnd(in));
}

int FailingRead(void*, unsigned char*, int) {
  return -1;
}

TEST(IsAtEnd, AReadErrorIsTheEnd) {
  LineBuffer buffer;
  LineInput in{&buffer, FailingRead, nullptr};
  EXPECT_TRUE(IsAtEnd(in));
  EXPECT_EQ(ReadLine(in), "");
}

}  // namespace
