#pragma once
// Starting another program of this installation in the background: no
// window, no console, nothing inherited, not waited for.

#include <string>

// `program` is a full path; `arguments` follow it on the command line as
// given. The program runs in its own folder. False when it cannot start.
bool StartBackgroundProgram(const std::string& program, const std::string& arguments);
