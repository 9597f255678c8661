#include <windows.h>

#include <gtest/gtest.h>

// The widget's texts are CP1251, as on a Russian Windows; the test bed must
// run with that ANSI code page or every Cyrillic assertion is meaningless.
TEST(CodePage, TheTestBedRunsWithTheRussianAnsiCodePage) {
  EXPECT_EQ(GetACP(), 1251u);
  char buffer[8] = {};
  const wchar_t wide[] = L"Выход";
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer, sizeof buffer, nullptr, nullptr), 6);
  EXPECT_STREQ(buffer, "Выход");
}
