#include <windows.h>

#include "services/settings.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/scratch_dir.h"

namespace {

class Settings : public ::testing::Test {
 protected:
  void TearDown() override {
    CloseSettings();
    SetSettingsWriter(nullptr);
  }

  static uint64_t WriteTime(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return 0;
    return (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
           data.ftLastWriteTime.dwLowDateTime;
  }

  static void AgeFile(const char* path) {
    HANDLE h = CreateFileA(path, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SYSTEMTIME old{2003, 4, 0, 5, 6, 7, 8, 0};
    FILETIME stamp;
    SystemTimeToFileTime(&old, &stamp);
    SetFileTime(h, nullptr, nullptr, &stamp);
    CloseHandle(h);
  }

  static int FilesInDirectory() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("."))
      count += entry.is_regular_file();
    return count;
  }

  ScratchDir dir_;
};

TEST_F(Settings, AMissingFileIsCreatedOnlyWhenSomethingWasWritten) {
  EXPECT_FALSE(OpenSettings("inform.ini"));
  EXPECT_EQ(ReadSettingString("ID", "none"), "none");
  CloseSettings();
  EXPECT_FALSE(std::filesystem::exists("inform.ini"));

  EXPECT_FALSE(OpenSettings("inform.ini"));
  WriteSettingString("ID", "27612");
  CloseSettings();
  EXPECT_EQ(ReadFileBytes("inform.ini"), "ID = 27612\r\n");
  EXPECT_EQ(FilesInDirectory(), 1);
}

TEST_F(Settings, OpeningAndClosingWithoutWritesLeavesTheFileAlone) {
  const std::string odd = "  id=27612  \n\n;x\n[G] junk\n";
  WriteFileBytes("inform.ini", odd);
  AgeFile("inform.ini");
  const uint64_t stamp = WriteTime("inform.ini");
  ASSERT_TRUE(OpenSettings("inform.ini"));
  EXPECT_EQ(ReadSettingString("ID"), "27612");
  CloseSettings();
  EXPECT_EQ(ReadFileBytes("inform.ini"), odd);
  EXPECT_EQ(WriteTime("inform.ini"), stamp);
}

TEST_F(Settings, AWriteRewritesTheWholeFileInNormalForm) {
  WriteFileBytes("inform.ini", "  id=27612  \n\n;comment\n[Group] junk\nID=1\n");
  ASSERT_TRUE(OpenSettings("inform.ini"));
  WriteSettingString("ID", "28698");
  WriteSettingString("Extra", "");
  CloseSettings();
  EXPECT_EQ(ReadFileBytes("inform.ini"),
            "ID = 28698\r\n; comment\r\nExtra = \r\n[Group] junk\r\nID = 1\r\n");
}

TEST_F(Settings, Utf8FilesStayUtf8) {
  WriteFileBytes("inform.ini", "\xEF\xBB\xBFID=\xC3\x82\xC3\xBB\n");
  ASSERT_TRUE(OpenSettings("inform.ini"));
  EXPECT_EQ(ReadSettingString("ID"), "\xC2\xFB");
  WriteSettingString("ID", "Вход");
  CloseSettings();
  EXPECT_EQ(ReadFileBytes("inform.ini"),
            "\xEF\xBB\xBF\r\nID = \xC3\x82\xC3\xB5\xC3\xAE\xC3\xA4\r\n");
  ASSERT_TRUE(OpenSettings("inform.ini"));
  EXPECT_EQ(ReadSettingString("ID"), "Вход");
}

TEST_F(Settings, AnEmptyFileOpensAndGivesTheDefault) {
  WriteFileBytes("inform.ini", "");
  EXPECT_TRUE(OpenSettings("inform.ini"));
  EXPECT_EQ(ReadSettingString("ID", "d"), "d");
  WriteSettingString("ID", "1");
  CloseSettings();
  EXPECT_EQ(ReadFileBytes("inform.ini"), "ID = 1\r\n");
}

TEST_F(Settings, OthersMayReadButNotWriteWhileItIsOpen) {
  WriteFileBytes("inform.ini", "ID=1\r\n");
  ASSERT_TRUE(OpenSettings("inform.ini"));
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE reader =
      CreateFileA("inform.ini", GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  HANDLE writer =
      CreateFileA("inform.ini", GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  CloseSettings();
  writer = CreateFileA("inform.ini", GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
}

TEST_F(Settings, AFileThatCanOnlyBeReadIsReadAndItsChangesAreDropped) {
  // Another program holding the file stops us writing it: first a reader
  // that shares with readers only, then a writer that shares everything.
  WriteFileBytes("inform.ini", "ID=27612\n");
  const struct {
    DWORD access;
    DWORD share;
  } holders[] = {{GENERIC_READ, FILE_SHARE_READ},
                 {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE}};
  for (const auto& holder : holders) {
    HANDLE other =
        CreateFileA("inform.ini", holder.access, holder.share, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(OpenSettings("inform.ini"));
    EXPECT_EQ(ReadSettingString("ID"), "27612");
    WriteSettingString("ID", "28698");
    CloseHandle(other);
    CloseSettings();
    EXPECT_EQ(ReadFileBytes("inform.ini"), "ID=27612\n");
    EXPECT_EQ(FilesInDirectory(), 1);
  }
}

TEST_F(Settings, AFileThatCannotBeReplacedIsRewrittenInPlace) {
  // A second widget reads the file and shares it with writers, but not
  // with renaming over it.
  WriteFileBytes("inform.ini", "; mine\r\nID=27612\r\n");
  HANDLE second = CreateFileA("inform.ini", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(second, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(OpenSettings("inform.ini"));
  WriteSettingString("ID", "28698");
  CloseSettings();
  char seen[64] = {};
  DWORD got = 0;
  ReadFile(second, seen, sizeof seen - 1, &got, nullptr);
  CloseHandle(second);
  const std::string expected = "; mine\r\nID = 28698\r\n";
  EXPECT_EQ(std::string(seen, got), expected) << "the very file the other program holds";
  EXPECT_EQ(ReadFileBytes("inform.ini"), expected);
  EXPECT_EQ(FilesInDirectory(), 1);
}

// Stands in for a disk that fills up half-way through the rewrite.
bool FailHalfWay(void* file, const char* bytes, size_t count) {
  DWORD done = 0;
  WriteFile(static_cast<HANDLE>(file), bytes, static_cast<DWORD>(count / 2), &done, nullptr);
  return false;
}

TEST_F(Settings, AFailedRewriteLeavesThePreviousFileIntact) {
  const std::string before = "; my settings\r\nID=27612\r\nName=keep me\r\n";
  WriteFileBytes("inform.ini", before);
  SetSettingsWriter(FailHalfWay);
  ASSERT_TRUE(OpenSettings("inform.ini"));
  WriteSettingString("ID", "28698");
  CloseSettings();
  EXPECT_EQ(ReadFileBytes("inform.ini"), before);
  EXPECT_EQ(FilesInDirectory(), 1);  // no half-written file left behind

  SetSettingsWriter(nullptr);
  ASSERT_TRUE(OpenSettings("inform.ini"));
  WriteSettingString("ID", "28698");
  CloseSettings();
  EXPECT_EQ(ReadFileBytes("inform.ini"), "; my settings\r\nID = 28698\r\nName = keep me\r\n");
  EXPECT_EQ(FilesInDirectory(), 1);
}

TEST_F(Settings, AFileThatCouldNotBeOpenedIsNeverOverwritten) {
  // Locked by another program at opening, released before closing.
  WriteFileBytes("inform.ini", "ID=27612\r\nOther=precious\r\n");
  HANDLE lock = CreateFileA("inform.ini", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(OpenSettings("inform.ini"));
  CloseHandle(lock);
  WriteSettingString("ID", "28698");
  CloseSettings();
  EXPECT_EQ(ReadFileBytes("inform.ini"), "ID=27612\r\nOther=precious\r\n");

  // Missing at opening, created by someone else before closing.
  EXPECT_FALSE(OpenSettings("other.ini"));
  WriteFileBytes("other.ini", "theirs=1\r\n");
  WriteSettingString("ID", "1");
  CloseSettings();
  EXPECT_EQ(ReadFileBytes("other.ini"), "theirs=1\r\n");
}

TEST_F(Settings, OpeningAnotherFileWritesTheFirstBack) {
  WriteFileBytes("a.ini", "ID=1\r\n");
  WriteFileBytes("b.ini", "ID=2\r\n");
  ASSERT_TRUE(OpenSettings("a.ini"));
  WriteSettingString("ID", "10");
  ASSERT_TRUE(OpenSettings("b.ini"));
  EXPECT_EQ(ReadFileBytes("a.ini"), "ID = 10\r\n");
  EXPECT_EQ(ReadSettingString("ID"), "2");
}

TEST_F(Settings, NothingOpenMeansDefaultsAndNoWrites) {
  CloseSettings();
  WriteSettingString("ID", "1");
  EXPECT_EQ(ReadSettingString("ID", "d"), "d");
  CloseSettings();
  EXPECT_EQ(FilesInDirectory(), 0);
}

TEST_F(Settings, ValuesThatWouldBreakTheFileAreRefused) {
  WriteFileBytes("inform.ini", "ID=1\r\n");
  ASSERT_TRUE(OpenSettings("inform.ini"));
  WriteSettingString("ID", "2\r\n[Other]");
  CloseSettings();
  EXPECT_EQ(ReadFileBytes("inform.ini"), "ID=1\r\n");
}

}  // namespace
