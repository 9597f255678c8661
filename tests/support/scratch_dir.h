#pragma once
// A fresh, empty working directory for one test: the widget reads and writes
// its files (inform.ini, nim.xml, the pictures) relative to the current
// directory, so each test gets its own and leaves the previous one behind.

#include <filesystem>
#include <string>

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// Whole-file helpers for fixtures and byte-exact comparisons.
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFileBytes(const std::filesystem::path& path);
