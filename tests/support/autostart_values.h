#pragma once
// The user's Run value and Task Manager's StartupApproved mark for the
// widget, read and written directly in the registry by the tests.

#include <string>

// The Run value's text; "<none>" when there is none.
std::string RunValue();
void SetRunValue(const std::string& command);
void SetStartupMark(const std::string& bytes);
bool StartupMarkExists();

// The prefix starts whatever its Run key names: no test may leave the
// value (or a mark) behind, whatever it asserts.
struct AutostartValuesCleaner {
  AutostartValuesCleaner();
  ~AutostartValuesCleaner();
};
