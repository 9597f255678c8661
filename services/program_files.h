#pragma once
// Where this program's own files are.

#include <string>

// The full path of this process's executable; empty when it cannot be had.
std::string ProgramPath();

// The folder holding this process's executable, without a trailing slash.
std::string ProgramFolder();

bool FileExists(const std::string& path);
