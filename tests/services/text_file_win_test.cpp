#include <windows.h>

#include "services/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/line_reader.h"
#include "tests/support/scratch_dir.h"

namespace {

std::vector<std::string> ReadAll(int number) {
  std::vector<std::string> lines;
  while (!IsEndOfFile(number)) lines.push_back(ReadTextLine(number));
  return lines;
}

using Lines = std::vector<std::string>;

TEST(TextFile, ReadsTheCityListLoop) {
  ScratchDir dir;
  WriteFileBytes("NimbrelCodSity.txt", "27612 \xCC\xEE\xF1\xEA\xE2\xE0\r\n26063 X\r\n");
  ASSERT_TRUE(OpenFileForReading(0, "NimbrelCodSity.txt"));
  EXPECT_EQ(ReadAll(0), (Lines{"27612 \xCC\xEE\xF1\xEA\xE2\xE0", "26063 X"}));
  EXPECT_EQ(ReadTextLine(0), "");
  CloseFileSlot(0);
  EXPECT_TRUE(IsEndOfFile(0));  // no open file counts as the end
  EXPECT_EQ(ReadTextLine(0), "");
}

TEST(TextFile, LongLineIsCutAndTheNextStillFollows) {
  ScratchDir dir;
  const std::string longLine(10000, 'k');
  WriteFileBytes("long.txt", longLine + "\r\nshort");
  ASSERT_TRUE(OpenFileForReading(3, "long.txt"));
  EXPECT_EQ(ReadAll(3), (Lines{longLine.substr(0, kMaxLineBytes), "short"}));
  CloseFileSlot(3);
}

TEST(TextFile, MissingFileLeavesTheSlotFree) {
  ScratchDir dir;
  EXPECT_FALSE(OpenFileForReading(0, "absent.txt"));
  EXPECT_TRUE(IsEndOfFile(0));
  EXPECT_FALSE(OpenFileForReading(0, nullptr));
  EXPECT_FALSE(OpenFileForReading(-1, "absent.txt"));
}

TEST(TextFile, ReopeningANumberClosesTheEarlierFile) {
  ScratchDir dir;
  WriteFileBytes("one.txt", "one\n");
  WriteFileBytes("two.txt", "two\n");
  ASSERT_TRUE(OpenFileForReading(0, "one.txt"));
  ASSERT_TRUE(OpenFileForReading(0, "two.txt"));
  EXPECT_EQ(ReadAll(0), Lines{"two"});
  // The first file is closed: it can be deleted now.
  EXPECT_TRUE(DeleteFileA("one.txt"));
  CloseFileSlot(0);
}

TEST(TextFile, OthersMayReadButNotWriteWhileItIsOpen) {
  ScratchDir dir;
  WriteFileBytes("shared.txt", "x\n");
  ASSERT_TRUE(OpenFileForReading(1, "shared.txt"));
  HANDLE reader =
      CreateFileA("shared.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  HANDLE writer = CreateFileA("shared.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  CloseFileSlot(1);
}

TEST(QueryFileSize, AnswersSizesAndTheTwoNegativeCodes) {
  ScratchDir dir;
  WriteFileBytes("nim.xml", std::string(4321, 'a'));
  WriteFileBytes("empty.xml", "");
  CreateDirectoryA("folder", nullptr);
  EXPECT_EQ(QueryFileSize("nim.xml"), 4321);
  EXPECT_EQ(QueryFileSize("empty.xml"), 0);
  EXPECT_EQ(QueryFileSize("absent.xml"), -1);
  EXPECT_EQ(QueryFileSize(""), -1);
  EXPECT_EQ(QueryFileSize(nullptr), -1);
  EXPECT_EQ(QueryFileSize("folder"), -2);
  EXPECT_EQ(QueryFileSize("folder\\\\"), -2);  // trailing separators are removed
  EXPECT_EQ(QueryFileSize("C:"), -2);
  EXPECT_EQ(QueryFileSize("c:\\"), -2);
  EXPECT_EQ(QueryFileSize("*.xml") >= 0, true);  // the first match answers
}

TEST(QueryFileSize, LargeFilesKeepTheHighHalf) {
  ScratchDir dir;
  HANDLE file = CreateFileA("big.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size;
  size.QuadPart = 5'000'000'000LL;
  ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  CloseHandle(file);
  EXPECT_EQ(QueryFileSize("big.bin"), 5'000'000'000LL);
}

}  // namespace
