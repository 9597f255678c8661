#include <windows.h>

#include "app/autostart_choice.h"

#include "services/autostart.h"
#include "services/program_files.h"
#include "services/tray.h"
#include "services/widget_numbers.h"

namespace {

const char kAutostartName[] = "Nimbrel";

bool AutostartOn() {
  return AutostartIsOn(ReadAutostart(kAutostartName), ProgramPath());
}

}  // namespace

void ShowAutostartChoice() {
  SetMenuItemChecked(kTrayMenu, kAutostartMenuItem, AutostartOn());
}

void ToggleAutostart() {
  const std::string program = ProgramPath();
  if (program.empty()) return;
  if (AutostartOn())
    DisableAutostart(kAutostartName);
  else
    EnableAutostart(kAutostartName, AutostartCommand(program));
  ShowAutostartChoice();
}
