#include "services/autostart_rule.h"

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

}  // namespace

std::string AutostartCommand(const std::string& programPath) {
  return "\"" + programPath + "\"";
}

bool MarkDisables(const std::string& mark) {
  return !mark.empty() && (static_cast<unsigned char>(mark[0]) & 1) != 0;
}

bool AutostartIsOn(const AutostartEntry& entry, const std::string& programPath) {
  if (!entry.present || programPath.empty()) return false;
  if (!SameText(entry.command, AutostartCommand(programPath))) return false;
  return !(entry.marked && MarkDisables(entry.mark));
}
