#pragma once
// A whole file replaced at once: written beside itself as "<name>.new",
// flushed to the disk, then renamed over the old one, so a reader (a web
// server, the next run) never sees half of it, even after a power cut.

#include <string>

extern const char kReplacementSuffix[];  // ".new"

// False when any step failed; the ".new" file is then gone again.
bool WriteFileDurably(const std::string& path, const std::string& bytes);
