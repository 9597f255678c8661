#pragma once
// When a program counts as started with Windows: its value under the user's
// Run key names exactly this program, and Task Manager has not switched the
// entry off (its StartupApproved mark, whose first byte is odd when off).

#include <string>

struct AutostartEntry {
  bool present = false;  // the Run value exists as a text
  std::string command;
  bool marked = false;  // a StartupApproved value exists
  std::string mark;     // its bytes
};

// The Run value that starts the program: its full path in double quotes.
std::string AutostartCommand(const std::string& programPath);

bool MarkDisables(const std::string& mark);

// Paths compare without regard to ASCII letter case, as Windows does.
bool AutostartIsOn(const AutostartEntry& entry, const std::string& programPath);
