#include "gateway/durable_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#ifdef _WIN32
#include <windows.h>
#include <io.h>
#else
#include <unistd.h>
#endif

const char kReplacementSuffix[] = ".new";

namespace {

bool FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

}  // namespace

std::filesystem::path NarrowPath(const std::string& text) {
#ifdef _WIN32
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], n);
  return std::filesystem::path(wide);
#else
  return std::filesystem::path(text);
#endif
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool WriteFileDurably(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + kReplacementSuffix;
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  bool good = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && FlushToDisk(file);
  good = std::fclose(file) == 0 && good;
  std::error_code error;
  if (good) std::filesystem::rename(NarrowPath(temporary), NarrowPath(path), error);
  if (!good || error) std::filesystem::remove(NarrowPath(temporary), error);
  return good && !error;
}
