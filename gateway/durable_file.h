#pragma once
// A whole file replaced at once: written beside itself as "<name>.new",
// flushed to the disk, then renamed over the old one, so a reader (a web
// server, the next run) never sees half of it, even after a power cut.

#include <filesystem>
#include <string>

extern const char kReplacementSuffix[];  // ".new"

// A path given in the system's narrow encoding (a command line, a folder
// the widget passes: the ANSI code page on Windows) as the file system
// takes it; std::filesystem would read its bytes as another code page.
std::filesystem::path NarrowPath(const std::string& text);

// The whole file, read as it is; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& out);

// False when any step failed; the ".new" file is then gone again.
bool WriteFileDurably(const std::string& path, const std::string& bytes);
