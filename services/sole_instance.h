#pragma once
// One running copy per program file.

#include <string>

// Takes the lock named after this program's full path in the session's
// namespace. False when another process of the same program holds it; the
// lock is held until the process ends.
bool ClaimSoleInstance(const std::string& prefix);
