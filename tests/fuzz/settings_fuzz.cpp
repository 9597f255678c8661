// The settings parser on arbitrary files: a rewrite must keep every byte of
// content (it may only drop blanks and line breaks and add the separators
// of its normal form), read back as the same lines, and change nothing a
// second time; a value written under a key must be read back.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "services/settings_text.h"

namespace {

bool SameLines(const SettingsText& a, const SettingsText& b) {
  if (a.utf8Mode != b.utf8Mode || a.lines.size() != b.lines.size()) return false;
  for (size_t i = 0; i < a.lines.size(); ++i) {
    const SettingsLine& x = a.lines[i];
    const SettingsLine& y = b.lines[i];
    if (x.kind != y.kind || x.text != y.text || x.value != y.value) return false;
  }
  return true;
}

bool IsLayout(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Every byte of the file other than blanks and line breaks appears in the
// rewrite in the same order; the rewrite adds only '=' and ']'.
bool KeepsContent(const std::string& file, const std::string& rewritten) {
  size_t at = 0;
  for (char c : rewritten) {
    if (IsLayout(c)) continue;
    while (at < file.size() && IsLayout(file[at])) ++at;
    if (at < file.size() && file[at] == c) {
      ++at;
      continue;
    }
    if (c != '=' && c != ']') return false;
  }
  while (at < file.size() && IsLayout(file[at])) ++at;
  return at == file.size();
}

std::string Trim(const std::string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The file, then after the last 0x01 byte: key '=' value to write.
  const size_t split = bytes.rfind('\x01');
  const std::string file = split == std::string::npos ? bytes : bytes.substr(0, split);
  const std::string write =
      split == std::string::npos ? std::string("ID=27612") : bytes.substr(split + 1);
  const size_t eq = write.find('=');
  const std::string key = write.substr(0, eq);
  const std::string value = eq == std::string::npos ? std::string() : write.substr(eq + 1);

  const SettingsText first = ParseSettingsText(file);
  const std::string rendered = RenderSettingsText(first);
  if (!KeepsContent(file, rendered)) std::abort();
  const SettingsText again = ParseSettingsText(rendered);
  if (!SameLines(first, again)) std::abort();
  if (RenderSettingsText(again) != rendered) std::abort();
  if (LookupSettingValue(first, "ID", "-") != LookupSettingValue(again, "ID", "-")) std::abort();

  if (!SettingRoundTrips(key, value)) return 0;
  SettingsText changed = first;
  SetSettingValue(&changed, key, value);
  const SettingsText reread = ParseSettingsText(RenderSettingsText(changed));
  if (reread.utf8Mode != first.utf8Mode) std::abort();
  if (LookupSettingValue(reread, key, "\x02missing") != Trim(value)) std::abort();
  return 0;
}
