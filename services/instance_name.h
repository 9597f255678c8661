#pragma once
// The name of the lock that lets only one copy of a program run per folder:
// built from the program's full path, so a copy elsewhere is another program.

#include <string>

// Object names cannot hold '\' and Windows compares paths without regard to
// case: the path is lowered (ASCII letters; the caller lowers the rest) and
// its backslashes become '/'. A name past the system's limit keeps its tail
// and a hash of the whole path, so two long paths still differ.
std::string InstanceLockName(const std::string& prefix, const std::string& programPath);

// Object names are limited to MAX_PATH characters.
const size_t kMaxObjectNameLength = 259;
