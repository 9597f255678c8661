#pragma once
// Where this program's own files are.

#include <string>

// The folder holding this process's executable, without a trailing slash.
std::string ProgramFolder();

bool FileExists(const std::string& path);
