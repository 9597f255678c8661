// The city list that ships beside the program: the chooser shows its lines
// as single bytes in the ANSI code page and takes the first five as the code.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"

namespace {

std::filesystem::path ShippedList() {
  return std::filesystem::path(NIMBREL_SOURCE_DIR) / "data" / "NimbrelCodSity.txt";
}

std::vector<std::string> SplitCrLf(const std::string& bytes, bool* bareBreak) {
  std::vector<std::string> lines;
  *bareBreak = false;
  std::string::size_type start = 0;
  while (start < bytes.size()) {
    std::string::size_type end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (line.find_first_of("\r\n") != std::string::npos) *bareBreak = true;
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

TEST(CityList, HoldsCrLfLinesOfACodeASpaceAndAName) {
  std::string bytes = ReadFileBytes(ShippedList());
  ASSERT_FALSE(bytes.empty()) << ShippedList();
  ASSERT_EQ(bytes.substr(bytes.size() - 2), "\r\n");  // no empty entry at the end
  bool bareBreak = false;
  std::vector<std::string> lines = SplitCrLf(bytes, &bareBreak);
  EXPECT_FALSE(bareBreak);
  EXPECT_GE(lines.size(), 60u);
  std::set<std::string> codes;
  for (const std::string& line : lines) {
    SCOPED_TRACE(line);
    ASSERT_GT(line.size(), 6u);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(line[i])));
    EXPECT_EQ(line[5], ' ');
    EXPECT_NE(line[6], ' ');
    EXPECT_TRUE(codes.insert(line.substr(0, 5)).second) << "code listed twice";
  }
  EXPECT_EQ(lines.front(), "27612 \xCC\xEE\xF1\xEA\xE2\xE0");  // Москва in CP1251
}

TEST(CityList, NamesAreCyrillicInTheSingleByteCodePage) {
  std::string bytes = ReadFileBytes(ShippedList());
  bool bareBreak = false;
  for (const std::string& line : SplitCrLf(bytes, &bareBreak)) {
    SCOPED_TRACE(line);
    const unsigned char first = static_cast<unsigned char>(line[6]);
    EXPECT_TRUE(first >= 0xC0) << "name does not start with a capital Cyrillic letter";
    // A UTF-8 file would show its lead bytes 0xD0/0xD1 before every letter.
    int utf8Leads = 0;
    for (std::string::size_type i = 6; i + 1 < line.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(line[i]);
      const unsigned char n = static_cast<unsigned char>(line[i + 1]);
      if ((c == 0xD0 || c == 0xD1) && n >= 0x80 && n <= 0xBF) ++utf8Leads;
    }
    EXPECT_LT(utf8Leads, 2);
  }
}

}  // namespace
