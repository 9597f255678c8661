#include <windows.h>

#include "app/autostart_choice.h"

#include <gtest/gtest.h>

#include "services/program_files.h"
#include "services/tray.h"
#include "services/widget_numbers.h"
#include "tests/support/autostart_values.h"

namespace {

bool ItemChecked() {
  return (GetMenuState(MenuHandle(kTrayMenu), kAutostartMenuItem, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

TEST(AutostartChoice, ChecksTheItemWhileTheRunKeyStartsThisProgramAndTheUserWins) {
  AutostartValuesCleaner cleaner;
  CreatePopupMenuSlot(kTrayMenu);
  AppendMenuItem(kExitMenuItem, "Выход");
  AppendMenuSeparator();
  AppendMenuItem(kAutostartMenuItem, "Запускать при входе в Windows");
  ShowAutostartChoice();
  EXPECT_FALSE(ItemChecked());

  const std::string self = "\"" + ProgramPath() + "\"";
  SetRunValue(self);
  ShowAutostartChoice();
  EXPECT_TRUE(ItemChecked());

  // Switched off in Task Manager: unchecked, and choosing switches it on.
  SetStartupMark(std::string("\x03\0\0\0\0\0\0\0\0\0\0\0", 12));
  ShowAutostartChoice();
  EXPECT_FALSE(ItemChecked());
  ToggleAutostart();
  EXPECT_TRUE(ItemChecked());
  EXPECT_FALSE(StartupMarkExists());
  EXPECT_EQ(RunValue(), self);

  ToggleAutostart();
  EXPECT_FALSE(ItemChecked());
  EXPECT_EQ(RunValue(), "<none>");
  DestroyAllMenuSlots();
}

}  // namespace
