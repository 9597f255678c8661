#include "gateway/durable_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#ifdef _WIN32
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

bool WriteFileDurably(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + kReplacementSuffix;
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) return false;
  bool good = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && FlushToDisk(file);
  good = std::fclose(file) == 0 && good;
  std::error_code error;
  if (good) std::filesystem::rename(temporary, path, error);
  if (!good || error) std::filesystem::remove(temporary, error);
  return good && !error;
}
