#pragma once
// Starting a program when the user logs on to Windows: a value under
// HKCU\...\CurrentVersion\Run, no administrator rights needed.

#include <string>

#include "services/autostart_rule.h"

// The Run value and the StartupApproved mark under that value name.
AutostartEntry ReadAutostart(const std::string& name);

// Writes the Run value and drops a mark that switched it off, so the user's
// latest choice wins. False when the value could not be written.
bool EnableAutostart(const std::string& name, const std::string& command);

// Deletes the Run value; true when it is gone.
bool DisableAutostart(const std::string& name);
