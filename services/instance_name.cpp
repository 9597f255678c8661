#include "services/instance_name.h"

#include <cstdint>
#include <cstdio>

namespace {

std::string Normalised(const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '\\') c = '/';
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

uint32_t Fnv1a(const std::string& text) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
  return hash;
}

}  // namespace

std::string InstanceLockName(const std::string& prefix, const std::string& programPath) {
  const std::string path = Normalised(programPath);
  std::string name = prefix + path;
  if (name.size() <= kMaxObjectNameLength) return name;
  char hash[16];
  std::snprintf(hash, sizeof hash, "%08x:", static_cast<unsigned>(Fnv1a(path)));
  const std::string head = prefix + hash;
  return head + path.substr(path.size() - (kMaxObjectNameLength - head.size()));
}
