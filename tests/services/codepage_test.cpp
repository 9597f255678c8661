#include <gtest/gtest.h>

#include <cstring>

// The widget's texts are single-byte CP1251; the build must compile the
// UTF-8 sources' narrow literals into it.
TEST(CodePage, RussianLiteralsCompileToCp1251Bytes) {
  const char* exit = "Выход";
  ASSERT_EQ(std::strlen(exit), 5u);
  EXPECT_EQ(std::memcmp(exit, "\xC2\xFB\xF5\xEE\xE4", 5), 0);
  EXPECT_EQ(static_cast<unsigned char>("°"[0]), 0xB0);
  EXPECT_EQ(static_cast<unsigned char>("Ё"[0]), 0xA8);
}
