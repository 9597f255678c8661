#include "services/autostart_rule.h"

#include <gtest/gtest.h>

namespace {

const char kProgram[] = "C:\\Tools\\Nimbrel\\nimbrel.exe";

AutostartEntry Entry(const std::string& command, const std::string& mark = std::string()) {
  AutostartEntry e;
  e.present = true;
  e.command = command;
  e.marked = !mark.empty();
  e.mark = mark;
  return e;
}

TEST(Autostart, IsOnForThisProgramsQuotedPathUnlessTaskManagerSwitchedItOff) {
  EXPECT_EQ(AutostartCommand(kProgram), "\"C:\\Tools\\Nimbrel\\nimbrel.exe\"");
  EXPECT_TRUE(AutostartIsOn(Entry("\"c:\\tools\\nimbrel\\NIMBREL.exe\""), kProgram));
  EXPECT_TRUE(
      AutostartIsOn(Entry(AutostartCommand(kProgram), std::string("\x02\0\0", 3)), kProgram));
  EXPECT_TRUE(AutostartIsOn(Entry(AutostartCommand(kProgram), "\x06"), kProgram));
  EXPECT_FALSE(
      AutostartIsOn(Entry(AutostartCommand(kProgram), std::string("\x03\0\0", 3)), kProgram));
  EXPECT_FALSE(AutostartIsOn(Entry(AutostartCommand(kProgram), "\x07"), kProgram));
}

TEST(Autostart, IsOffForAnotherPathOrNoValue) {
  EXPECT_FALSE(AutostartIsOn(Entry("\"D:\\Old\\nimbrel.exe\""), kProgram));  // the folder moved
  EXPECT_FALSE(AutostartIsOn(Entry(kProgram), kProgram));                    // unquoted
  EXPECT_FALSE(AutostartIsOn(AutostartEntry{}, kProgram));
}

}  // namespace
